#pragma once
// The services of the upper subsystems that the application object starts and stops: the
// window, the DICOM library, the online services, the first scene, LAN discovery, the DICOM
// service and the sound effects. The program installs the real ones; tests install doubles.

#include "cocos2d.h"

#include <memory>
#include <string>
#include <vector>

class AppServices {
public:
    virtual ~AppServices() = default;

    /// The services in use (null until the program or a test installs some).
    static AppServices* current();
    static void setCurrent(std::shared_ptr<AppServices> services);

    // ---- Launch ------------------------------------------------------------------------

    /// Makes this program the owner of its library before anything reads or writes it; false
    /// when another running workstation owns it. Called first, once a launch.
    virtual bool takeLibrary() = 0;
    /// What a program that does not own its library shows and does, alone (autoreleased).
    virtual cocos2d::Scene* createLibraryInUseScene() = 0;

    /// Creates the process-wide registries of the upper subsystems on the calling (main)
    /// thread, before any worker could be the first to reach them.
    virtual void createSharedRegistries() = 0;

    /// The desktop area not covered by panels (top-left origin); empty without a display.
    virtual cocos2d::Rect desktopWorkArea() = 0;
    /// A window at rect (top-left origin, pixels) with the caption; null when none can be made.
    virtual cocos2d::GLView* createWindow(const std::string& caption, const cocos2d::Rect& rect) = 0;
    /// Folders searched for resources after the fixed ones (e.g. where the build puts
    /// generated files such as the language table).
    virtual std::vector<std::string> extraSearchPaths() { return {}; }
    /// Hands the DICOM library its log, message, text-conversion, read-file and save-PNG callbacks.
    virtual void installDicomCallbacks() = 0;
    /// Creates the application-wide HTTP service and enables its sign-in re-check.
    virtual void startHttpService() = 0;
    /// Creates the usage statistics and opens their database.
    virtual void startStatistics() = 0;
    /// The patient list scene (autoreleased).
    virtual cocos2d::Scene* createFirstScene() = 0;
    /// Re-reads the online configuration and shows the new-version notice when it asks to.
    virtual void showNewVersionNotice() = 0;
    /// Creates LAN discovery (its receive loop starts with it) and starts a ping sweep.
    virtual void startDiscovery() = 0;
    /// Creates the DICOM service (store, receiver, timer) and echoes the known nodes.
    virtual void startDicomService() = 0;
    /// One usage event: 0 launch, 1 back in the foreground, 2 into the background.
    virtual void recordStat(int type) = 0;
    virtual void preloadEffects() = 0;

    // ---- Back in the foreground --------------------------------------------------------

    virtual void startPingSweep() = 0;
    /// Keeps a running update service; otherwise replaces it with a new one.
    virtual void renewUpdateService() = 0;
    /// 1 every host of the local subnets, 2 the known nodes.
    virtual void echoSweep(int mode) = 0;

    // ---- Shutdown (each does nothing when its service does not exist) ------------------

    /// Stops LAN discovery's threads (bounded wait) and deletes it.
    virtual void stopDiscovery() = 0;
    /// Clears and releases the registries of shared imaging objects and of measurements.
    virtual void releaseImagingRegistries() = 0;
    virtual void stopDicomService() = 0;
    virtual void stopOnlineNotice() = 0;
    virtual void stopStatistics() = 0;
    /// Ends the sound engine, last of all.
    virtual void stopSound() = 0;
};
