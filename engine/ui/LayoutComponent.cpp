#include "ui/LayoutComponent.h"

#include <algorithm>

#include "2d/Node.h"

namespace cocos2d {
namespace ui {

LayoutComponent* LayoutComponent::create() {
    auto* component = new LayoutComponent();
    component->autorelease();
    return component;
}

void LayoutComponent::refreshLayout() {
    if (!_owner || !_owner->getParent())
        return;
    const Size parent = _owner->getParent()->getContentSize();
    Size size = _owner->getContentSize();
    const Vec2 anchor = _owner->getAnchorPoint();
    const float sx = _owner->getScaleX();
    const float sy = _owner->getScaleY();

    if (_percentWidthEnabled)
        size.width = parent.width * _percentSize.width;
    if (_percentHeightEnabled)
        size.height = parent.height * _percentSize.height;
    if (_stretchWidth)
        size.width = std::max(0.0f, (parent.width - _leftMargin - _rightMargin) / (sx != 0 ? sx : 1.0f));
    if (_stretchHeight)
        size.height = std::max(0.0f, (parent.height - _topMargin - _bottomMargin) / (sy != 0 ? sy : 1.0f));
    if (!size.equals(_owner->getContentSize()))
        _owner->setContentSize(size);

    Vec2 pos = _owner->getPosition();
    if (_positionPercentXEnabled)
        pos.x = parent.width * _positionPercent.x;
    if (_positionPercentYEnabled)
        pos.y = parent.height * _positionPercent.y;
    const float w = size.width * sx;
    const float h = size.height * sy;
    switch (_horizontalEdge) {
    case HorizontalEdge::Left:
        pos.x = _leftMargin + anchor.x * w;
        break;
    case HorizontalEdge::Right:
        pos.x = parent.width - _rightMargin - (1.0f - anchor.x) * w;
        break;
    case HorizontalEdge::Center:
        pos.x = parent.width * 0.5f + (anchor.x - 0.5f) * w;
        break;
    case HorizontalEdge::None:
        if (_stretchWidth)
            pos.x = _leftMargin + anchor.x * w;
        break;
    }
    switch (_verticalEdge) {
    case VerticalEdge::Bottom:
        pos.y = _bottomMargin + anchor.y * h;
        break;
    case VerticalEdge::Top:
        pos.y = parent.height - _topMargin - (1.0f - anchor.y) * h;
        break;
    case VerticalEdge::Center:
        pos.y = parent.height * 0.5f + (anchor.y - 0.5f) * h;
        break;
    case VerticalEdge::None:
        if (_stretchHeight)
            pos.y = _bottomMargin + anchor.y * h;
        break;
    }
    _owner->setPosition(pos);
}

} // namespace ui
} // namespace cocos2d
