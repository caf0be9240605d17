#pragma once
// The floating row of four icon buttons (full screen, capture, favourite, DICOM information)
// laid over the bottom right of the viewport the user works in; each button posts a
// notification that the viewing screen handles.

#include <vector>

#include "cocos2d.h"

namespace cocos2d::ui {
class Button;
}

namespace NSUI {
class NSNotificationData;
}

class quickTool : public cocos2d::Node {
public:
    static quickTool* create();
    bool init() override;
    void cleanup() override;

    /// Creates the four buttons ("max", "favorite", "capture", "info").
    void buildButtons();
    /// Takes the view's size and world place and shows the bar over it.
    void attachTo(cocos2d::Node* view);
    void onButtonClicked(cocos2d::Ref* sender);
    void onNotification(cocos2d::Ref* sender, unsigned int id, NSUI::NSNotificationData* data);

    uint32_t getTargetId() const { return targetId; }
    void setViewRect(const cocos2d::Rect& rect) { viewRect = rect; }
    const cocos2d::Rect& getViewRect() const { return viewRect; }
    const std::vector<cocos2d::ui::Button*>& getButtons() const { return buttonList; }

    static constexpr unsigned int kInfoId = 2026;
    static constexpr unsigned int kCaptureId = 2027;
    static constexpr unsigned int kMaximizeId = 9100;
    static constexpr unsigned int kMaximizedStateId = 9101;
    static constexpr unsigned int kFavoriteId = 9102;

protected:
    quickTool() = default;
    ~quickTool() override;

private:
    std::vector<cocos2d::ui::Button*> buttonList;
    uint32_t targetId = 0;
    cocos2d::Rect viewRect; // the area full screen covers; set by the creator
};
