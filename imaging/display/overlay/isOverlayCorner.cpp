#include "imaging/display/overlay/isOverlayCorner.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "2d/actions/ActionCreate.h"
#include "imaging/display/overlay/isOverlayRow.h"
#include "ui/Text.h"

namespace isImageSDK {

namespace {

// The extent an item takes in its row: its content size times its scale.
cocos2d::Size footprint(const cocos2d::ui::Widget* w) {
    const cocos2d::Size& s = w->getContentSize();
    return cocos2d::Size(s.width * w->getScaleX(), s.height * w->getScaleY());
}

// The scale of a text item (the corner sets it); other items keep their own.
float scaleOf(const cocos2d::ui::Widget* w) {
    return dynamic_cast<const cocos2d::ui::Text*>(w) && w->getScaleX() > 0.0f ? w->getScaleX() : 1.0f;
}

// The smallest scale of the texts: the overlay's 20-point font drawn at 13 points; a single
// text too long for a line of its own may go down to half its size.
const float kSmallest = 0.65f;
const float kTiny = 0.5f;

} // namespace

isOverlayCorner* isOverlayCorner::create(int corner) {
    auto* layout = new (std::nothrow) isOverlayCorner(corner);
    if (!cocos2d::finishCreate(layout, layout && layout->init()))
        return nullptr;
    const bool top = corner == 1 || corner == 3;
    layout->setAnchorPoint(cocos2d::Vec2(layout->isLeft() ? 0.0f : 1.0f, top ? 1.0f : 0.0f));
    // Lines left out are cut at whole lines, never through a text.
    layout->setClippingEnabled(true);
    return layout;
}

void isOverlayCorner::setMetrics(int height, float halfWidth, float halfHeight) {
    if (height == lineHeight && halfWidth == letterHalfWidth && halfHeight == letterHalfHeight)
        return;
    lineHeight = std::max(1, height);
    letterHalfWidth = halfWidth;
    letterHalfHeight = halfHeight;
    requestDoLayout();
}

std::vector<cocos2d::ui::Widget*> isOverlayCorner::shownItems(cocos2d::Node* row) {
    std::vector<cocos2d::ui::Widget*> items;
    for (cocos2d::Node* node : row->getChildren())
        if (auto* item = dynamic_cast<cocos2d::ui::Widget*>(node))
            if (item->isVisible())
                items.push_back(item);
    return items;
}

float isOverlayCorner::ownScale(float room) const {
    float scale = 1.0f;
    for (cocos2d::Node* child : getChildren())
        for (cocos2d::ui::Widget* item : shownItems(child)) {
            const float natural = footprint(item).width / scaleOf(item);
            if (natural > room)
                scale = std::min(scale, std::max(kSmallest, room / natural));
        }
    return scale;
}

float isOverlayCorner::sharedScale(float room) {
    const float own = ownScale(room);
    float shared = own;
    std::vector<isOverlayCorner*> others;
    if (getParent())
        for (cocos2d::Node* node : getParent()->getChildren())
            if (auto* other = dynamic_cast<isOverlayCorner*>(node))
                if (other != this) {
                    others.push_back(other);
                    shared = std::min(shared, other->wantedScale);
                }
    // The other corners follow when this one wants another size.
    if (own != wantedScale) {
        wantedScale = own;
        for (isOverlayCorner* other : others)
            other->requestDoLayout();
    }
    return shared;
}

void isOverlayCorner::forceDoLayout() {
    if (arranging)
        return;
    arranging = true;
    const cocos2d::Size box = getParent() ? getParent()->getContentSize() : getContentSize() * 2.0f;
    // A line ends before the middle of the edge, where the top and bottom letters stand, with a
    // gap of a quarter line; the corners of one edge keep that gap between them without letters.
    const float gap = lineHeight * 0.25f;
    const float room = std::max(1.0f, box.width * 0.5f - letterHalfWidth - gap);
    // The corner reaches at most to the middle of its side, less the side letters and a gap.
    const float reach = box.height * 0.5f - (letterHalfHeight > 0.0f ? letterHalfHeight + gap : 0.0f);
    // A row too wide for its line goes on over further lines; only a text too wide for a line
    // of its own makes the texts smaller, all corners of the viewport alike and down to the
    // smallest legible size.
    const float scale = sharedScale(room);
    const float lineStep = std::round(float(lineHeight) * scale);

    struct Placed {
        cocos2d::ui::Widget* item;
        int line;
        float x;
    };
    struct RowLines {
        cocos2d::ui::Layout* row;
        int first;
        int count;
    };
    std::vector<Placed> placed;
    std::vector<RowLines> rows;
    std::vector<float> lineWidths;
    for (cocos2d::Node* child : getChildren()) {
        auto* row = dynamic_cast<cocos2d::ui::Layout*>(child);
        if (!row)
            continue;
        const int first = static_cast<int>(lineWidths.size());
        lineWidths.push_back(0.0f);
        for (cocos2d::ui::Widget* item : shownItems(row)) {
            if (dynamic_cast<cocos2d::ui::Text*>(item)) {
                // One text wider than a whole line is made to fit it.
                const float natural = footprint(item).width / scaleOf(item);
                item->setScale(std::min(scale, std::max(kTiny, room / std::max(natural, 1.0f))));
            }
            const float width = footprint(item).width;
            if (lineWidths.back() > 0.0f && lineWidths.back() + width > room)
                lineWidths.push_back(0.0f);
            placed.push_back({item, static_cast<int>(lineWidths.size()) - 1, lineWidths.back()});
            lineWidths.back() += width;
        }
        rows.push_back({row, first, static_cast<int>(lineWidths.size()) - first});
    }
    lineCount = static_cast<int>(lineWidths.size());
    // Whole lines from the top while they reach no further; the first one always shows. The
    // lines left out lie below the corner's box, which cuts what it holds.
    shownLines = std::min(lineCount, std::max(1, static_cast<int>(reach / lineStep)));
    const float width = room;
    const float height = float(shownLines) * lineStep;
    setContentSize(cocos2d::Size(width, height));
    for (const RowLines& r : rows) {
        const float rowHeight = float(r.count) * lineStep;
        r.row->setContentSize(cocos2d::Size(width, rowHeight));
        r.row->setPosition(cocos2d::Vec2(0.0f, height - float(r.first) * lineStep - rowHeight));
        if (auto* own = dynamic_cast<isOverlayRow*>(r.row))
            own->setArranged();
    }
    for (const Placed& p : placed) {
        const RowLines& r = *std::find_if(rows.begin(), rows.end(), [&](const RowLines& row) {
            return p.line >= row.first && p.line < row.first + row.count;
        });
        const cocos2d::Size s = footprint(p.item);
        const cocos2d::Vec2 ap = p.item->getAnchorPoint();
        // Left corners fill their lines from the left, right corners pack them to the right.
        const float start = isLeft() ? 0.0f : width - lineWidths[size_t(p.line)];
        const float top = float(r.count - (p.line - r.first)) * lineStep;
        p.item->setPosition(cocos2d::Vec2(start + p.x + ap.x * s.width, top - (1.0f - ap.y) * s.height));
    }
    _doLayoutDirty = false;
    arranging = false;
}

} // namespace isImageSDK
