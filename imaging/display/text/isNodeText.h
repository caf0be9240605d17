#pragma once
// The label of a measurement: a text on a translucent dark box that the user can drag; each
// drag step moves it in its parent's space and announces itself with 9092 to the parent.

#include "imaging/display/isNodeObject.h"
#include "ui/Text.h"

namespace cocos2d {
namespace ui {
class Layout;
}
} // namespace cocos2d

namespace isImageSDK {

class isNodeText : public cocos2d::ui::Text, public isNodeObject {
public:
    static isNodeText* create();

    bool init() override;
    bool onTouchBegan(cocos2d::Touch* touch, cocos2d::Event* event) override;
    void onTouchMoved(cocos2d::Touch* touch, cocos2d::Event* event) override;
    void onTouchEnded(cocos2d::Touch* touch, cocos2d::Event* event) override;
    void onTouchCancelled(cocos2d::Touch* touch, cocos2d::Event* event) override;

    /// True once the label has been dragged.
    bool wasDragged() const { return dragged; }
    cocos2d::ui::Layout* getBackgroundBox() const { return backgroundBox; }

    static constexpr unsigned int kDraggedId = 9092;
    static constexpr int kBoxZOrder = -100;
    static constexpr int kBoxOpacity = 50;

protected:
    void onSizeChanged() override;

    bool dragged = false;
    cocos2d::ui::Layout* backgroundBox = nullptr;
};

} // namespace isImageSDK
