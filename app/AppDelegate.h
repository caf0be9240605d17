#pragma once
// The application object: starts every long-lived service at launch, pauses and resumes them
// with the window, hands opened paths to the patient list, and stops everything at shutdown.

#include "cocos2d.h"

#include <string>

/// All hooks run on the main thread. The services of the upper subsystems are reached through
/// AppServices::current(), which the program (or a test) installs before the loop starts.
class AppDelegate : public cocos2d::Application {
public:
    AppDelegate();
    ~AppDelegate() override;

    void applicationWillTerminate() override;
    /// Always true once a window exists; false only when no window can be made at all. A
    /// program whose library another running workstation owns shows only that notice, and
    /// its later hooks start nothing and import nothing.
    bool applicationDidFinishLaunching() override;
    void applicationDidEnterBackground() override;
    void applicationWillEnterForeground() override;
    /// Red, green, blue and alpha 8 bits, depth 24, stencil 8.
    void initGLContextAttrs() override;
    /// Posts 2023 with the path (null sender and object); the patient list imports it.
    void applicationOpenPath(const char* path) override;

    static void postOpenPath(const std::string& path);

    /// The window's caption.
    static constexpr const char* kTitle = "DICOM Workstation";
    /// The notification that carries a path to import.
    static constexpr unsigned kOpenPathId = 2023;
    /// Border and caption heights kept free around the window inside the desktop work area.
    static constexpr float kFrameSize = 4.0f;
    static constexpr float kCaptionSize = 24.0f;
    /// The fixed resource folders, in search order.
    static const char* const kSearchPaths[5];

    /// The window rectangle for a desktop work area (top-left origin).
    static cocos2d::Rect windowRectForWorkArea(const cocos2d::Rect& workArea);

private:
    bool _libraryInUse = false;
};
