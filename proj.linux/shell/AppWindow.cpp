#include "AppWindow.h"

#include "CloseOnSignal.h"

AppWindow* AppWindow::createWithRect(const std::string& caption, const cocos2d::Rect& rect) {
    auto* window = new AppWindow();
    if (!window->initWithRect(caption, rect, 1.0f, false)) {
        window->release();
        return nullptr;
    }
    window->autorelease();
    return window;
}

bool AppWindow::windowShouldClose() {
    return CloseOnSignal::requested() || GLViewImpl::windowShouldClose();
}
