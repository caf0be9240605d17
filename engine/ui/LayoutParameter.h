#pragma once
// How a parent layout places a widget: margins, linear gravity and relative alignment.

#include <string>

#include "base/Ref.h"

namespace cocos2d {
namespace ui {

struct Margin {
    float left = 0.0f;
    float top = 0.0f;
    float right = 0.0f;
    float bottom = 0.0f;
    Margin() = default;
    Margin(float l, float t, float r, float b) : left(l), top(t), right(r), bottom(b) {}
    bool equals(const Margin& other) const {
        return left == other.left && top == other.top && right == other.right && bottom == other.bottom;
    }
    static const Margin ZERO;
};

/// The parameter kinds double as keys: a widget keeps one parameter of each kind.
class LayoutParameter : public Ref {
public:
    enum class Type { NONE = 0, LINEAR = 1, RELATIVE = 2 };

    static LayoutParameter* create();
    void setMargin(const Margin& margin) { _margin = margin; }
    const Margin& getMargin() const { return _margin; }
    Type getLayoutType() const { return _layoutParameterType; }
    virtual LayoutParameter* clone();

protected:
    LayoutParameter() = default;
    Margin _margin;
    Type _layoutParameterType = Type::NONE;
};

/// Placement across the axis of a vertical or horizontal layout.
class LinearLayoutParameter : public LayoutParameter {
public:
    enum class LinearGravity { NONE, LEFT, TOP, RIGHT, BOTTOM, CENTER_VERTICAL, CENTER_HORIZONTAL };

    static LinearLayoutParameter* create();
    void setGravity(LinearGravity gravity) { _linearGravity = gravity; }
    LinearGravity getGravity() const { return _linearGravity; }
    LayoutParameter* clone() override;

protected:
    LinearLayoutParameter() { _layoutParameterType = Type::LINEAR; }
    LinearGravity _linearGravity = LinearGravity::NONE;
};

/// Placement against the parent's edges; the codes 1-9 are those the overlays use
/// (1 top left, 2 top centre, 3 top right, 4 left centre, 5 centre, 6 right centre,
/// 7 bottom left, 8 bottom centre, 9 bottom right).
class RelativeLayoutParameter : public LayoutParameter {
public:
    enum class RelativeAlign {
        NONE = 0,
        PARENT_TOP_LEFT = 1,
        PARENT_TOP_CENTER_HORIZONTAL = 2,
        PARENT_TOP_RIGHT = 3,
        PARENT_LEFT_CENTER_VERTICAL = 4,
        CENTER_IN_PARENT = 5,
        PARENT_RIGHT_CENTER_VERTICAL = 6,
        PARENT_LEFT_BOTTOM = 7,
        PARENT_BOTTOM_CENTER_HORIZONTAL = 8,
        PARENT_RIGHT_BOTTOM = 9,
    };

    static RelativeLayoutParameter* create();
    void setAlign(RelativeAlign align) { _relativeAlign = align; }
    RelativeAlign getAlign() const { return _relativeAlign; }
    /// The name other widgets of the layout know this one by.
    void setRelativeName(const std::string& name) { _relativeLayoutName = name; }
    const std::string& getRelativeName() const { return _relativeLayoutName; }
    void setRelativeToWidgetName(const std::string& name) { _relativeWidgetName = name; }
    const std::string& getRelativeToWidgetName() const { return _relativeWidgetName; }
    LayoutParameter* clone() override;

protected:
    RelativeLayoutParameter() { _layoutParameterType = Type::RELATIVE; }
    RelativeAlign _relativeAlign = RelativeAlign::NONE;
    std::string _relativeLayoutName;
    std::string _relativeWidgetName;
};

} // namespace ui
} // namespace cocos2d
