#pragma once

#include <QString>

#include <functional>

namespace platform {

enum class MessageIcon { None, Stop, Exclamation };

struct AppMessage {
    QString text;
    MessageIcon icon = MessageIcon::None;
};

// Every message box of the program goes through here: the program installs a handler
// that shows a modal box, tests install one that records, so no test blocks on a box.
class AppMessages {
public:
    using Handler = std::function<void(const AppMessage&)>;

    static void Show(const QString& text, MessageIcon icon = MessageIcon::None);

    // An empty handler restores the default, which writes the text to standard error.
    static void SetHandler(Handler handler);
};

}  // namespace platform
