#pragma once
// One element of a rich text: the node that shows it and its look.

#include "cocos2d.h"

namespace NSUI {

class NSRichElement : public cocos2d::Ref {
public:
    enum Type { kText = 0, kImage = 1, kCustom = 2 };

    NSRichElement() = default;
    ~NSRichElement() override = default;

    /// Shown by the rich text's scroll container, which owns it; null until rendered.
    cocos2d::Node* renderer = nullptr;
    int type = kText;
    int tag = 0;
    cocos2d::Color3B color = cocos2d::Color3B::WHITE;
    GLubyte opacity = 255;
};

} // namespace NSUI
