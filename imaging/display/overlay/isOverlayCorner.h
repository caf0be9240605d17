#pragma once
// One corner of a viewport's overlay: its rows stacked from the top, a row too wide for the
// corner continued on further lines, and every line kept clear of the orientation letters
// centred on the viewport's edges. Lines that would reach the side letters are left out, so
// a small tile shows fewer lines rather than texts over the letters.

#include <vector>

#include "layout/NSLayout.h"

namespace isImageSDK {

class isOverlayCorner : public NSUI::NSLayout {
public:
    /// A corner by its relative-layout alignment code (1 top left, 3 top right, 7 bottom left,
    /// 9 bottom right), anchored at that corner so that its place does not depend on its size.
    static isOverlayCorner* create(int corner);

    /// The line height, and the room the letters take from the middle of the edges: half the
    /// width of the wider top or bottom letter, half the height of the side letters (0 without
    /// letters there).
    void setMetrics(int lineHeight, float letterHalfWidth, float letterHalfHeight);
    /// Places the items of every row in lines and sizes the rows and the corner to them.
    void forceDoLayout() override;

    int getCorner() const { return corner; }
    /// Lines the rows need, and the lines shown of them (the rest are left out).
    int getLineCount() const { return lineCount; }
    int getShownLineCount() const { return shownLines; }

protected:
    explicit isOverlayCorner(int code) : corner(code) {}

private:
    bool isLeft() const { return corner == 1 || corner == 7; }
    static std::vector<cocos2d::ui::Widget*> shownItems(cocos2d::Node* row);
    /// The scale at which every text of this corner fits a line of `room` points (at least the
    /// smallest legible one), and the smallest such scale of all corners of the viewport.
    float ownScale(float room) const;
    float sharedScale(float room);

    int corner;
    int lineHeight = 24;
    float letterHalfWidth = 0.0f;
    float letterHalfHeight = 0.0f;
    int lineCount = 0;
    int shownLines = 0;
    float wantedScale = 1.0f;
    bool arranging = false;
};

} // namespace isImageSDK
