#pragma once
// The program's window: the GLFW window, which also counts as closed once a termination
// signal has asked the program to close.

#include "platform/GLViewImpl.h"

class AppWindow : public cocos2d::GLViewImpl {
public:
    static AppWindow* createWithRect(const std::string& caption, const cocos2d::Rect& rect);
    bool windowShouldClose() override;

private:
    AppWindow() = default;
};
