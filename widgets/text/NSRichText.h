#pragma once
// A widget that lays out elements left to right in lines of its width, one element per
// character of text, wrapping between any two characters, inside a scroll container so that
// content taller than its height limit scrolls.

#include <vector>

#include "base/UIControlBase.h"
#include "cocos2d.h"
#include "ui/Widget.h"

namespace NSUI {

class NSRichElement;
class UIScrollViewBase;

class NSRichText : public cocos2d::ui::Widget, public UIControlBase {
public:
    static NSRichText* create();
    bool init() override;
    void cleanup() override;

    /// Height limit of the widget; values that are not positive are ignored.
    virtual void setLineHeight(int height);
    int getLineHeight() const { return lineHeight; }

    void pushBackElement(NSRichElement* element, bool reformat = true);
    void insertElement(NSRichElement* element, int index, bool reformat = true);
    /// An index outside the list does nothing.
    void removeElement(int index);
    void removeAllElements();
    void formatText();

    const std::vector<NSRichElement*>& getElements() const { return elements; }
    int getElementCount() const { return static_cast<int>(elements.size()); }
    UIScrollViewBase* getScrollView() const { return scrollView; }
    void setLineSpacing(float spacing) { lineSpacing = spacing; }

    /// Caret position before element index (clamped), in the scroll container's inner space.
    cocos2d::Vec2 positionOfIndex(int index) const;
    /// The element index a caret goes to for a touch: -1 without elements, the count on none.
    int indexAtTouch(cocos2d::Touch* touch) const;

protected:
    NSRichText() = default;
    ~NSRichText() override;

    void addOne(NSRichElement* element, int index);
    void renderElement(NSRichElement* element);

    std::vector<NSRichElement*> elements; // retained
    float lineSpacing = 0.0f;
    UIScrollViewBase* scrollView = nullptr;
    int lineHeight = 100;
};

} // namespace NSUI
