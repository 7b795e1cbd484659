#include "platform/Clock.h"

namespace platform {

namespace {
Clock::Source& source() {
    static Clock::Source s;
    return s;
}
}  // namespace

QDateTime Clock::CurrentLocal() {
    QDateTime now = source() ? source()() : QDateTime::currentDateTime();
    QTime t = now.time();
    now.setTime(QTime(t.hour(), t.minute(), t.second()));
    return now;
}

void Clock::SetSource(Source s) {
    source() = std::move(s);
}

}  // namespace platform
