#pragma once
// A push button: pictures for the normal, pressed and disabled states (optionally nine-patch
// with cap insets), a title text, and a zoom while pressed.

#include <string>

#include "math/Color3B.h"
#include "ui/Widget.h"

namespace cocos2d {

class Label;

namespace ui {

class Scale9Sprite;

class Button : public Widget {
public:
    static Button* create();
    static Button* create(const std::string& normalImage, const std::string& selectedImage = "",
                          const std::string& disableImage = "", TextureResType type = TextureResType::LOCAL);
    bool init() override;
    virtual bool init(const std::string& normalImage, const std::string& selectedImage,
                      const std::string& disableImage, TextureResType type);

    /// Empty names leave a state without a picture of its own (it shows the normal one).
    void loadTextures(const std::string& normal, const std::string& selected,
                      const std::string& disabled = "", TextureResType type = TextureResType::LOCAL);
    void loadTextureNormal(const std::string& normal, TextureResType type = TextureResType::LOCAL);
    void loadTexturePressed(const std::string& selected, TextureResType type = TextureResType::LOCAL);
    void loadTextureDisabled(const std::string& disabled, TextureResType type = TextureResType::LOCAL);
    const std::string& getNormalFile() const { return _normalFile; }
    const std::string& getPressedFile() const { return _pressedFile; }
    const std::string& getDisabledFile() const { return _disabledFile; }

    void setScale9Enabled(bool enabled);
    bool isScale9Enabled() const { return _scale9Enabled; }
    void setCapInsets(const Rect& capInsets);
    const Rect& getCapInsets() const { return _capInsets; }

    /// Pressing zooms the button by the zoom scale (0.1 by default) and releases it back.
    void setPressedActionEnabled(bool enabled) { _pressedActionEnabled = enabled; }
    bool isPressedActionEnabled() const { return _pressedActionEnabled; }
    void setZoomScale(float scale) { _zoomScale = scale; }
    float getZoomScale() const { return _zoomScale; }

    void setTitleText(const std::string& text);
    std::string getTitleText() const;
    void setTitleColor(const Color3B& color);
    Color3B getTitleColor() const;
    void setTitleFontSize(float size);
    float getTitleFontSize() const { return _titleFontSize; }
    void setTitleFontName(const std::string& name);
    const std::string& getTitleFontName() const { return _titleFontName; }
    Label* getTitleRenderer() const { return _titleRenderer; }

    Size getVirtualRendererSize() const override;
    Node* getVirtualRenderer() override;
    void ignoreContentAdaptWithSize(bool ignore) override;
    std::string getDescription() const override;
    /// The renderer shown now (tests and the display code look at it).
    Scale9Sprite* getRendererNormal() const { return _normalRenderer; }
    Scale9Sprite* getRendererClicked() const { return _clickedRenderer; }
    Scale9Sprite* getRendererDisabled() const { return _disabledRenderer; }

protected:
    Button() = default;
    void initRenderer() override;
    void adaptRenderers() override;
    void onPressStateChangedToNormal() override;
    void onPressStateChangedToPressed() override;
    void onPressStateChangedToDisabled() override;
    void showOnly(Scale9Sprite* renderer);
    void updateSizeFromRenderers();
    Widget* createCloneInstance() override;
    void copySpecialProperties(Widget* model) override;

    Scale9Sprite* _normalRenderer = nullptr; // protected children
    Scale9Sprite* _clickedRenderer = nullptr;
    Scale9Sprite* _disabledRenderer = nullptr;
    Label* _titleRenderer = nullptr;
    std::string _normalFile;
    std::string _pressedFile;
    std::string _disabledFile;
    bool _scale9Enabled = false;
    Rect _capInsets;
    bool _pressedActionEnabled = false;
    float _zoomScale = 0.1f;
    float _titleFontSize = 14.0f;
    std::string _titleFontName;
};

} // namespace ui
} // namespace cocos2d
