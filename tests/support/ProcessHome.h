#pragma once

#include <QTemporaryDir>

// Gives one test process a home of its own. CTest runs the cases of one test binary side by
// side, each as its own process: without this they would share one settings file and one
// lock folder, and one case's saved position would leak into another.
class ProcessHome {
public:
    ProcessHome();

private:
    QTemporaryDir dir;
};
