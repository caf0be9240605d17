#pragma once
// A textured rectangle: a picture file, a texture or part of one, flipped, tinted, blended,
// drawn flat or with the 3D commands of a render window.

#include <string>

#include "2d/Node.h"
#include "base/ccTypes.h"
#include "renderer/TrianglesCommand.h"

namespace cocos2d {

class Texture2D;

class Sprite : public Node, public TextureProtocol {
public:
    static Sprite* create();
    /// Null (one log line) when the picture cannot be loaded.
    static Sprite* create(const std::string& filename);
    static Sprite* create(const std::string& filename, const Rect& rect);
    static Sprite* createWithTexture(Texture2D* texture);
    static Sprite* createWithTexture(Texture2D* texture, const Rect& rect, bool rotated = false);

    bool init() override;
    virtual bool initWithFile(const std::string& filename);
    virtual bool initWithFile(const std::string& filename, const Rect& rect);
    virtual bool initWithTexture(Texture2D* texture);
    virtual bool initWithTexture(Texture2D* texture, const Rect& rect);
    virtual bool initWithTexture(Texture2D* texture, const Rect& rect, bool rotated);

    /// The picture file through the texture cache; the texture rect becomes the whole picture.
    virtual void setTexture(const std::string& filename);
    void setTexture(Texture2D* texture) override;
    Texture2D* getTexture() const override { return _texture; }
    /// The part of the texture shown, in texture points; the content size follows it.
    virtual void setTextureRect(const Rect& rect);
    virtual void setTextureRect(const Rect& rect, bool rotated, const Size& untrimmedSize);
    const Rect& getTextureRect() const { return _rect; }

    void setFlippedX(bool flippedX);
    bool isFlippedX() const { return _flippedX; }
    void setFlippedY(bool flippedY);
    bool isFlippedY() const { return _flippedY; }
    void setFlipX(bool flipX) { setFlippedX(flipX); }
    void setFlipY(bool flipY) { setFlippedY(flipY); }

    /// Marks the sprite's commands 3D: drawn with depth in the render window's cameras.
    void set3D(bool value)
    {
        _is3D = value;
        noteVisualChange();
    }
    bool is3D() const { return _is3D; }

    void setBlendFunc(const BlendFunc& blendFunc) override
    {
        _blendFunc = blendFunc;
        noteVisualChange();
    }
    const BlendFunc& getBlendFunc() const override { return _blendFunc; }
    void setOpacityModifyRGB(bool modify) override;
    bool isOpacityModifyRGB() const override { return _opacityModifyRGB; }
    void updateDisplayedColor(const Color3B& parentColor) override;
    void updateDisplayedOpacity(GLubyte parentOpacity) override;
    void setColor(const Color3B& color) override;
    void setOpacity(GLubyte opacity) override;

    void draw(Renderer* renderer, const Mat4& transform, uint32_t flags) override;

    const V3F_C4B_T2F_Quad& getQuad() const { return _quad; }
    std::string getDescription() const override;

    ~Sprite() override;

    Sprite(); // public for subclasses made with new, init, autorelease

protected:
    /// Reports a change when the quad differs at the end of the scope from its start.
    class QuadWatch {
    public:
        explicit QuadWatch(Sprite* sprite) : _sprite(sprite), _before(sprite->_quad) {}
        ~QuadWatch();

    private:
        Sprite* _sprite;
        V3F_C4B_T2F_Quad _before;
    };

    void updateColor();
    void setTextureCoords(const Rect& rect);
    void setVertexRect(const Rect& rect);
    void updateBlendFunc();

    Texture2D* _texture = nullptr;
    Rect _rect;
    bool _rectRotated = false;
    bool _flippedX = false;
    bool _flippedY = false;
    bool _is3D = false;
    bool _opacityModifyRGB = false;
    BlendFunc _blendFunc = BlendFunc::ALPHA_PREMULTIPLIED;
    V3F_C4B_T2F_Quad _quad;
    unsigned short _indices[6] = {0, 1, 2, 3, 2, 1};
    TrianglesCommand _trianglesCommand;
};

} // namespace cocos2d
