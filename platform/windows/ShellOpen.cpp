#include "platform/ShellOpen.h"

#include <QCoreApplication>
#include <QPointer>

#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

namespace platform {

namespace {

// A registry value is read as at most MAX_PATH characters.
constexpr DWORD kValueChars = MAX_PATH;

// The answer comes from the event loop, as with every opener, and only while context lives.
template <typename Answer>
void AnswerLater(QObject* context, Answer answer) {
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [receiver = QPointer<QObject>(context), answer = std::move(answer)] {
            if (!receiver.isNull())
                answer();
        },
        Qt::QueuedConnection);
}

// The default (unnamed) value of a key under HKEY_CLASSES_ROOT.
std::optional<QString> ClassesRootDefault(const QString& key) {
    wchar_t value[kValueChars] = {};
    DWORD bytes = sizeof(value);
    if (RegGetValueW(HKEY_CLASSES_ROOT, reinterpret_cast<const wchar_t*>(key.utf16()), nullptr,
                     RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND, nullptr, value,
                     &bytes) != ERROR_SUCCESS)
        return std::nullopt;
    return QString::fromWCharArray(value);
}

}  // namespace

// The shell starts the handler and returns; it does not wait for the document to open.
void ShellOpen::Open(const QString& target, QObject* context, std::function<void(int)> done) {
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteW(nullptr, L"open", reinterpret_cast<const wchar_t*>(target.utf16()), nullptr,
                      nullptr, SW_SHOWNORMAL));
    AnswerLater(context, [done = std::move(done), result] { done(int(result)); });
}

// The open command of the class that ".htm" files belong to.
void ShellOpen::HtmlHandlerCommand(QObject* context,
                                   std::function<void(std::optional<QString>)> done) {
    std::optional<QString> command;
    if (const std::optional<QString> htmlClass = ClassesRootDefault(QStringLiteral(".htm")))
        command = ClassesRootDefault(*htmlClass + QStringLiteral("\\shell\\open\\command"));
    AnswerLater(context, [done = std::move(done), command] { done(command); });
}

}  // namespace platform
