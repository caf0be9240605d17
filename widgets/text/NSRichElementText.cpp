#include "text/NSRichElementText.h"

namespace NSUI {

NSRichElementText* NSRichElementText::create(int tag, const std::string& text, const std::string& fontName,
                                             float fontSize, const cocos2d::Color3B& color, GLubyte opacity) {
    auto* element = new (std::nothrow) NSRichElementText();
    if (!element)
        return nullptr;
    element->type = kText;
    element->tag = tag;
    element->text = text;
    element->fontName = fontName;
    element->fontSize = fontSize;
    element->color = color;
    element->opacity = opacity;
    element->autorelease();
    return element;
}

} // namespace NSUI
