#pragma once
// Shows one frame of one slice of an image as a texture placed in a render window's world:
// the samples go through the window/level lookup and colour table of an isClut to 8-bit RGB on
// the CPU. Re-runs its pipeline each frame so arriving pixels appear by themselves, and plays
// multi-frame images (cine) on a timer driven by 9046, 9048 and 9049 from its viewer.

#include <string>

#include "imaging/display/isNodeSprite.h"

namespace NSUI {
class NSNotificationData;
}

namespace isImageSDK {

class isClut;
class isImageFilter;
struct TexelBuffer;
struct isSliceInfo;

class isNodeImage : public isNodeSprite {
public:
    static isNodeImage* create();

    /// The viewer (render window) is the object of every notification observed and posted.
    virtual void bindViewer(cocos2d::Ref* viewer);
    /// Same as bindViewer: the owner of an image node is its viewer.
    void setOwner(void* value) override { bindViewer(static_cast<cocos2d::Ref*>(value)); }
    /// Shows frame 0 of the slice (not owned); null keeps the current picture. Stops the cine
    /// and posts 9050-9052 (several frames or not) to the viewer.
    virtual void setSlice(isSliceInfo* slice);
    /// Retains the table and turns off its automatic rebuild (the node rebuilds it when needed).
    virtual void setClut(isClut* clut);
    virtual void onWindowChanged();
    virtual void onColorTableChanged();
    /// Rebuilds the texture of the current frame; placement and scale stay.
    virtual void refreshFrame();

    bool init() override;
    void cleanup() override;
    void visit(cocos2d::Renderer* renderer, const cocos2d::Mat4& parentTransform,
               uint32_t parentFlags) override;

    /// The pipeline stage whose output holds the image (retained).
    void setFilter(isImageFilter* filter);
    isImageFilter* getFilter() const { return filter; }
    /// Set when the pixels of the shown slice have arrived: the next visit re-reads the pipeline.
    void setForceUpdate(bool value) {
        forceUpdate = value;
        if (value)
            markContentChanged();
    }

    /// The cine commands 9046 (play/pause), 9048 (slower / previous), 9049 (faster / next).
    void onCineCommand(cocos2d::Ref* sender, unsigned int id, NSUI::NSNotificationData* data);
    /// One tick of the cine timer.
    void cineTick(float dt);

    isSliceInfo* getSlice() const { return slice; }
    isClut* getClut() const { return clut; }
    cocos2d::Ref* getViewer() const { return viewer; }
    int getFrameIndex() const { return frameIndex; }
    bool isPlaying() const { return playing; }
    int getTicksPerFrame() const { return ticksPerFrame; }
    bool isTextureDirty() const { return textureDirty; }

    static constexpr float kCineInterval = 0.005f;
    static constexpr float kCineDelay = 0.1f;
    static constexpr int kMinTicksPerFrame = 5;
    static constexpr int kMaxTicksPerFrame = 120;
    static constexpr int kTicksStep = 20;
    /// Scale that hides a slice whose pixels have not arrived.
    static constexpr float kHiddenScale = 0.0001f;

protected:
    ~isNodeImage() override;

    /// A new autoreleased texture of the current frame, or null.
    virtual cocos2d::Texture2D* createTexture();
    /// An autoreleased texture of the texels, or null with a log line.
    static cocos2d::Texture2D* textureFrom(const TexelBuffer& texels);
    /// Points the colour table at the slice's pixel type and range and rebuilds its lookup.
    void prepareClut();
    /// Once a frame while a pipeline is attached: a change upstream asks for the visit that
    /// re-reads it.
    void watchPipeline();
    void stopCine();
    void postCineState();
    bool sliceHasFrames() const;
    void stepFrame(int delta);

    isSliceInfo* slice = nullptr;
    isClut* clut = nullptr;
    isImageFilter* filter = nullptr;
    bool textureDirty = false;
    bool forceUpdate = false;
    bool framePending = false;
    int frameIndex = 0;
    bool playing = false;
    int tickCount = 0;
    int ticksPerFrame = 60;
    cocos2d::Ref* viewer = nullptr;

    static const std::string kCineKey;
    static const std::string kPipelineKey;
};

} // namespace isImageSDK
