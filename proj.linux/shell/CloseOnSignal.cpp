#include "CloseOnSignal.h"

#include "cocos2d.h"

#include <atomic>
#include <csignal>

namespace {

// Lock-free, so setting it is safe inside a handler running on any thread.
std::atomic<bool> g_requested{false};
static_assert(std::atomic<bool>::is_always_lock_free, "the close flag is set from a signal handler");

const int kSignals[] = {SIGTERM, SIGINT};

extern "C" void onCloseSignal(int) {
    g_requested.store(true);
}

} // namespace

bool CloseOnSignal::install() {
    g_requested.store(false);
    struct sigaction action = {};
    action.sa_handler = onCloseSignal;
    sigemptyset(&action.sa_mask);
    // SA_RESETHAND: the first signal asks for a close, the next one is not caught.
    action.sa_flags = SA_RESTART | SA_RESETHAND;
    for (int sig : kSignals) {
        if (sigaction(sig, &action, nullptr) != 0) {
            cocos2d::log("CloseOnSignal: signal %d cannot be handled", sig);
            uninstall();
            return false;
        }
    }
    return true;
}

void CloseOnSignal::uninstall() {
    for (int sig : kSignals)
        std::signal(sig, SIG_DFL);
    g_requested.store(false);
}

bool CloseOnSignal::requested() {
    return g_requested.load();
}
