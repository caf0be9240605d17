#pragma once
// A picture stretched to any size in nine patches: the corners keep their size, the edges
// stretch along one axis and the centre along both (cap insets mark the centre patch).
// With nine-patch off the whole picture is stretched.

#include <string>

#include "2d/Node.h"

namespace cocos2d {

class Sprite;
class Texture2D;

namespace ui {

class Scale9Sprite : public Node {
public:
    static Scale9Sprite* create();
    /// Null (one log line) when the picture cannot be loaded.
    static Scale9Sprite* create(const std::string& file);
    static Scale9Sprite* create(const std::string& file, const Rect& capInsets);

    bool init() override;
    /// False (one log line) when the picture cannot be loaded; the old picture stays.
    virtual bool initWithFile(const std::string& file);
    bool setTexture(Texture2D* texture);
    Texture2D* getTexture() const { return _texture; }
    bool hasTexture() const { return _texture != nullptr; }
    /// Forgets the picture; nothing is drawn.
    void clearTexture();

    /// The centre patch, in picture points from the picture's top-left corner; an empty rect
    /// means the middle third of each side.
    void setCapInsets(const Rect& insets);
    const Rect& getCapInsets() const { return _capInsets; }
    void setScale9Enabled(bool enabled);
    bool isScale9Enabled() const { return _scale9Enabled; }
    /// The size of the picture itself.
    const Size& getOriginalSize() const { return _originalSize; }
    void setPreferredSize(const Size& size) { setContentSize(size); }
    const Size& getPreferredSize() const { return _contentSize; }
    void setContentSize(const Size& size) override;

    void setFlippedX(bool flipped);
    void setFlippedY(bool flipped);
    std::string getDescription() const override;

protected:
    Scale9Sprite() = default;
    ~Scale9Sprite() override;

    void rebuild();

    Texture2D* _texture = nullptr;
    Size _originalSize;
    Rect _capInsets;
    bool _scale9Enabled = true;
    bool _flippedX = false;
    bool _flippedY = false;
};

} // namespace ui
} // namespace cocos2d
