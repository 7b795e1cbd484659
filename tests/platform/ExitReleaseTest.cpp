#include "platform/ExitRelease.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>
#include <cstdlib>
#include <string>
#include <thread>

namespace {
bool g_inForkedChild = false;
}

#if defined(__SANITIZE_ADDRESS__)
// A forked child holds the parent's record of threads it does not have; the leak check at its
// exit would report on those, not on what the test looks at.
extern "C" int __lsan_is_turned_off() {
    return g_inForkedChild ? 1 : 0;
}
#endif

namespace {

struct Ending {
    int status = -1;       // the exit status, -1 when the child did not exit normally
    std::string released;  // what the release step wrote
};

// Runs body in a child process whose release step writes "released" into a pipe, and
// reports how the child ended.
Ending InChild(void (*body)(int fd)) {
    int fds[2];
    if (pipe(fds) != 0)
        return {};
    const pid_t child = fork();
    if (child == 0) {
        g_inForkedChild = true;
        close(fds[0]);
        body(fds[1]);
        _exit(99);
    }
    close(fds[1]);
    Ending ending;
    char buffer[64];
    ssize_t got = 0;
    while ((got = read(fds[0], buffer, sizeof buffer)) > 0)
        ending.released.append(buffer, static_cast<size_t>(got));
    close(fds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    if (WIFEXITED(status))
        ending.status = WEXITSTATUS(status);
    return ending;
}

void WriteReleased(int fd) {
    [[maybe_unused]] const ssize_t n = write(fd, "released", 8);
}

TEST(ExitRelease, ExitWhileArmedRunsTheStepAndKeepsTheStatus) {
    const Ending ending = InChild([](int fd) {
        platform::ExitRelease release([fd] { WriteReleased(fd); });
        std::exit(3);
    });
    EXPECT_EQ(ending.status, 3);
    EXPECT_EQ(ending.released, "released");
}

TEST(ExitRelease, ExitAfterTheGuardWentRunsNothing) {
    const Ending ending = InChild([](int fd) {
        {
            platform::ExitRelease release([fd] { WriteReleased(fd); });
        }
        std::exit(4);
    });
    EXPECT_EQ(ending.status, 4);
    EXPECT_EQ(ending.released, "");
}

// Widgets belong to the thread that made them: an exit() on another thread skips the step.
TEST(ExitRelease, ExitOnAnotherThreadSkipsTheStepAndKeepsTheStatus) {
    const Ending ending = InChild([](int fd) {
        platform::ExitRelease release([fd] { WriteReleased(fd); });
        std::thread([] { std::exit(5); }).join();
    });
    EXPECT_EQ(ending.status, 5);
    EXPECT_EQ(ending.released, "");
}

}  // namespace
