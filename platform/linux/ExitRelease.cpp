#include "platform/ExitRelease.h"

#include <stdlib.h>
#include <unistd.h>
#include <cstdio>

namespace platform {

namespace {

// Plain static storage: nothing here may be destroyed before the handler runs.
ExitRelease* g_armed = nullptr;
bool g_registered = false;

}  // namespace

ExitRelease::ExitRelease(std::function<void()> release)
    : m_release(std::move(release)), m_thread(std::this_thread::get_id()) {
    // Handlers run in the reverse order of registration, and static objects are destroyed in
    // that same sequence: registered now, the handler runs before anything made earlier goes.
    if (!g_registered)
        g_registered = on_exit(&ExitRelease::OnExit, nullptr) == 0;
    g_armed = this;
}

ExitRelease::~ExitRelease() {
    if (g_armed == this)
        g_armed = nullptr;
}

void ExitRelease::OnExit(int status, void*) {
    ExitRelease* armed = g_armed;
    if (armed == nullptr)
        return;
    g_armed = nullptr;
    // Widgets may only be touched on their own thread; elsewhere the release is skipped, and
    // what the program keeps was written when it changed.
    if (std::this_thread::get_id() == armed->m_thread)
        armed->m_release();
    std::fflush(nullptr);
    _exit(status);
}

}  // namespace platform
