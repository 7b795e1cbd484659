#include "platform/ShellOpen.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTextStream>

#include <memory>

namespace platform {

namespace {

constexpr int kOpenWaitMs = 10000;
constexpr int kQueryWaitMs = 5000;
// Shell result codes.
constexpr int kFileNotFound = 2;
constexpr int kAccessDenied = 5;
constexpr int kAssociationInvalid = 27;
constexpr int kNoAssociation = 31;

void Prepare(QProcess& process, const QString& program, const QStringList& arguments) {
    process.setProgram(program);
    process.setArguments(arguments);
    process.setStandardInputFile(QProcess::nullDevice());
}

// The value of a desktop entry's string escapes (\s, \n, \t, \r, \\).
QString Unescape(const QString& value) {
    QString result;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] != u'\\' || i + 1 == value.size()) {
            result += value[i];
            continue;
        }
        const QChar code = value[++i];
        if (code == u's')
            result += u' ';
        else if (code == u'n')
            result += u'\n';
        else if (code == u't')
            result += u'\t';
        else if (code == u'r')
            result += u'\r';
        else
            result += code;
    }
    return result;
}

std::optional<QString> ExecOfDesktopFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return std::nullopt;
    QTextStream in(&file);
    bool inEntry = false;
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (line.startsWith(u'['))
            inEntry = line == "[Desktop Entry]";
        else if (inEntry && line.startsWith("Exec="))
            return Unescape(line.mid(5));
    }
    return std::nullopt;
}

}  // namespace

int ShellOpen::Open(const QString& target) {
    auto process = std::make_unique<QProcess>();
    Prepare(*process, "xdg-open", {target});
    process->setProcessChannelMode(QProcess::ForwardedChannels);
    process->start();
    if (!process->waitForStarted())
        return kNoAssociation;
    if (!process->waitForFinished(kOpenWaitMs)) {
        QObject::connect(process.get(), &QProcess::finished, process.get(), &QObject::deleteLater);
        process.release()->setParent(QCoreApplication::instance());
        return kOpened;
    }
    if (process->exitStatus() != QProcess::NormalExit)
        return kAssociationInvalid;
    return ResultForExitStatus(process->exitCode());
}

std::optional<QString> ShellOpen::HtmlHandlerCommand() {
    QProcess query;
    Prepare(query, "xdg-mime", {"query", "default", "text/html"});
    query.start();
    if (!query.waitForFinished(kQueryWaitMs) || query.exitStatus() != QProcess::NormalExit ||
        query.exitCode() != 0)
        return std::nullopt;
    const QString desktopId = QString::fromUtf8(query.readAllStandardOutput()).trimmed();
    if (desktopId.isEmpty() || desktopId.contains(u'/'))
        return std::nullopt;
    const QString path = QStandardPaths::locate(QStandardPaths::ApplicationsLocation, desktopId);
    if (path.isEmpty())
        return std::nullopt;
    return ExecOfDesktopFile(path);
}

int ShellOpen::Run(const QStringList& arguments) {
    if (arguments.isEmpty())
        return kFileNotFound;
    QProcess process;
    Prepare(process, arguments.first(), arguments.mid(1));
    if (process.startDetached())
        return kStarted;
    const bool found = arguments.first().contains(u'/')
                           ? QFile::exists(arguments.first())
                           : !QStandardPaths::findExecutable(arguments.first()).isEmpty();
    return found ? kAccessDenied : kFileNotFound;
}

// 0 opened; 1 bad command line; 2 no such file; 3 a needed tool is missing; 4 no way to
// open it was found.
int ShellOpen::ResultForExitStatus(int status) {
    switch (status) {
        case 0:
            return kOpened;
        case 2:
            return kFileNotFound;
        case 3:
        case 4:
            return kNoAssociation;
        default:
            return kAssociationInvalid;
    }
}

}  // namespace platform
