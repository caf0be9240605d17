#pragma once
// The process-wide busy overlay: a translucent full-screen layer with a turning spinner, an
// optional message, a progress number fed by notification 1001, a message fed by 1002 and
// optional buttons that post 1003.

#include <string>

#include "cocos2d.h"
#include "ui/Layout.h"

namespace NSUI {

class NSNotificationData;

class NSActivity : public cocos2d::ui::Layout {
public:
    static constexpr unsigned int kProgressId = 1001;
    static constexpr unsigned int kBusyTextId = 1002;
    static constexpr unsigned int kButtonId = 1003;
    static constexpr int kSpinnerTag = 1001;
    static constexpr int kProgressTag = 100;
    static constexpr int kMessageTag = 101;

    /// Creates the overlay on parent the first time; later calls return it unchanged. When the
    /// screen it was shown on has gone, it moves to the new parent (or the running scene).
    static NSActivity* show(cocos2d::Node* parent);
    static void hide();
    /// Shows an overlay of the holder's own, only when none is up, and holds it in `held`
    /// (retained), so that the holder can later take down this one and no other. The held one,
    /// while still up, is returned as show returns it. While someone else's overlay is up, that
    /// one is left as it is and nothing is held: null.
    static NSActivity* showHeld(cocos2d::Node* parent, NSActivity*& held);
    /// Takes down the held overlay while it is still the one up, then lets it go (null).
    static void hideHeld(NSActivity*& held);
    /// The overlay while it exists, else null.
    static NSActivity* current();

    bool init() override;
    void setText(const std::string& text);
    const std::string& getText() const { return message; }
    void addButton(const std::string& title, const cocos2d::Color3B& titleColor);
    void onNotification(cocos2d::Ref* sender, unsigned int id, NSNotificationData* data);
    void setTextColor(const cocos2d::Color4B& color) { textColor = color; }
    /// Takes the overlay down: observers, actions, children, parent, the process-wide pointer.
    void remove();

protected:
    NSActivity() = default;
    ~NSActivity() override = default;

    cocos2d::Color4B textColor = cocos2d::Color4B(0, 0, 255, 255);
    std::string message;
};

} // namespace NSUI
