#pragma once
// A horizontal slider: a bar, a progress bar over it and a ball at the integer percent;
// touching or dragging along the bar sets the percent.

#include <functional>
#include <string>

#include "ui/Widget.h"

namespace cocos2d {
namespace ui {

class Scale9Sprite;

class Slider : public Widget {
public:
    enum class EventType {
        ON_PERCENTAGE_CHANGED = 0,
        ON_SLIDEBALL_DOWN = 1,
        ON_SLIDEBALL_UP = 2,
        ON_SLIDEBALL_CANCEL = 3
    };
    using ccSliderCallback = std::function<void(Ref*, EventType)>;

    static Slider* create();
    static Slider* create(const std::string& barTexture, const std::string& normalBallTexture,
                          TextureResType type = TextureResType::LOCAL);
    bool init() override;

    void loadBarTexture(const std::string& file, TextureResType type = TextureResType::LOCAL);
    void loadProgressBarTexture(const std::string& file, TextureResType type = TextureResType::LOCAL);
    void loadSlidBallTextures(const std::string& normal, const std::string& pressed = "",
                              const std::string& disabled = "", TextureResType type = TextureResType::LOCAL);
    void loadSlidBallTextureNormal(const std::string& file, TextureResType type = TextureResType::LOCAL);
    void loadSlidBallTexturePressed(const std::string& file, TextureResType type = TextureResType::LOCAL);
    void loadSlidBallTextureDisabled(const std::string& file, TextureResType type = TextureResType::LOCAL);
    void setScale9Enabled(bool enabled);
    bool isScale9Enabled() const { return _scale9Enabled; }
    void setCapInsets(const Rect& capInsets);

    /// Clamped to 0..max percent; no event is sent for a percent set in code.
    void setPercent(int percent);
    int getPercent() const { return _percent; }
    void setMaxPercent(int percent);
    int getMaxPercent() const { return _maxPercent; }
    void addEventListener(const ccSliderCallback& callback) { _eventCallback = callback; }

    bool onTouchBegan(Touch* touch, Event* unusedEvent) override;
    void onTouchMoved(Touch* touch, Event* unusedEvent) override;
    void onTouchEnded(Touch* touch, Event* unusedEvent) override;
    void onTouchCancelled(Touch* touch, Event* unusedEvent) override;
    bool hitTest(const Vec2& pt, const Camera* camera, Vec3* p) const override;

    Size getVirtualRendererSize() const override;
    Node* getVirtualRenderer() override;
    void ignoreContentAdaptWithSize(bool ignore) override;
    std::string getDescription() const override;
    Scale9Sprite* getBallRenderer() const { return _ballNormal; }
    Scale9Sprite* getProgressRenderer() const { return _progressRenderer; }

protected:
    Slider() = default;
    void initRenderer() override;
    void adaptRenderers() override;
    void onPressStateChangedToNormal() override;
    void onPressStateChangedToPressed() override;
    void onPressStateChangedToDisabled() override;
    int percentAt(const Vec2& worldPoint) const;
    void send(EventType type);
    void placeBallAndProgress();
    Widget* createCloneInstance() override;
    void copySpecialProperties(Widget* model) override;

    Scale9Sprite* _barRenderer = nullptr; // protected children
    Scale9Sprite* _progressRenderer = nullptr;
    Scale9Sprite* _ballNormal = nullptr;
    Scale9Sprite* _ballPressed = nullptr;
    Scale9Sprite* _ballDisabled = nullptr;
    std::string _barFile;
    std::string _progressFile;
    std::string _ballNormalFile;
    std::string _ballPressedFile;
    std::string _ballDisabledFile;
    bool _scale9Enabled = false;
    Rect _capInsets;
    int _percent = 0;
    int _maxPercent = 100;
    ccSliderCallback _eventCallback;
};

} // namespace ui
} // namespace cocos2d
