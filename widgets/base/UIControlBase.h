#pragma once
// Mixin that lets a widget, screen or viewer show a short message toast over the running
// scene and give itself a relative layout parameter.

#include <string>

#include "cocos2d.h"
#include "ui/Layout.h"
#include "ui/LayoutParameter.h"

namespace NSUI {

class UIControlBase {
public:
    UIControlBase() = default;
    virtual ~UIControlBase() = default;

    /// Builds the toast widget: a translucent black layout "messageBox" holding the text
    /// "messageBox.text". Returns it autoreleased; null means no toast is shown.
    virtual cocos2d::ui::Layout* createMessageBox();

    /// Shows text as the running scene's one toast for the given seconds; a toast already
    /// shown gets the new text and a new timer. Nothing happens without a running scene.
    void showMessageBox(const std::string& text, float seconds);

    /// (window width * rx, window height * ry).
    static cocos2d::Vec2 relativeWindowPoint(float rx, float ry);

    /// Aligns the owner (when it is a widget) against its parent's edges; align 1..9.
    void setRelativeLayoutParameter(int align, const std::string& relativeName,
                                    const cocos2d::ui::Margin& margin);

    void setControlOwner(cocos2d::Node* owner) { _controlOwner = owner; }
    cocos2d::Node* getControlOwner() const { return _controlOwner; }

    static constexpr const char* kMessageBoxName = "messageBox";
    static constexpr const char* kMessageTextName = "messageBox.text";
    /// The toast's black panel lets only a trace of what lies under it through: at half
    /// opacity the texts beneath read through the message and the two overlap.
    static constexpr int kMessageBoxOpacity = 230;

protected:
    cocos2d::Node* _controlOwner = nullptr; // the node this mixin stands for (not retained)
};

} // namespace NSUI
