#include "platform/ExitRelease.h"

#include <gtest/gtest.h>

#include <unistd.h>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "ChildProcess.h"
#include "FileDescriptor.h"

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
// reports how the child ended. A child that hangs on its way out is stopped at a deadline.
Ending InChild(void (*body)(int fd)) {
    constexpr std::chrono::seconds kDeadline(20);
    int fds[2];
    if (pipe(fds) != 0)
        return {};
    const FileDescriptor readEnd(fds[0]);
    FileDescriptor writeEnd(fds[1]);
    ChildProcess child = ChildProcess::Fork([&] {
        g_inForkedChild = true;
        body(writeEnd.Get());
        return 99;
    });
    writeEnd.Close();
    const std::optional<std::string> released = ReadUntilClosed(readEnd.Get(), kDeadline);
    const bool ended = released && child.WaitForExit(kDeadline);
    EXPECT_TRUE(ended) << "the child had not ended after " << kDeadline.count() << " s";
    return ended ? Ending{child.ExitCode(), *released} : Ending{};
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
