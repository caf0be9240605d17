#pragma once
// The volume tile: a render window showing a volume rendering of its image data, with camera
// presets on the six anatomical sides, an orbiting cine, window and colour-table commands, and
// the maximise and step-aside moves of the view area.

#include <string>

#include "imaging/display/window/isRenderWindow.h"
#include "imaging/viewers/isViewer.h"

namespace isImageSDK {

class isActorVR;

class isViewerVR : public isRenderWindow, public isViewer {
public:
    // Commands the viewer acts on.
    static constexpr unsigned int kRotate = 9008;
    static constexpr unsigned int kDefaultWindow = 9022;
    static constexpr unsigned int kSetWindow = 9029;
    static constexpr unsigned int kColorTable = 9030;
    static constexpr unsigned int kToolWindow = 9035;
    static constexpr unsigned int kToolZoom = 9036;
    static constexpr unsigned int kToolMove = 9037;
    static constexpr unsigned int kToolRotate = 9038;
    static constexpr unsigned int kCine = 9053;
    static constexpr unsigned int kSlowerOrPrevious = 9054;
    static constexpr unsigned int kFasterOrNext = 9055;
    static constexpr unsigned int kPreset = 9057;
    static constexpr unsigned int kPan = 9061;
    static constexpr unsigned int kZoom = 9062;
    static constexpr unsigned int kWindowByDrag = 9064;
    static constexpr unsigned int kViewTouched = 9096;
    static constexpr unsigned int kMaximize = 9100;
    static constexpr unsigned int kCopySlice = 9102;
    // What it posts.
    static constexpr unsigned int kCineState = 9056;
    static constexpr unsigned int kToolBarAttach = 9097;
    static constexpr unsigned int kToolBarHide = 9099;
    static constexpr unsigned int kMaximizedState = 9101;

    /// The camera presets, by the side of the patient the view looks from.
    enum Preset { kSuperior = 1, kInferior = 2, kAnterior = 3, kPosterior = 4, kRight = 5, kLeft = 6 };

    static constexpr int kCineFrames = 36;
    static constexpr int kDefaultTicksPerFrame = 60;
    static constexpr int kMinTicksPerFrame = 5;
    static constexpr int kMaxTicksPerFrame = 120;

    static isViewerVR* create();

    bool init() override;
    /// Releases the volume actor and announces the end (9099 tagged with this window's id).
    void cleanup() override;
    void resetNodeLinks() override;
    bool isVolumeWindow() const override { return true; }

    // --- the viewer interface
    /// The mode changes only through setVolumeMode5 and setVolumeMode6.
    void setViewerMode(uint32_t) override {}
    void retain() override { cocos2d::Ref::retain(); }
    void release() override { cocos2d::Ref::release(); }
    void setImageData(isImageData* data) override;
    isImageData* getImageData() const override { return imageData; }
    void setVisible(bool visible) override { isRenderWindow::setVisible(visible); }

    /// Switches to a volume mode, giving the window its orbiting interactor.
    void setVolumeMode5();
    void setVolumeMode6();
    /// Sets the window of the rendering and redraws.
    void setWindowLevel(float width, float level);
    std::string getImagePath() const;
    /// Places the camera on one side of the volume (see Preset); nothing without data.
    void setPreset(int preset);
    /// A built-in table ("noClut.plist", "bwInverse.plist") or a property-list file by name;
    /// a file that cannot be read leaves the colours as they were.
    void applyColorTable(const std::string& name);
    void showFrame(bool show);

    // --- the render window's hooks
    void fillObservedIds() override;
    /// The world point under the screen point at the depth of the focal point.
    bool screenToWorld(const cocos2d::Vec2& point, cocos2d::Vec3& world) override;
    void onMessage(unsigned int id, NSUI::NSNotificationData* data, cocos2d::Ref* sender) override;

    isActorVR* getVRActor() const { return vrActor; }
    bool isCineRunning() const { return cineRunning; }
    int getCineFrame() const { return cineFrame; }
    int getCineFrameCount() const { return cineFrameCount; }
    int getTicksPerFrame() const { return ticksPerFrame; }
    /// The scheduler key of the cine callback.
    std::string cineKey() const;

protected:
    isViewerVR() = default;
    ~isViewerVR() override;

    void setVolumeMode(uint32_t mode);
    void toggleCine();
    void onCineTick();
    void stepFrame(int delta);
    void touched(NSUI::NSNotificationData* data, cocos2d::Ref* sender);
    void maximize(NSUI::NSNotificationData* data);
    void restoreGeometry();
    void relayoutOverlay();
    /// The actor will render again at the next frame.
    void redraw();

    isActorVR* vrActor = nullptr;
    int cineFrameCount = kCineFrames;
    int cineFrame = 0;
    bool cineRunning = false;
    int tickCounter = 0;
    int ticksPerFrame = kDefaultTicksPerFrame;
    unsigned int lastStepFrame = 0;
};

} // namespace isImageSDK
