#include "ReceiverWake.h"

#include "dcmCallbacks.h"

#include <csignal>
#include <mutex>

namespace dcmSDK {

namespace {

// A real-time signal nobody else in the program uses (SIGRTMIN already skips the ones
// the C library keeps for itself).
int wakeSignal()
{
    return SIGRTMIN + 4;
}

extern "C" void onWake(int)
{
    // Interrupting the wait is all the signal is for.
}

bool g_installed = false;  // written once under call_once, read after it

} // namespace

bool ReceiverWake::prepare()
{
    static std::once_flag once;
    std::call_once(once, [] {
        struct sigaction current = {};
        if (sigaction(wakeSignal(), nullptr, &current) != 0)
            return;
        if (current.sa_handler != SIG_DFL) {
            dcmLog("ReceiverWake: signal %d is in use; a stop waits for the receiver's poll", wakeSignal());
            return;
        }
        struct sigaction action = {};
        action.sa_handler = onWake;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        g_installed = sigaction(wakeSignal(), &action, nullptr) == 0;
    });
    return g_installed;
}

void ReceiverWake::allowOnThisThread()
{
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, wakeSignal());
    pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
}

void ReceiverWake::wake(pthread_t thread)
{
    if (prepare())
        pthread_kill(thread, wakeSignal());
}

} // namespace dcmSDK
