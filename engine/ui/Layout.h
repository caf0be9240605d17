#pragma once
// A widget container: a background (none, solid colour, gradient or a nine-patch picture),
// clipping of what its children draw and of where they take touches, and the arrangement of
// its child widgets by layout type.

#include <string>
#include <vector>

#include "base/ccTypes.h"
#include "math/Color3B.h"
#include "ui/Widget.h"

namespace cocos2d {

class DrawNode;
class LayerColor;

namespace ui {

class Scale9Sprite;

class Layout : public Widget {
public:
    /// How child widgets are arranged.
    enum class Type {
        /// Children stay where they are put (percent positions and sizes still apply).
        ABSOLUTE = 0,
        /// Stacked from the top down in child order, each by its linear parameter (margins,
        /// gravity left, right or centre).
        VERTICAL = 1,
        /// Left to right in child order, each by its linear parameter (gravity top, bottom or
        /// centre).
        HORIZONTAL = 2,
        /// Widgets with an alignment of 1-9 go against the parent's edges (with margins);
        /// the others form one row from the top-left corner, left to right in child order.
        /// The left corner rows of the image overlays rely on that row.
        RELATIVE = 3,
        /// As RELATIVE, but the row of unaligned widgets is packed against the top-right
        /// corner (still left to right in child order): the right corner rows of the overlays.
        RELATIVE_RIGHT = 4,
        /// Widgets with an alignment of 1-9 go against the edges; everything else keeps its
        /// own position. Render windows use it: their overlay corners and edge letters are
        /// aligned, their image nodes must not move.
        RELATIVE_FREE = 5,
    };
    enum class ClippingType { STENCIL = 0, SCISSOR = 1 };
    enum class BackGroundColorType { NONE = 0, SOLID = 1, GRADIENT = 2 };

    static Layout* create();
    bool init() override;

    // --- arrangement ---------------------------------------------------------------------
    virtual void setLayoutType(Type type);
    void setLayoutType(int type) { setLayoutType(static_cast<Type>(type)); }
    virtual Type getLayoutType() const { return _layoutType; }
    /// Arranges the children before the next drawing.
    void requestDoLayout()
    {
        _doLayoutDirty = true;
        noteVisualChange();
    }
    /// Arranges the children when an arrangement was requested (drawing calls it).
    virtual void doLayout();
    /// Arranges the children now (subclasses that arrange nothing override this one).
    virtual void forceDoLayout();

    void addChild(Node* child) override;
    void addChild(Node* child, int localZOrder) override;
    void addChild(Node* child, int localZOrder, int tag) override;
    void addChild(Node* child, int localZOrder, const std::string& name) override;
    void removeChild(Node* child, bool cleanup = true) override;
    void removeAllChildren() override;
    void removeAllChildrenWithCleanup(bool cleanup) override;

    // --- clipping ------------------------------------------------------------------------
    /// Children are drawn and touched only inside the layout's rectangle. Both types clip to
    /// the rectangle on screen (a rotated layout clips to its bounding box).
    virtual void setClippingEnabled(bool enabled);
    bool isClippingEnabled() const { return _clippingEnabled; }
    void setClippingType(ClippingType type)
    {
        _clippingType = type;
        noteVisualChange();
    }
    void setClippingType(int type) { setClippingType(static_cast<ClippingType>(type)); }
    ClippingType getClippingType() const { return _clippingType; }

    // --- background ----------------------------------------------------------------------
    void setBackGroundColorType(BackGroundColorType type);
    BackGroundColorType getBackGroundColorType() const { return _colorType; }
    void setBackGroundColor(const Color3B& color);
    const Color3B& getBackGroundColor() const { return _color; }
    /// Gradient from start (at the origin side of the vector) to end.
    void setBackGroundColor(const Color3B& start, const Color3B& end);
    const Color3B& getBackGroundStartColor() const { return _startColor; }
    const Color3B& getBackGroundEndColor() const { return _endColor; }
    /// The gradient's direction; (0, -1), top to bottom, by default.
    void setBackGroundColorVector(const Vec2& vector);
    const Vec2& getBackGroundColorVector() const { return _alongVector; }
    void setBackGroundColorOpacity(GLubyte opacity);
    GLubyte getBackGroundColorOpacity() const { return _colorOpacity; }
    /// A solid background in one call: on with the colour and an opacity of 0..1, or off.
    void enableBKColor(bool enable, const Color3B& color, float opacity);
    void setBackGroundImage(const std::string& file, TextureResType type = TextureResType::LOCAL);
    const std::string& getBackGroundImageFile() const { return _backGroundImageFile; }
    void removeBackGroundImage();
    void setBackGroundImageScale9Enabled(bool enabled);
    bool isBackGroundImageScale9Enabled() const { return _backGroundScale9Enabled; }
    void setBackGroundImageCapInsets(const Rect& capInsets);
    const Rect& getBackGroundImageCapInsets() const { return _backGroundImageCapInsets; }
    void setBackGroundImageColor(const Color3B& color);
    void setBackGroundImageOpacity(GLubyte opacity);
    Size getBackGroundImageTextureSize() const;

    void visit(Renderer* renderer, const Mat4& parentTransform, uint32_t parentFlags) override;
    std::string getDescription() const override;

protected:
    Layout() = default;
    ~Layout() override;

    /// Called around the drawing of the children (render windows put their overlays in here).
    virtual void onBeforeVisit() {}
    virtual void onAfterVisit() {}
    void onSizeChanged() override;
    void adaptRenderers() override;
    void rebuildColorRenderer();

    Widget* createCloneInstance() override;
    void copySpecialProperties(Widget* model) override;
    void copyClonedWidgetChildren(Widget* model) override;

    Type _layoutType = Type::ABSOLUTE;
    bool _doLayoutDirty = true;
    bool _clippingEnabled = false;
    ClippingType _clippingType = ClippingType::STENCIL;

    BackGroundColorType _colorType = BackGroundColorType::NONE;
    Color3B _color = Color3B::WHITE;
    Color3B _startColor = Color3B::WHITE;
    Color3B _endColor = Color3B::WHITE;
    Vec2 _alongVector = Vec2(0.0f, -1.0f);
    GLubyte _colorOpacity = 255;
    LayerColor* _colorRender = nullptr;       // protected child
    DrawNode* _gradientRender = nullptr;      // protected child
    Scale9Sprite* _backGroundImage = nullptr; // protected child
    std::string _backGroundImageFile;
    bool _backGroundScale9Enabled = false;
    Rect _backGroundImageCapInsets;
    Color3B _backGroundImageColor = Color3B::WHITE;
    GLubyte _backGroundImageOpacity = 255;

    // Scissor commands around the children, one set per visit of a frame (a render window's
    // cameras visit it several times in one frame).
    struct ClipPass;
    std::vector<ClipPass*> _clipPasses;
    unsigned int _clipFrame = 0;
    size_t _clipPassesUsed = 0;
};

} // namespace ui
} // namespace cocos2d
