#include "platform/TerminationSignals.h"

#include <QCoreApplication>
#include <QDeadlineTimer>

#include <gtest/gtest.h>

#include <csignal>
#include <vector>

namespace {

std::vector<int> RaiseAndCollect(std::initializer_list<int> signalNumbers) {
    platform::TerminationSignals termination;
    std::vector<int> received;
    QObject::connect(&termination, &platform::TerminationSignals::received,
                     [&received](int n) { received.push_back(n); });
    for (int n : signalNumbers)
        raise(n);
    // The handler has written the bytes already; the event loop only has to read them.
    QDeadlineTimer deadline(5000);
    while (received.size() < signalNumbers.size() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
    return received;
}

TEST(TerminationSignals, EachSignalArrivesOnTheEventLoop) {
    EXPECT_EQ(RaiseAndCollect({SIGTERM, SIGINT, SIGHUP}),
              (std::vector<int>{SIGTERM, SIGINT, SIGHUP}));
}

TEST(TerminationSignals, PreviousHandlersComeBackAfterwards) {
    RaiseAndCollect({SIGHUP});
    struct sigaction current {};
    sigaction(SIGHUP, nullptr, &current);
    EXPECT_EQ(current.sa_handler, SIG_DFL);
}

}  // namespace
