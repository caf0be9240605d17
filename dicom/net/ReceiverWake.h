#pragma once
// Cuts short the receiver thread's wait for a connecting peer when the receiver stops.

#include <pthread.h>

namespace dcmSDK {

/// Wakes the receiver thread with a signal. DCMTK treats a wait for a peer that a signal
/// interrupts like the end of its accept poll ("no association request yet"), so the
/// receiver looks at its stop flag at once and nothing is logged. (A connection of our
/// own wakes it too, but DCMTK logs that one as a failed association request.) The
/// handler does nothing and restarts interrupted calls, and DCMTK retries its socket
/// reads and writes on EINTR, so a signal arriving during an association changes nothing.
class ReceiverWake {
public:
    /// Installs the handler once per process; false when the signal is taken by someone
    /// else (the receiver then notices a stop at its next accept poll). Thread-safe.
    static bool prepare();

    /// Called on the receiver thread before it waits: lets the wake signal through there
    /// even when the thread that started it blocks the signal.
    static void allowOnThisThread();

    /// Interrupts what thread (a receiver thread, running or finished but not yet joined)
    /// is waiting for; does nothing when prepare() failed.
    static void wake(pthread_t thread);
};

} // namespace dcmSDK
