#pragma once

#include <QDateTime>

#include <functional>

namespace platform {

// The one place the program reads the wall clock, so that tests can set 10:09:59
// instead of waiting for it.
class Clock {
public:
    using Source = std::function<QDateTime()>;

    // Local date and time, in whole seconds.
    static QDateTime CurrentLocal();

    // Replaces the system clock; an empty source restores it.
    static void SetSource(Source source);
};

}  // namespace platform
