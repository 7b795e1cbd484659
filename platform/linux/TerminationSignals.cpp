#include "platform/TerminationSignals.h"

#include <QSocketNotifier>

#include <fcntl.h>
#include <unistd.h>
#include <array>
#include <cerrno>
#include <csignal>

namespace platform {

namespace {

constexpr std::array kSignals{SIGTERM, SIGINT, SIGHUP};

// Read by the signal handler, so a plain int of static storage.
volatile sig_atomic_t g_writeFd = -1;
int g_readFd = -1;
std::array<struct sigaction, kSignals.size()> g_previous{};

void OnSignal(int signalNumber) {
    const int savedErrno = errno;
    const unsigned char byte = static_cast<unsigned char>(signalNumber);
    if (g_writeFd >= 0) [[maybe_unused]]
        ssize_t n = write(g_writeFd, &byte, 1);
    errno = savedErrno;
}

}  // namespace

TerminationSignals::TerminationSignals(QObject* parent) : QObject(parent) {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    g_readFd = fds[0];
    g_writeFd = fds[1];
    m_notifier = std::make_unique<QSocketNotifier>(g_readFd, QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &TerminationSignals::ReadPending);
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (size_t i = 0; i < kSignals.size(); ++i)
        sigaction(kSignals[i], &action, &g_previous[i]);
}

TerminationSignals::~TerminationSignals() {
    if (g_readFd < 0)
        return;
    for (size_t i = 0; i < kSignals.size(); ++i)
        sigaction(kSignals[i], &g_previous[i], nullptr);
    m_notifier.reset();
    const int writeFd = g_writeFd;
    g_writeFd = -1;
    close(writeFd);
    close(g_readFd);
    g_readFd = -1;
}

void TerminationSignals::ReadPending() {
    unsigned char byte = 0;
    while (read(g_readFd, &byte, 1) == 1)
        emit received(byte);
}

}  // namespace platform
