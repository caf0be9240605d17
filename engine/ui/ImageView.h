#pragma once
// A picture widget: follows the picture's size, or is stretched (or nine-patched) to its own.

#include <string>

#include "ui/Widget.h"

namespace cocos2d {
namespace ui {

class Scale9Sprite;

class ImageView : public Widget {
public:
    static ImageView* create();
    static ImageView* create(const std::string& file, TextureResType type = TextureResType::LOCAL);
    bool init() override;

    /// False (one log line) when the picture cannot be loaded; the old picture stays.
    bool loadTexture(const std::string& file, TextureResType type = TextureResType::LOCAL);
    const std::string& getTextureFile() const { return _textureFile; }
    void setScale9Enabled(bool enabled);
    bool isScale9Enabled() const { return _scale9Enabled; }
    void setCapInsets(const Rect& capInsets);
    const Rect& getCapInsets() const { return _capInsets; }

    Size getVirtualRendererSize() const override;
    Node* getVirtualRenderer() override;
    void ignoreContentAdaptWithSize(bool ignore) override;
    std::string getDescription() const override;

protected:
    ImageView() = default;
    void initRenderer() override;
    void adaptRenderers() override;
    Widget* createCloneInstance() override;
    void copySpecialProperties(Widget* model) override;

    Scale9Sprite* _imageRenderer = nullptr; // protected child
    std::string _textureFile;
    bool _scale9Enabled = false;
    Rect _capInsets;
};

} // namespace ui
} // namespace cocos2d
