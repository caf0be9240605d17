#pragma once
// The UI style every screen reads: font sizes, colours and font files.

#include "cocos2d.h"

#include <string>

struct AppStyle {
    /// Largest first: 60, 50, 35, 30, 25, 20, 15, 10.
    int fontSize[8];
    /// (100,100,100), (44,44,44), (166,166,166), (44,44,44), (0,187,253), white, black.
    cocos2d::Color3B colors[7];
    /// "DFPGB_H3.TTF" and "DFPGB_H3.ttf".
    std::string fontFiles[2];

    /// The values every installation starts with.
    void setDefaults();
};
