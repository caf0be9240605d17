#pragma once
// Watches for a right click (press and release without a drag) inside an area of the window and
// reports it; the views below still get the mouse events, so a right drag still zooms them.

#include <functional>

#include "cocos2d.h"

namespace cocos2d {
class EventListenerMouse;
class EventMouse;
} // namespace cocos2d

class rightClickOpener : public cocos2d::Node {
public:
    using Callback = std::function<void(const cocos2d::Vec2& point)>;

    /// Clicks inside area (window coordinates) are reported while the node's parent is shown.
    static rightClickOpener* create(const cocos2d::Rect& area, const Callback& callback);
    void onEnter() override;
    void onExit() override;

    void setArea(const cocos2d::Rect& rect) { area = rect; }

    static constexpr const char* kName = "rightClickOpener";

protected:
    rightClickOpener() = default;

private:
    void onDown(cocos2d::EventMouse* event);
    void onMove(cocos2d::EventMouse* event);
    void onUp(cocos2d::EventMouse* event);
    bool shown() const;

    cocos2d::Rect area;
    Callback callback;
    cocos2d::EventListenerMouse* listener = nullptr;
    bool armed = false;
    cocos2d::Vec2 downAt;
};
