#pragma once
// A text run of a rich text (or, with the image type, a picture file in `text`).

#include <string>

#include "text/NSRichElement.h"

namespace NSUI {

class NSRichElementText : public NSRichElement {
public:
    static NSRichElementText* create(int tag, const std::string& text, const std::string& fontName,
                                     float fontSize, const cocos2d::Color3B& color, GLubyte opacity);

    std::string text;
    std::string fontName;
    float fontSize = 0.0f;
};

} // namespace NSUI
