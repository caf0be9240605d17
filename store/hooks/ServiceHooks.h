#pragma once
// The two calls the DICOM service makes into the toast widget and LAN discovery, which live
// outside this library; the application installs them at launch.

#include <functional>
#include <string>

/// Each hook may be left empty: the call then only writes a log line. Set them on the main
/// thread before the service starts; they are called on the main thread.
class ServiceHooks {
public:
    /// Shows a short toast with the text for the given seconds.
    static std::function<void(const std::string& text, float seconds)>& showMessage();
    /// Starts one LAN discovery ping sweep.
    static std::function<void()>& startPingSweep();

    static void callShowMessage(const std::string& text, float seconds);
    static void callStartPingSweep();
};
