#include "platform/ShellOpen.h"

#include <QCoreApplication>
#include <QFile>
#include <QPointer>
#include <QProcess>
#include <QStandardPaths>
#include <QTextStream>
#include <QTimer>

#include <memory>
#include <utility>

namespace platform {

namespace {

constexpr int kQueryWaitMs = 5000;
// Shell result codes.
constexpr int kAssociationInvalid = 27;
constexpr int kNoAssociation = 31;

void Prepare(QProcess& process, const QString& program, const QStringList& arguments) {
    process.setProgram(program);
    process.setArguments(arguments);
    process.setStandardInputFile(QProcess::nullDevice());
}

// How a program ended (or that it still runs), copied out of the process so that the answer
// needs nothing that may be gone by the time the event loop delivers it.
struct Ending {
    bool stillRunning = false;
    bool started = false;
    bool normalExit = false;
    int exitCode = -1;
    QByteArray output;
};

// Starts the process and gives done its ending, or that it still runs after waitMs, once,
// from the event loop, unless context is gone by then. The process belongs to the
// application, so that it may outlive context, and deletes itself when it ends.
void StartWatched(std::unique_ptr<QProcess> owned, QObject* context, int waitMs,
                  std::function<void(const Ending&)> done) {
    QProcess* process = owned.release();
    process->setParent(QCoreApplication::instance());
    auto answered = std::make_shared<bool>(false);
    auto answer = [receiver = QPointer<QObject>(context), answered,
                   done = std::move(done)](Ending ending) {
        if (std::exchange(*answered, true) || receiver.isNull())
            return;
        QMetaObject::invokeMethod(
            receiver.data(), [done, ending = std::move(ending)] { done(ending); },
            Qt::QueuedConnection);
    };
    QObject::connect(process, &QProcess::finished, process,
                     [process, answer](int exitCode, QProcess::ExitStatus status) {
                         answer(Ending{false, true, status == QProcess::NormalExit, exitCode,
                                       process->readAllStandardOutput()});
                         process->deleteLater();
                     });
    QObject::connect(process, &QProcess::errorOccurred, process,
                     [process, answer](QProcess::ProcessError error) {
                         if (error != QProcess::FailedToStart)
                             return;
                         answer(Ending{});
                         process->deleteLater();
                     });
    QTimer::singleShot(waitMs, process, [answer] {
        Ending running;
        running.stillRunning = true;
        answer(running);
    });
    process->start();
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

void ShellOpen::Open(const QString& target, QObject* context, std::function<void(int)> done) {
    auto process = std::make_unique<QProcess>();
    Prepare(*process, "xdg-open", {target});
    process->setProcessChannelMode(QProcess::ForwardedChannels);
    StartWatched(std::move(process), context, kOpenWaitMs,
                 [done = std::move(done)](const Ending& ending) {
                     if (ending.stillRunning)
                         done(kOpened);
                     else if (!ending.started)
                         done(kNoAssociation);
                     else if (!ending.normalExit)
                         done(kAssociationInvalid);
                     else
                         done(ResultForExitStatus(ending.exitCode));
                 });
}

void ShellOpen::HtmlHandlerCommand(QObject* context,
                                   std::function<void(std::optional<QString>)> done) {
    auto query = std::make_unique<QProcess>();
    Prepare(*query, "xdg-mime", {"query", "default", "text/html"});
    // A query still running after the wait counts as no answer.
    StartWatched(std::move(query), context, kQueryWaitMs,
                 [done = std::move(done)](const Ending& ending) {
                     if (ending.stillRunning || !ending.normalExit || ending.exitCode != 0) {
                         done(std::nullopt);
                         return;
                     }
                     const QString desktopId = QString::fromUtf8(ending.output).trimmed();
                     if (desktopId.isEmpty() || desktopId.contains(u'/')) {
                         done(std::nullopt);
                         return;
                     }
                     const QString path =
                         QStandardPaths::locate(QStandardPaths::ApplicationsLocation, desktopId);
                     done(path.isEmpty() ? std::nullopt : ExecOfDesktopFile(path));
                 });
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
