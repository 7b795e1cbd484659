#include "platform/AppMessages.h"

#include <cstdio>

namespace platform {

namespace {
AppMessages::Handler& handler() {
    static AppMessages::Handler h;
    return h;
}
}  // namespace

void AppMessages::Show(const QString& text, MessageIcon icon) {
    if (handler()) {
        handler()(AppMessage{text, icon});
        return;
    }
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
}

void AppMessages::SetHandler(Handler h) {
    handler() = std::move(h);
}

}  // namespace platform
