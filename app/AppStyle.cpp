#include "AppStyle.h"

void AppStyle::setDefaults() {
    static const int sizes[8] = {60, 50, 35, 30, 25, 20, 15, 10};
    for (int i = 0; i < 8; ++i)
        fontSize[i] = sizes[i];
    colors[0] = cocos2d::Color3B(100, 100, 100);
    colors[1] = cocos2d::Color3B(44, 44, 44);
    colors[2] = cocos2d::Color3B(166, 166, 166);
    colors[3] = cocos2d::Color3B(44, 44, 44);
    colors[4] = cocos2d::Color3B(0, 187, 253);
    colors[5] = cocos2d::Color3B::WHITE;
    colors[6] = cocos2d::Color3B::BLACK;
    fontFiles[0] = "DFPGB_H3.TTF";
    fontFiles[1] = "DFPGB_H3.ttf";
}
