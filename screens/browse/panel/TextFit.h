#pragma once
// Puts a text into a one-line label of limited width: a text too wide for it is shortened
// at a character boundary and ends in an ellipsis, so nothing is ever cut mid-glyph.

#include <string>

namespace cocos2d {
class Node;
namespace ui {
class Text;
}
} // namespace cocos2d

class TextFit {
public:
    /// Sets the label's string to the text, or to its longest prefix plus "…" that fits.
    static void setFitted(cocos2d::ui::Text* label, const std::string& text, float maxWidth);
    /// The same for the label of that name below root; nothing when there is none.
    static void setFitted(cocos2d::Node* root, const char* name, const std::string& text, float maxWidth);
};
