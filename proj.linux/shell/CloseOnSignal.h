#pragma once
// Turns SIGTERM and SIGINT into a normal close: the handler only raises a flag, and the
// program's window reports itself closed while it is up, so the loop leaves through the same
// shutdown sequence as when the user closes the window (also while it is minimised).

class CloseOnSignal {
public:
    /// Installs the handlers. A second signal while the close is under way gets the default
    /// action, so a shutdown that hangs can still be ended.
    static bool install();
    /// Restores the default handlers and lowers the flag.
    static void uninstall();
    /// Whether a signal has asked the program to close.
    static bool requested();
};
