#pragma once
// A line of a viewer's corner overlay: shows the value carried by one notification id of its
// viewer (pointer position, window, slice, orientation, position, slab, loading progress)
// between a prefix and a suffix, or a fixed text when bound to nothing.

#include <string>

#include "imaging/display/overlay/isNodeOverlay.h"
#include "ui/Text.h"

namespace NSUI {
class NSNotificationData;
}

namespace isImageSDK {

class isNodeOverlayText : public cocos2d::ui::Text, public isNodeOverlay {
public:
    static isNodeOverlayText* create();

    bool init() override;
    void cleanup() override;
    bool onTouchBegan(cocos2d::Touch* touch, cocos2d::Event* event) override;

    /// Shows prefix + initial text + suffix until the first notification of the id, which is
    /// observed from the owner when it is one of the ids the item can show. A touchable item
    /// takes touches; the window item (9072) then opens the window/level editor when tapped.
    void bind(const std::string& initial, const std::string& prefix, const std::string& suffix,
              unsigned int id, bool touchable);
    /// Forgets the texts and the observation and stops taking touches.
    void unbind();
    /// Shows prefix + text + suffix.
    void setValue(const std::string& text);
    void onValue(cocos2d::Ref* sender, unsigned int id, NSUI::NSNotificationData* data);

    const std::string& getPrefix() const { return prefix; }
    const std::string& getSuffix() const { return suffix; }
    bool isTouchable() const { return touchable; }

    static constexpr unsigned int kOpenWindowEditorId = 9023;

protected:
    /// An item freed without its clean-up still leaves no observer behind.
    ~isNodeOverlayText() override;
    isNodeOverlayText() : isNodeOverlay(kText) {}

    std::string prefix;
    std::string suffix;
    std::string initialText;
    bool touchable = false;
};

} // namespace isImageSDK
