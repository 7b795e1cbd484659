#include "platform/DisplayOpeningGuard.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>

namespace {

// How a forked child ends that faults while a guard lives: the exit status, or minus the
// signal that ended it.
int EndingOfAGuardedFault() {
    const pid_t child = fork();
    if (child == 0) {
        const platform::DisplayOpeningGuard guard;
        std::raise(SIGSEGV);
        std::_Exit(0);
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child)
        return 0;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
}

using FaultHandler = void (*)(int);

FaultHandler CurrentFaultHandler() {
    const FaultHandler current = std::signal(SIGSEGV, SIG_DFL);
    std::signal(SIGSEGV, current);
    return current;
}

// A fault while Qt opens the display ends the start with status 1; once the display is open
// a fault is a fault again, left to whatever handled it before (the system, a sanitizer).
TEST(DisplayOpeningGuard, AFaultWhileItLivesEndsWithStatusOneAndOnlyThen) {
    EXPECT_EQ(EndingOfAGuardedFault(), 1);
    const FaultHandler before = CurrentFaultHandler();
    { const platform::DisplayOpeningGuard guard; }
    EXPECT_EQ(CurrentFaultHandler(), before);
}

}  // namespace
