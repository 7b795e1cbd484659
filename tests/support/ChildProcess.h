#pragma once

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <string>
#include <utility>
#include <vector>

// A program started by the tests, owned by its pid: the destructor stops it (SIGTERM, then
// SIGKILL after a grace time) and reaps it, so no test leaves a process behind. Works before
// any Qt application object exists, which the desktop session needs.
class ChildProcess {
public:
    using Strings = std::vector<std::string>;

    struct Result {
        int exitCode = -1;   // -1 when it could not start, did not exit normally or ran too long
        std::string output;  // standard output
    };

    // Long enough for any tool the tests run, well inside CTest's timeout of a test.
    static constexpr std::chrono::minutes kRunTimeout{2};

    ChildProcess() = default;
    ~ChildProcess();
    ChildProcess(ChildProcess&& other) noexcept;
    ChildProcess& operator=(ChildProcess&& other) noexcept;
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // argv[0] is looked up on PATH; environment holds "NAME=value" entries. Standard output
    // and error go to logFile (appended), or to /dev/null when it is empty. The child
    // inherits every descriptor that is not close-on-exec.
    static ChildProcess Start(const Strings& argv, const Strings& environment,
                              const std::string& logFile = {});
    // This process's environment with the given variables set; an empty value removes one.
    static Strings CurrentEnvironmentWith(
        const std::vector<std::pair<std::string, std::string>>& overrides);
    // Runs to the end and returns the exit code and standard output. A program that has not
    // ended (and closed its output) within timeout is stopped, and the result is a failure.
    static Result Run(const Strings& argv, const Strings& environment,
                      std::chrono::milliseconds timeout = kRunTimeout);
    // Runs body in a forked copy of this process, which ends with the status body returns.
    static ChildProcess Fork(const std::function<int()>& body);

    pid_t Pid() const { return pid; }
    bool Started() const { return pid > 0; }
    bool Running();
    // Stops the program if it still runs; returns its exit code (-1 if killed by a signal).
    int Stop(std::chrono::milliseconds grace = std::chrono::seconds(3));
    // Waits up to timeout for the program to end by itself; false if it still runs.
    bool WaitForExit(std::chrono::milliseconds timeout);
    int ExitCode() const { return exitCode; }

private:
    explicit ChildProcess(pid_t pid) : pid(pid) {}
    bool Reap(bool block);

    pid_t pid = -1;
    int exitCode = -1;
};
