#include "ChildProcess.h"

#include "FileDescriptor.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <thread>
#include <utility>

extern char** environ;

namespace {

std::vector<char*> CStrings(const ChildProcess::Strings& strings) {
    std::vector<char*> pointers;
    for (const std::string& s : strings)
        pointers.push_back(const_cast<char*>(s.c_str()));
    pointers.push_back(nullptr);
    return pointers;
}

// File actions of posix_spawn, released however the start ends.
class SpawnActions {
public:
    SpawnActions() { posix_spawn_file_actions_init(&actions); }
    ~SpawnActions() { posix_spawn_file_actions_destroy(&actions); }
    SpawnActions(const SpawnActions&) = delete;
    SpawnActions& operator=(const SpawnActions&) = delete;
    posix_spawn_file_actions_t* Get() { return &actions; }

private:
    posix_spawn_file_actions_t actions;
};

pid_t Spawn(const ChildProcess::Strings& argv, const ChildProcess::Strings& environment,
            SpawnActions& actions) {
    pid_t pid = -1;
    auto args = CStrings(argv);
    auto env = CStrings(environment);
    if (posix_spawnp(&pid, args[0], actions.Get(), nullptr, args.data(), env.data()) != 0)
        return -1;
    return pid;
}

}  // namespace

ChildProcess::~ChildProcess() {
    Stop();
}

ChildProcess::ChildProcess(ChildProcess&& other) noexcept
    : pid(std::exchange(other.pid, -1)), exitCode(other.exitCode) {}

ChildProcess& ChildProcess::operator=(ChildProcess&& other) noexcept {
    if (this != &other) {
        Stop();
        pid = std::exchange(other.pid, -1);
        exitCode = other.exitCode;
    }
    return *this;
}

ChildProcess ChildProcess::Start(const Strings& argv, const Strings& environment,
                                 const std::string& logFile) {
    SpawnActions actions;
    const std::string log = logFile.empty() ? "/dev/null" : logFile;
    posix_spawn_file_actions_addopen(actions.Get(), STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(actions.Get(), STDOUT_FILENO, log.c_str(),
                                     O_WRONLY | O_CREAT | O_APPEND, 0644);
    posix_spawn_file_actions_adddup2(actions.Get(), STDOUT_FILENO, STDERR_FILENO);
    return ChildProcess(Spawn(argv, environment, actions));
}

ChildProcess::Strings ChildProcess::CurrentEnvironmentWith(
    const std::vector<std::pair<std::string, std::string>>& overrides) {
    Strings environment;
    for (char** entry = environ; *entry; ++entry) {
        const std::string variable(*entry);
        const std::string name = variable.substr(0, variable.find('='));
        bool replaced = false;
        for (const auto& [key, value] : overrides)
            replaced = replaced || key == name;
        if (!replaced)
            environment.push_back(variable);
    }
    for (const auto& [key, value] : overrides) {
        if (!value.empty())
            environment.push_back(key + "=" + value);
    }
    return environment;
}

ChildProcess::Result ChildProcess::Run(const Strings& argv, const Strings& environment,
                                       std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        return {};
    const FileDescriptor readEnd(fds[0]);
    FileDescriptor writeEnd(fds[1]);
    SpawnActions actions;
    posix_spawn_file_actions_addopen(actions.Get(), STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(actions.Get(), writeEnd.Get(), STDOUT_FILENO);
    posix_spawn_file_actions_addopen(actions.Get(), STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    ChildProcess child(Spawn(argv, environment, actions));
    writeEnd.Close();
    const std::optional<std::string> output = ReadUntilClosed(readEnd.Get(), timeout);
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (!output || !child.WaitForExit(left)) {
        // The destructor stops it; the message says why the caller saw a failure.
        std::fprintf(stderr, "%s did not end within %lld ms and was stopped\n", argv[0].c_str(),
                     static_cast<long long>(timeout.count()));
        return {};
    }
    return {child.exitCode, *output};
}

ChildProcess ChildProcess::Fork(const std::function<int()>& body) {
    const pid_t pid = fork();
    if (pid == 0)
        _exit(body());
    return ChildProcess(pid);
}

bool ChildProcess::Reap(bool block) {
    int status = 0;
    pid_t done;
    do {
        done = waitpid(pid, &status, block ? 0 : WNOHANG);
    } while (done < 0 && errno == EINTR);
    if (done == 0)
        return false;
    exitCode = done == pid && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    pid = -1;
    return true;
}

bool ChildProcess::Running() {
    return Started() && !Reap(false);
}

bool ChildProcess::WaitForExit(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (Running()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

int ChildProcess::Stop(std::chrono::milliseconds grace) {
    if (!Running())
        return exitCode;
    kill(pid, SIGTERM);
    if (!WaitForExit(grace)) {
        kill(pid, SIGKILL);
        Reap(true);
    }
    return exitCode;
}
