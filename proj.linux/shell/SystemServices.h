#pragma once
// The real services behind the application object: the GLFW window, the DICOM library, the
// online services, the patient list, LAN discovery, the DICOM service and the sound effects.

#include "AppServices.h"

class SystemServices : public AppServices {
public:
    /// The folder the program's resources hang from (the source tree it was built from).
    static std::string resourceRoot();

    bool takeLibrary() override;
    cocos2d::Scene* createLibraryInUseScene() override;
    void createSharedRegistries() override;
    cocos2d::Rect desktopWorkArea() override;
    cocos2d::GLView* createWindow(const std::string& caption, const cocos2d::Rect& rect) override;
    std::vector<std::string> extraSearchPaths() override;
    void installDicomCallbacks() override;
    void startHttpService() override;
    void startStatistics() override;
    cocos2d::Scene* createFirstScene() override;
    void showNewVersionNotice() override;
    void startDiscovery() override;
    void startDicomService() override;
    void recordStat(int type) override;
    void preloadEffects() override;

    void startPingSweep() override;
    void renewUpdateService() override;
    void echoSweep(int mode) override;

    void stopDiscovery() override;
    void releaseImagingRegistries() override;
    void stopDicomService() override;
    void stopOnlineNotice() override;
    void stopStatistics() override;
    void stopSound() override;

    /// Longest wait for LAN discovery's threads at shutdown.
    static constexpr unsigned kDiscoveryStopWaitMs = 2000;

private:
    // The store folder whose lock the launch took (or found held).
    std::string _libraryFolder;
};
