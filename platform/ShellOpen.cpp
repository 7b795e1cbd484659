#include "platform/ShellOpen.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>

namespace platform {

int ShellOpen::Run(const QStringList& arguments) {
    if (arguments.isEmpty())
        return kFileNotFound;
    const QString& program = arguments.first();
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments.mid(1));
    process.setStandardInputFile(QProcess::nullDevice());
    if (process.startDetached())
        return kStarted;
    // A path, with either system's separator, names a file; a bare name is looked up on PATH.
    const bool found = QDir::fromNativeSeparators(program).contains(u'/')
                           ? QFile::exists(program)
                           : !QStandardPaths::findExecutable(program).isEmpty();
    return found ? kAccessDenied : kFileNotFound;
}

}  // namespace platform
