#pragma once
// The image node drawn through the project's window/level program: samples go to the card at
// full depth once, and the window, curve and colour table are applied per fragment from
// uniforms and a 256x1 colour texture, so moving the window uploads nothing. Falls back to the
// CPU path of isNodeImage for good when a frame takes too long.

#include <functional>

#include "2d/ClippingProtocol.h"
#include "imaging/display/isNodeImage.h"
#include "renderer/CustomCommand.h"

namespace cocos2d {
class GLProgram;
}

namespace isImageSDK {

class isNodeImageByShader : public isNodeImage, public cocos2d::ClippingProtocol {
public:
    /// Null when the program sources are missing or do not build (no GL context included).
    static isNodeImageByShader* create();
    /// Whether the program builds here; the program is not kept.
    static bool testProgram();
    /// While held, nodes made share one program, so that the renderer prepares its drawing
    /// once for all of them (and before they draw, see isViewWarmUp); otherwise each node
    /// builds its own. Holds are counted; main thread only.
    static void holdSharedProgram();
    static void dropSharedProgram();
    /// The shared program while held; null otherwise, while the shader is not allowed or when
    /// it does not build.
    static cocos2d::GLProgram* getSharedProgram();

    /// False once any shader node found rendering too slow; later nodes start on the CPU path.
    static bool isShaderAllowed();
    /// Where the slow-frame guard reads the last frame's duration (the director's frame time
    /// when empty).
    static void setFrameTimeSource(std::function<float()> source);

    bool init() override;
    void cleanup() override;
    void onEnter() override;
    void draw(cocos2d::Renderer* renderer, const cocos2d::Mat4& transform, uint32_t flags) override;

    void setClut(isClut* clut) override;
    void onWindowChanged() override;
    void onColorTableChanged() override;

    bool isUsingShader() const { return !useDefaultShader; }
    float getValueOffset() const { return valueOffset; }
    float getValueScale() const { return valueScale; }
    unsigned int getLutTexture() const { return lutTexture; }

    /// Frames slower than this switch the shader off.
    static constexpr float kSlowFrameSeconds = 0.3f;
    /// Draws after entering a scene that the guard ignores (uploads, program links, the
    /// first frame of a software renderer).
    static constexpr int kWarmUpDraws = 3;

protected:
    ~isNodeImageByShader() override;

    cocos2d::Texture2D* createTexture() override;
    void useDefaultProgram();
    /// Once a frame while on the shader: a slow frame asks for the draw that judges it.
    void watchFrameTime();
    void uploadAndBindLut();
    void unbindLut();
    void deleteLutTexture();
    void queueShaderDraw(cocos2d::Renderer* renderer, const cocos2d::Mat4& transform, uint32_t flags);

    unsigned int lutTexture = 0;
    float valueOffset = 0.0f;
    float valueScale = 1.0f;
    bool useDefaultShader = true;
    bool lutDirty = false;
    int drawsSinceEnter = 0;
    cocos2d::CustomCommand bindLutCommand;
    cocos2d::CustomCommand unbindLutCommand;
};

} // namespace isImageSDK
