#include "ui/LayoutManager.h"

#include <vector>

#include "ui/Layout.h"

namespace cocos2d {
namespace ui {

namespace {

// The extent a child takes in its parent: its content size times its scale.
Size footprint(const Widget* w) {
    const Size& s = w->getContentSize();
    return Size(s.width * w->getScaleX(), s.height * w->getScaleY());
}

std::vector<Widget*> childWidgets(Layout* layout) {
    std::vector<Widget*> widgets;
    for (Node* child : layout->getChildren()) {
        if (auto* w = dynamic_cast<Widget*>(child))
            widgets.push_back(w);
    }
    return widgets;
}

Margin marginOf(const Widget* w, LayoutParameter::Type type) {
    LayoutParameter* p = w->getLayoutParameter(type);
    return p ? p->getMargin() : Margin::ZERO;
}

} // namespace

void LayoutManager::arrange(Layout* layout) {
    switch (layout->getLayoutType()) {
    case Layout::Type::VERTICAL:
        arrangeLinear(layout, true);
        break;
    case Layout::Type::HORIZONTAL:
        arrangeLinear(layout, false);
        break;
    case Layout::Type::RELATIVE:
        arrangeRelative(layout, 0);
        break;
    case Layout::Type::RELATIVE_RIGHT:
        arrangeRelative(layout, 1);
        break;
    case Layout::Type::RELATIVE_FREE:
        arrangeRelative(layout, 2);
        break;
    case Layout::Type::ABSOLUTE:
        break;
    }
}

void LayoutManager::arrangeLinear(Layout* layout, bool vertical) {
    using Gravity = LinearLayoutParameter::LinearGravity;
    const Size box = layout->getContentSize();
    float cursor = vertical ? box.height : 0.0f;
    for (Widget* w : childWidgets(layout)) {
        auto* param =
            dynamic_cast<LinearLayoutParameter*>(w->getLayoutParameter(LayoutParameter::Type::LINEAR));
        const Margin m = param ? param->getMargin() : Margin::ZERO;
        const Gravity g = param ? param->getGravity() : Gravity::NONE;
        const Size s = footprint(w);
        const Vec2 ap = w->getAnchorPoint();
        Vec2 pos;
        if (vertical) {
            pos.y = cursor - m.top - (1.0f - ap.y) * s.height;
            switch (g) {
            case Gravity::RIGHT:
                pos.x = box.width - m.right - (1.0f - ap.x) * s.width;
                break;
            case Gravity::CENTER_HORIZONTAL:
                pos.x = box.width * 0.5f + (ap.x - 0.5f) * s.width + m.left - m.right;
                break;
            default:
                pos.x = m.left + ap.x * s.width;
                break;
            }
            cursor = pos.y - ap.y * s.height - m.bottom;
        } else {
            pos.x = cursor + m.left + ap.x * s.width;
            switch (g) {
            case Gravity::BOTTOM:
                pos.y = m.bottom + ap.y * s.height;
                break;
            case Gravity::CENTER_VERTICAL:
                pos.y = box.height * 0.5f + (ap.y - 0.5f) * s.height + m.bottom - m.top;
                break;
            default:
                pos.y = box.height - m.top - (1.0f - ap.y) * s.height;
                break;
            }
            cursor = pos.x + (1.0f - ap.x) * s.width + m.right;
        }
        w->setPosition(pos);
    }
}

// rowMode: 0 unaligned widgets in a row from the left, 1 packed to the right, 2 left alone.
void LayoutManager::arrangeRelative(Layout* layout, int rowMode) {
    const Size box = layout->getContentSize();
    std::vector<Widget*> row;
    for (Widget* w : childWidgets(layout)) {
        auto* param =
            dynamic_cast<RelativeLayoutParameter*>(w->getLayoutParameter(LayoutParameter::Type::RELATIVE));
        const int align = param ? static_cast<int>(param->getAlign()) : 0;
        if (align < 1 || align > 9) {
            if (w->isVisible())
                row.push_back(w);
            continue;
        }
        const Margin m = param->getMargin();
        const Size s = footprint(w);
        const Vec2 ap = w->getAnchorPoint();
        const int column = (align - 1) % 3; // 0 left, 1 centre, 2 right
        const int line = (align - 1) / 3;   // 0 top, 1 centre, 2 bottom
        // Alignments 4 and 6 are the vertical centres, 2 and 8 the horizontal ones.
        const bool centreX = align == 2 || align == 5 || align == 8;
        const bool centreY = align == 4 || align == 5 || align == 6;
        Vec2 pos;
        if (centreX)
            pos.x = box.width * 0.5f + (ap.x - 0.5f) * s.width;
        else if (column == 0 || align == 4 || align == 7)
            pos.x = m.left + ap.x * s.width;
        else
            pos.x = box.width - m.right - (1.0f - ap.x) * s.width;
        if (centreY)
            pos.y = box.height * 0.5f + (ap.y - 0.5f) * s.height;
        else if (line == 0)
            pos.y = box.height - m.top - (1.0f - ap.y) * s.height;
        else
            pos.y = m.bottom + ap.y * s.height;
        w->setPosition(pos);
    }
    if (rowMode == 2 || row.empty())
        return;
    float total = 0.0f;
    for (Widget* w : row) {
        const Margin m = marginOf(w, LayoutParameter::Type::RELATIVE);
        total += m.left + footprint(w).width + m.right;
    }
    float x = rowMode == 1 ? box.width - total : 0.0f;
    for (Widget* w : row) {
        const Margin m = marginOf(w, LayoutParameter::Type::RELATIVE);
        const Size s = footprint(w);
        const Vec2 ap = w->getAnchorPoint();
        x += m.left;
        w->setPosition(Vec2(x + ap.x * s.width, box.height - m.top - (1.0f - ap.y) * s.height));
        x += s.width + m.right;
    }
}

} // namespace ui
} // namespace cocos2d
