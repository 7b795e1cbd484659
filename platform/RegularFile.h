#pragma once

#include <QFile>
#include <QString>

namespace platform {

// Opens path for reading only when it is a regular file or a link to one. A named pipe, a
// socket, a device or a folder reads as not opened, and the open never waits: a pipe with no
// writer would otherwise hold the program before its first window.
bool OpenRegularFile(QFile& file, const QString& path);

}  // namespace platform
