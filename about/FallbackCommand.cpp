#include "about/FallbackCommand.h"

namespace {

bool IsPlaceholderCode(QChar code) {
    return code == u'1' || code == u'u' || code == u'U' || code == u'f' || code == u'F';
}

// Where the first placeholder begins (its opening quote for the quoted form), skipping "%%".
qsizetype FindPlaceholder(const QString& command, bool quoted) {
    for (qsizetype i = 0; i + 1 < command.size(); ++i) {
        if (command[i] != u'%')
            continue;
        if (command[i + 1] == u'%') {
            ++i;
            continue;
        }
        if (!IsPlaceholderCode(command[i + 1]))
            continue;
        if (!quoted)
            return i;
        const bool enclosed =
            i > 0 && command[i - 1] == u'"' && i + 2 < command.size() && command[i + 2] == u'"';
        if (enclosed)
            return i - 1;
    }
    return -1;
}

// A backslash inside quotes escapes only what desktop-entry quoting reserves; before anything
// else it is a plain character, as in every folder of a Windows command.
bool IsEscapable(QChar c) {
    return c == u'"' || c == u'`' || c == u'$' || c == u'\\';
}

// Desktop-entry quoting: blanks separate arguments, double quotes group them, and inside
// quotes a backslash escapes a reserved character. "%%" is a percent sign; other field codes
// (icon, name, file location) stand for nothing here and are dropped.
QStringList SplitArguments(const QString& command) {
    QStringList arguments;
    QString current;
    bool inArgument = false;
    bool inQuotes = false;
    for (qsizetype i = 0; i < command.size(); ++i) {
        const QChar c = command[i];
        if (inQuotes && c == u'\\' && i + 1 < command.size() && IsEscapable(command[i + 1])) {
            current += command[++i];
        } else if (c == u'"') {
            inQuotes = !inQuotes;
            inArgument = true;
        } else if (!inQuotes && c.isSpace()) {
            if (inArgument)
                arguments << current;
            current.clear();
            inArgument = false;
        } else if (c == u'%' && i + 1 < command.size()) {
            if (command[++i] == u'%') {
                current += u'%';
                inArgument = true;
            }
        } else {
            current += c;
            inArgument = true;
        }
    }
    if (inArgument && !current.isEmpty())
        arguments << current;
    return arguments;
}

}  // namespace

std::optional<QStringList> BuildFallbackCommand(const QString& command, const QString& target) {
    qsizetype cut = FindPlaceholder(command, true);
    if (cut < 0)
        cut = FindPlaceholder(command, false);
    const QString head = cut < 0 ? command : command.left(cut);
    // The command, a blank, the target and the terminating zero.
    const qsizetype length = head.toUtf8().size() + 1 + target.toUtf8().size() + 1;
    if (length > kFallbackCommandBuffer)
        return std::nullopt;
    QStringList arguments = SplitArguments(head);
    if (arguments.isEmpty())
        return std::nullopt;
    arguments << target;
    return arguments;
}
