#pragma once
// Reads back whether a shown toast lies over everything under it: its black panel must
// leave every pixel it covers at the fraction of what it was that its opacity lets through,
// neither brighter (drawn over the panel) nor other (painted over it), and its own text must
// be white.

#include <cmath>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "base/UIControlBase.h"
#include "support/PixelProbe.h"

namespace qptest {

class ToastProbe {
public:
    /// Whether the toast just shown on the scene lies over everything under it: its panel
    /// darkens all it covers and its text on it is white. The frame is written to shot.
    ::testing::AssertionResult liesOnTop(cocos2d::Scene* scene, const std::function<void()>& frame,
                                         const std::string& shot) {
        readWithAndWithout(scene, frame);
        const int drawnOver = uncovered(), white = whiteText();
        save(shot, frame);
        if (drawnOver == 0 && white > 100)
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure()
               << drawnOver << " pixels of the panel drawn over, " << white << " white pixels of text";
    }

private:
    /// Reads the frame where the toast just shown on the scene lies, drawn without the toast
    /// and then with it; frame() draws one frame.
    void readWithAndWithout(cocos2d::Scene* scene, const std::function<void()>& frame) {
        cocos2d::Node* toast = scene->getChildByName(NSUI::UIControlBase::kMessageBoxName);
        locate(toast);
        toast->setVisible(false);
        frame();
        _before = readRegion(_x, _y, _w, _h);
        toast->setVisible(true);
        frame();
    }
    /// Pixels of the panel, away from its text, that the panel did not darken as its opacity
    /// says.
    int uncovered() const {
        const std::vector<unsigned char> after = readRegion(_x, _y, _w, _h);
        int count = 0;
        for (int y = 0; y < _h; ++y)
            for (int x = 0; x < _w; ++x) {
                if (_text.containsPoint(cocos2d::Vec2(float(_x + x), float(_y + y))))
                    continue;
                const size_t i = (size_t(y) * size_t(_w) + size_t(x)) * 4;
                for (size_t c = 0; c < 3; ++c)
                    if (std::abs(after[i + c] * 255 - _before[i + c] * kThrough) > 3 * 255) {
                        ++count;
                        break;
                    }
            }
        return count;
    }
    /// Writes the frame as a PNG at path.
    static void save(const std::string& path, const std::function<void()>& frame) {
        bool written = false;
        cocos2d::utils::captureScreen([&](bool ok, const std::string&) { written = ok; }, path);
        while (!written)
            frame();
    }
    /// White pixels of the toast's text.
    int whiteText() const {
        const int x0 = int(_text.getMinX()), y0 = int(_text.getMinY());
        const int w = int(_text.size.width), h = int(_text.size.height);
        const std::vector<unsigned char> px = readRegion(x0, y0, w, h);
        int count = 0;
        for (size_t i = 0; i + 3 < px.size(); i += 4)
            count += px[i] > 235 && px[i + 1] > 235 && px[i + 2] > 235;
        return count;
    }

    void locate(cocos2d::Node* box) {
        cocos2d::Node* text = box->getChildByNameDeep(NSUI::UIControlBase::kMessageTextName);
        const cocos2d::Rect panel = worldRect(box);
        // A pixel in from the panel's edges, which are shared with what lies beside it.
        _x = int(std::ceil(panel.getMinX())) + 1;
        _y = int(std::ceil(panel.getMinY())) + 1;
        _w = int(panel.size.width) - 3;
        _h = int(panel.size.height) - 3;
        // With room for the text's shadow and the panel's own sub-pixel edges.
        const cocos2d::Rect t = worldRect(text);
        _text = cocos2d::Rect(t.getMinX() - 4, t.getMinY() - 6, t.size.width + 10, t.size.height + 12);
    }
    static cocos2d::Rect worldRect(cocos2d::Node* node) {
        const cocos2d::Size& s = node->getContentSize();
        const cocos2d::Vec2 a = node->convertToWorldSpace(cocos2d::Vec2::ZERO);
        const cocos2d::Vec2 b = node->convertToWorldSpace(cocos2d::Vec2(s.width, s.height));
        return cocos2d::Rect(a.x, a.y, b.x - a.x, b.y - a.y);
    }

    static constexpr int kThrough = 255 - NSUI::UIControlBase::kMessageBoxOpacity;

    int _x = 0, _y = 0, _w = 0, _h = 0;
    cocos2d::Rect _text;
    std::vector<unsigned char> _before;
};

} // namespace qptest
