#pragma once
// A widget's place and size as fractions of its parent, kept from one edge or stretched
// between two, re-applied by Helper::doLayout after the parent was resized.

#include "base/Ref.h"
#include "math/Size.h"
#include "math/Vec2.h"

namespace cocos2d {

class Node;

namespace ui {

class LayoutComponent : public Ref {
public:
    enum class HorizontalEdge { None, Left, Right, Center };
    enum class VerticalEdge { None, Bottom, Top, Center };

    static LayoutComponent* create();

    void setOwner(Node* owner) { _owner = owner; }
    Node* getOwner() const { return _owner; }

    // Position as a fraction of the parent size (of the owner's anchor point).
    void setPositionPercentXEnabled(bool enabled) { _positionPercentXEnabled = enabled; }
    bool isPositionPercentXEnabled() const { return _positionPercentXEnabled; }
    void setPositionPercentYEnabled(bool enabled) { _positionPercentYEnabled = enabled; }
    bool isPositionPercentYEnabled() const { return _positionPercentYEnabled; }
    void setPositionPercentX(float percent) { _positionPercent.x = percent; }
    float getPositionPercentX() const { return _positionPercent.x; }
    void setPositionPercentY(float percent) { _positionPercent.y = percent; }
    float getPositionPercentY() const { return _positionPercent.y; }

    // Size as a fraction of the parent size.
    void setPercentWidthEnabled(bool enabled) { _percentWidthEnabled = enabled; }
    bool isPercentWidthEnabled() const { return _percentWidthEnabled; }
    void setPercentHeightEnabled(bool enabled) { _percentHeightEnabled = enabled; }
    bool isPercentHeightEnabled() const { return _percentHeightEnabled; }
    void setPercentWidth(float percent) { _percentSize.width = percent; }
    float getPercentWidth() const { return _percentSize.width; }
    void setPercentHeight(float percent) { _percentSize.height = percent; }
    float getPercentHeight() const { return _percentSize.height; }

    // Edges: the owner keeps its margin from that edge of the parent; with stretching on,
    // it keeps both margins of its axis and its size follows.
    void setHorizontalEdge(HorizontalEdge edge) { _horizontalEdge = edge; }
    HorizontalEdge getHorizontalEdge() const { return _horizontalEdge; }
    void setVerticalEdge(VerticalEdge edge) { _verticalEdge = edge; }
    VerticalEdge getVerticalEdge() const { return _verticalEdge; }
    void setStretchWidthEnabled(bool enabled) { _stretchWidth = enabled; }
    bool isStretchWidthEnabled() const { return _stretchWidth; }
    void setStretchHeightEnabled(bool enabled) { _stretchHeight = enabled; }
    bool isStretchHeightEnabled() const { return _stretchHeight; }
    void setLeftMargin(float margin) { _leftMargin = margin; }
    float getLeftMargin() const { return _leftMargin; }
    void setRightMargin(float margin) { _rightMargin = margin; }
    float getRightMargin() const { return _rightMargin; }
    void setTopMargin(float margin) { _topMargin = margin; }
    float getTopMargin() const { return _topMargin; }
    void setBottomMargin(float margin) { _bottomMargin = margin; }
    float getBottomMargin() const { return _bottomMargin; }

    /// Applies the rules against the owner's parent as it is now.
    void refreshLayout();

protected:
    LayoutComponent() = default;

    Node* _owner = nullptr; // not retained: the owner holds the component
    bool _positionPercentXEnabled = false;
    bool _positionPercentYEnabled = false;
    Vec2 _positionPercent;
    bool _percentWidthEnabled = false;
    bool _percentHeightEnabled = false;
    Size _percentSize;
    HorizontalEdge _horizontalEdge = HorizontalEdge::None;
    VerticalEdge _verticalEdge = VerticalEdge::None;
    bool _stretchWidth = false;
    bool _stretchHeight = false;
    float _leftMargin = 0.0f;
    float _rightMargin = 0.0f;
    float _topMargin = 0.0f;
    float _bottomMargin = 0.0f;
};

} // namespace ui
} // namespace cocos2d
