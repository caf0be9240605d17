#include "panel/TextFit.h"

#include "text/Utf8Chars.h"
#include "ui/CocosGUI.h"

namespace {

const char* const kEllipsis = "\xE2\x80\xA6";

} // namespace

void TextFit::setFitted(cocos2d::ui::Text* label, const std::string& text, float maxWidth)
{
    if (!label)
        return;
    label->setString(text);
    if (label->getContentSize().width <= maxWidth)
        return;
    // The longest prefix that still fits with the ellipsis, by halving.
    size_t fits = 0, tooLong = NSUI::utf8Count(text);
    while (tooLong - fits > 1) {
        const size_t mid = (fits + tooLong) / 2;
        label->setString(NSUI::utf8Prefix(text, mid) + kEllipsis);
        if (label->getContentSize().width <= maxWidth)
            fits = mid;
        else
            tooLong = mid;
    }
    label->setString(NSUI::utf8Prefix(text, fits) + kEllipsis);
}

void TextFit::setFitted(cocos2d::Node* root, const char* name, const std::string& text, float maxWidth)
{
    setFitted(dynamic_cast<cocos2d::ui::Text*>(root->getChildByNameDeep(name)), text, maxWidth);
}
