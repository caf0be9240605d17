#include "text/NSRichText.h"

#include "2d/actions/ActionCreate.h"

#include <algorithm>

#include "2d/Label.h"
#include "2d/Sprite.h"
#include "base/Touch.h"
#include "platform/FileUtils.h"
#include "scroll/UIScrollViewBase.h"
#include "text/NSRichElementText.h"
#include "text/Utf8Chars.h"

namespace NSUI {

using namespace cocos2d;

NSRichText* NSRichText::create() {
    auto* text = new (std::nothrow) NSRichText();
    return finishCreate(text, text && text->init());
}

NSRichText::~NSRichText() {
    for (NSRichElement* e : elements)
        e->release();
    elements.clear();
}

bool NSRichText::init() {
    if (!ui::Widget::init())
        return false;
    lineSpacing = 0.0f;
    lineHeight = 100;
    setControlOwner(this);
    scrollView = UIScrollViewBase::create();
    if (!scrollView)
        return false;
    scrollView->setLayoutType(ui::Layout::Type::ABSOLUTE);
    scrollView->setDirection(UIScrollViewBase::kDirVertical);
    scrollView->setAnchorPoint(Vec2::ZERO);
    scrollView->setPosition(Vec2::ZERO);
    addChild(scrollView);
    return true;
}

void NSRichText::cleanup() {
    ui::Widget::cleanup();
    for (NSRichElement* e : elements)
        e->release();
    elements.clear();
}

void NSRichText::setLineHeight(int height) {
    if (height > 0)
        lineHeight = height;
}

namespace {
Label* makeLabel(const std::string& text, const std::string& fontName, float fontSize) {
    if (!fontName.empty() && FileUtils::getInstance()->isFileExist(fontName))
        return Label::createWithTTF(text, fontName, fontSize, Size::ZERO, TextHAlignment::LEFT,
                                    TextVAlignment::TOP);
    return Label::createWithSystemFont(text, fontName, fontSize, Size::ZERO, TextHAlignment::LEFT,
                                       TextVAlignment::TOP);
}
} // namespace

void NSRichText::renderElement(NSRichElement* element) {
    Node* renderer = nullptr;
    auto* textElement = dynamic_cast<NSRichElementText*>(element);
    if (element->type == NSRichElement::kText && textElement) {
        Label* label = makeLabel(textElement->text, textElement->fontName, textElement->fontSize);
        // A lone space measures as nothing; it still takes its advance on the line.
        if (label->getContentSize().width <= 0.0f && !textElement->text.empty() &&
            textElement->text.find_first_not_of(" \t") == std::string::npos) {
            float advance =
                makeLabel("x x", textElement->fontName, textElement->fontSize)->getContentSize().width -
                makeLabel("xx", textElement->fontName, textElement->fontSize)->getContentSize().width;
            if (advance <= 0.0f)
                advance = textElement->fontSize * 0.3f;
            float height =
                makeLabel("x", textElement->fontName, textElement->fontSize)->getContentSize().height;
            label->setContentSize(Size(advance, height));
        }
        renderer = label;
    } else if (element->type == NSRichElement::kImage && textElement) {
        renderer = Sprite::create(textElement->text);
    } else if (element->type == NSRichElement::kCustom) {
        renderer = element->renderer;
    }
    if (!renderer) {
        // A picture that cannot be read still takes its place in the list.
        renderer = Node::create();
    }
    renderer->setColor(element->color);
    renderer->setOpacity(element->opacity);
    element->renderer = renderer;
    if (renderer->getParent() != scrollView->getInnerContainer())
        scrollView->addChild(renderer, 1);
}

void NSRichText::addOne(NSRichElement* element, int index) {
    element->retain();
    index = std::max(0, std::min(index, static_cast<int>(elements.size())));
    elements.insert(elements.begin() + index, element);
    renderElement(element);
}

void NSRichText::pushBackElement(NSRichElement* element, bool reformat) {
    insertElement(element, static_cast<int>(elements.size()), reformat);
}

void NSRichText::insertElement(NSRichElement* element, int index, bool reformat) {
    if (!element)
        return;
    index = std::max(0, std::min(index, static_cast<int>(elements.size())));
    auto* textElement = dynamic_cast<NSRichElementText*>(element);
    if (element->type != NSRichElement::kText || !textElement) {
        addOne(element, index);
        if (reformat)
            formatText();
        return;
    }
    // Every character becomes its own element, so lines can wrap and carets can land anywhere.
    std::vector<std::string> chars = utf8Characters(textElement->text);
    if (chars.size() < 2) {
        addOne(element, index);
        if (reformat)
            formatText();
        return;
    }
    textElement->text = chars[0];
    addOne(element, index);
    if (reformat)
        formatText();
    for (size_t i = 1; i < chars.size(); ++i) {
        auto* next =
            NSRichElementText::create(static_cast<int>(elements.size()) + 1, chars[i], textElement->fontName,
                                      textElement->fontSize, textElement->color, textElement->opacity);
        addOne(next, index + static_cast<int>(i));
        if (reformat)
            formatText();
    }
}

void NSRichText::removeElement(int index) {
    if (index < 0 || index >= static_cast<int>(elements.size()))
        return;
    NSRichElement* element = elements[index];
    if (element->renderer)
        scrollView->removeChild(element->renderer, true);
    element->renderer = nullptr;
    element->release();
    elements.erase(elements.begin() + index);
    formatText();
}

void NSRichText::removeAllElements() {
    for (NSRichElement* e : elements) {
        e->renderer = nullptr;
        e->release();
    }
    elements.clear();
    scrollView->removeAllChildren();
}

void NSRichText::formatText() {
    const int width = static_cast<int>(getContentSize().width);
    // Measure: the room left is truncated to whole points at each step.
    std::vector<float> lineHeights;
    float total = 0.0f;
    float line = 0.0f;
    int room = width;
    bool first = true;
    for (NSRichElement* e : elements) {
        const Size& s = e->renderer->getContentSize();
        room = static_cast<int>(room - s.width);
        if (room >= 0 || first) {
            line = std::max(line, s.height);
        } else {
            lineHeights.push_back(line);
            total += line + lineSpacing;
            line = s.height;
            room = static_cast<int>(width - s.width);
        }
        first = false;
    }
    lineHeights.push_back(line);
    total += line;

    // Place.
    size_t lineIndex = 0;
    float y = total - lineHeights[0];
    float x = 0.0f;
    room = width;
    first = true;
    for (NSRichElement* e : elements) {
        Size s = e->renderer->getContentSize();
        room = static_cast<int>(room - s.width);
        if (room < 0 && !first) {
            ++lineIndex;
            y -= lineHeights[lineIndex] + lineSpacing;
            x = 0.0f;
            room = static_cast<int>(width - s.width);
        }
        first = false;
        e->renderer->setAnchorPoint(Vec2::ZERO);
        e->renderer->setPosition(Vec2(x, y));
        x += s.width;
        e->renderer->setContentSize(Size(s.width, lineHeights[lineIndex]));
    }

    // Size: taller than the limit scrolls.
    const float limit = static_cast<float>(lineHeight);
    float shown = total > limit ? limit : total;
    ui::Widget::setContentSize(Size(static_cast<float>(width), shown));
    scrollView->setContentSize(Size(static_cast<float>(width), shown));
    scrollView->setInnerContainerSize(Size(static_cast<float>(width), total));
}

Vec2 NSRichText::positionOfIndex(int index) const {
    if (elements.empty())
        return Vec2::ZERO;
    int count = static_cast<int>(elements.size());
    index = std::max(0, std::min(index, count));
    if (index < count)
        return elements[index]->renderer->getPosition();
    Node* last = elements.back()->renderer;
    return last->getPosition() + Vec2(last->getContentSize().width, 0.0f);
}

int NSRichText::indexAtTouch(Touch* touch) const {
    if (elements.empty())
        return -1;
    for (size_t i = 0; i < elements.size(); ++i) {
        Node* r = elements[i]->renderer;
        Vec2 p = r->convertToNodeSpace(touch->getLocation());
        const Size& s = r->getContentSize();
        if (Rect(0, 0, s.width, s.height).containsPoint(p))
            return p.x <= s.width * 0.5f ? static_cast<int>(i) : static_cast<int>(i) + 1;
    }
    return static_cast<int>(elements.size());
}

} // namespace NSUI
