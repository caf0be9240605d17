#pragma once
// The few calls the store and the DICOM service make into the user interface and LAN
// discovery, which live in layers above this one; the application installs them at launch.

#include <functional>
#include <string>

/// Each hook may be left empty: the call then only writes a log line. Set them on the main
/// thread before the service starts; they are called on the main thread.
class ServiceHooks {
public:
    /// Plays a sound effect once ("res/waterfall.wav" when a favourite was added).
    static std::function<void(const std::string& file)>& playEffect();
    /// Shows a short toast with the text for the given seconds.
    static std::function<void(const std::string& text, float seconds)>& showMessage();
    /// Starts one LAN discovery ping sweep.
    static std::function<void()>& startPingSweep();

    static void callPlayEffect(const std::string& file);
    static void callShowMessage(const std::string& text, float seconds);
    static void callStartPingSweep();
};
