#pragma once
// Sprites of the toolkit's pictures that still show as plain rectangles where the picture
// file is missing, so bars, carets and backgrounds never silently disappear.

#include <string>

#include "cocos2d.h"

namespace cocos2d {
class Sprite;
}

namespace NSUI {

/// A sprite of the file when it exists, else a rectangle of plainSize in the colour.
cocos2d::Sprite* createSpriteOrPlain(const std::string& file, const cocos2d::Size& plainSize,
                                     const cocos2d::Color3B& color);

} // namespace NSUI
