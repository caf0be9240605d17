#pragma once
// One row of the tag tables: an element's tag, its short description and its value.

#include "cocos2d.h"

#include <string>

class dcmTagRow : public cocos2d::Ref {
public:
    /// Autoreleased.
    static dcmTagRow* create(std::string tag, std::string intro, std::string value);

    std::string tagText;
    std::string introText;
    std::string valueText;
};
