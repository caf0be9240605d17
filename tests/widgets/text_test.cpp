// Rich text and the text field: UTF-8 splitting that cannot overrun, one element per
// character, line wrapping on whole points, the height limit, caret lookup, and typing through
// the input-method dispatcher with modes, limits, masking and deletion.

#include "WidgetsFixture.h"

#include <string>
#include <vector>

#include "base/Touch.h"
#include "base/UIControlGenerater.h"
#include "scroll/UIScrollViewBase.h"
#include "text/NSRichElementText.h"
#include "text/NSRichText.h"
#include "text/NSTextField.h"
#include "text/Utf8Chars.h"
#include "lang/NSLanguage.h"

using namespace cocos2d;
using namespace NSUI;

namespace {

TEST(Utf8Chars, SplitsWholeCharactersAndNeverRunsPastTheEnd) {
    EXPECT_EQ(utf8Characters("a\xC3\xA9\xE2\x82\xAC\xF0\x9D\x84\x9E"),
              (std::vector<std::string>{"a", "\xC3\xA9", "\xE2\x82\xAC", "\xF0\x9D\x84\x9E"}));
    // A sequence cut short at the end, or broken in the middle, yields its bytes one by one.
    EXPECT_EQ(utf8Characters("x\xE2\x82"), (std::vector<std::string>{"x", "\xE2", "\x82"}));
    EXPECT_EQ(utf8Characters("\xC3z"), (std::vector<std::string>{"\xC3", "z"}));
    EXPECT_EQ(utf8Count("\xF0\x9D"), 2u);
    EXPECT_EQ(utf8Prefix("a\xC3\xA9"
                         "b",
                         2),
              "a\xC3\xA9");
    EXPECT_EQ(utf8Suffix("a\xC3\xA9"
                         "b",
                         2),
              "b");
    EXPECT_EQ(utf8Prefix("ab", 9), "ab");
    EXPECT_EQ(utf8Suffix("ab", 9), "");
}

class RichTextTest : public qptest::WidgetsFixture {
protected:
    // A custom element of a fixed size, so layouts do not depend on the fonts installed.
    static NSRichElement* box(float w, float h) {
        auto* e = new NSRichElement();
        e->autorelease();
        e->type = NSRichElement::kCustom;
        Node* n = Node::create();
        n->setContentSize(Size(w, h));
        e->renderer = n;
        return e;
    }
    NSRichText* make(float width) {
        NSRichText* t = NSRichText::create();
        t->setAnchorPoint(Vec2::ZERO);
        t->setContentSize(Size(width, 10));
        scene->addChild(t);
        return t;
    }
};

TEST_F(RichTextTest, TextSplitsIntoOneElementPerCharacter) {
    NSRichText* t = make(300);
    t->pushBackElement(NSRichElementText::create(7, "abc", "", 20, Color3B::WHITE, 255));
    ASSERT_EQ(t->getElementCount(), 3);
    std::vector<std::string> texts;
    std::vector<int> tags;
    for (NSRichElement* e : t->getElements()) {
        texts.push_back(static_cast<NSRichElementText*>(e)->text);
        tags.push_back(e->tag);
    }
    EXPECT_EQ(texts, (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(tags, (std::vector<int>{7, 2, 3}));
    // Inserted text lands in the middle in order.
    t->insertElement(NSRichElementText::create(0, "xy", "", 20, Color3B::WHITE, 255), 1);
    texts.clear();
    for (NSRichElement* e : t->getElements())
        texts.push_back(static_cast<NSRichElementText*>(e)->text);
    EXPECT_EQ(texts, (std::vector<std::string>{"a", "x", "y", "b", "c"}));
    t->removeElement(-1);
    t->removeElement(5);
    EXPECT_EQ(t->getElementCount(), 5);
    t->removeElement(0);
    EXPECT_EQ(t->getElementCount(), 4);
}

TEST_F(RichTextTest, LinesWrapOnWholePointsAndTallContentScrolls) {
    NSRichText* t = make(100);
    for (int i = 0; i < 3; ++i)
        t->pushBackElement(box(33.2f, 40), false);
    t->formatText();
    // 3 x 33.2 fits in 100, but the room is cut to whole points at each step: 66, 32, -1.
    EXPECT_FLOAT_EQ(t->getElements()[2]->renderer->getPositionX(), 0.0f);
    EXPECT_FLOAT_EQ(t->getContentSize().height, 80.0f);

    NSRichText* tall = make(100);
    for (int i = 0; i < 9; ++i)
        tall->pushBackElement(box(30, 40), false);
    tall->formatText();
    EXPECT_FLOAT_EQ(tall->getContentSize().height, 100.0f);
    EXPECT_FLOAT_EQ(tall->getScrollView()->getInnerContainerSize().height, 120.0f);
    EXPECT_FLOAT_EQ(tall->getElements()[0]->renderer->getPositionY(), 80.0f);
    EXPECT_FLOAT_EQ(tall->getElements()[8]->renderer->getPositionY(), 0.0f);

    tall->setLineHeight(0);
    tall->setLineHeight(-5);
    EXPECT_EQ(tall->getLineHeight(), 100);
}

TEST_F(RichTextTest, CaretIndexFollowsTheHalfOfTheCharacterTouched) {
    NSRichText* t = make(300);
    t->setPosition(Vec2(100, 100));
    EXPECT_EQ(t->positionOfIndex(3), Vec2::ZERO);
    for (int i = 0; i < 4; ++i)
        t->pushBackElement(box(20, 30));
    auto touchAt = [](const Vec2& p) {
        auto* touch = new Touch();
        touch->autorelease();
        touch->setTouchInfoInGL(0, p);
        return touch;
    };
    EXPECT_EQ(t->indexAtTouch(touchAt(Vec2(100 + 40 + 15, 110))), 3); // right half of the third
    EXPECT_EQ(t->indexAtTouch(touchAt(Vec2(100 + 40 + 5, 110))), 2);  // left half of it
    EXPECT_EQ(t->indexAtTouch(touchAt(Vec2(500, 500))), 4);
    EXPECT_EQ(t->positionOfIndex(4), Vec2(80, 0));
    EXPECT_EQ(t->positionOfIndex(99), Vec2(80, 0));
    EXPECT_EQ(t->positionOfIndex(-2), Vec2(0, 0));
}

class TextFieldTest : public qptest::WidgetsFixture {
protected:
    void SetUp() override {
        WidgetsFixture::SetUp();
        field = NSTextField::create("name", Size(300, 40));
        field->setAnchorPoint(Vec2::ZERO);
        field->setPosition(Vec2(100, 100));
        scene->addChild(field);
        field->setCallback([this](Ref*, NSTextField::EventType e) { events.push_back(e); });
        ASSERT_TRUE(field->attachWithIME());
    }
    void TearDown() override {
        field->detachWithIME();
        WidgetsFixture::TearDown();
    }
    std::string shown() const {
        std::string s;
        for (NSRichElement* e : field->getElements())
            s += static_cast<NSRichElementText*>(e)->text;
        return s;
    }
    NSTextField* field = nullptr;
    std::vector<int> events;
};

TEST_F(TextFieldTest, TypingStopsAtALineFeed) {
    EXPECT_TRUE(field->isPlaceHolderShown());
    EXPECT_EQ(shown(), "name");
    input->insertText("12\n34");
    EXPECT_EQ(field->getString(), "12");
    EXPECT_EQ(shown(), "12");
    EXPECT_EQ(field->getCaretIndex(), 2);
    input->insertText("\n");
    EXPECT_EQ(field->getString(), "12");
    EXPECT_EQ(events, (std::vector<int>{0}));
}

TEST_F(TextFieldTest, SpacesTakeTheirPlaceOnTheLine) {
    input->insertText("a b");
    ASSERT_EQ(field->getElements().size(), 3u);
    Node* a = field->getElements()[0]->renderer;
    Node* space = field->getElements()[1]->renderer;
    Node* b = field->getElements()[2]->renderer;
    EXPECT_GT(space->getContentSize().width, 0.0f);
    EXPECT_FLOAT_EQ(b->getPositionX(), a->getContentSize().width + space->getContentSize().width);
}

TEST_F(TextFieldTest, IntegerAndDecimalModesFilterInput) {
    field->setInputMode(NSTextField::kInputInteger);
    input->insertText("-");
    input->insertText("5");
    input->insertText("-");
    input->insertText("1.5");
    EXPECT_EQ(field->getString(), "-5");

    field->setString("");
    field->setInputMode(NSTextField::kInputDecimal);
    input->insertText(".");
    input->insertText("3");
    input->insertText("-");
    input->insertText(".");
    input->insertText("25");
    input->insertText(".");
    EXPECT_EQ(field->getString(), "3.25");

    EXPECT_TRUE(NSTextField::isAllDigits(""));
    EXPECT_FALSE(NSTextField::isAllDigits("1a"));
    EXPECT_TRUE(NSTextField::isInputValid(NSTextField::kInputAny, "x", "\xC3\xA9!"));
}

TEST_F(TextFieldTest, LengthLimitRefusesKeysAtTheLimitButTakesAPasteBelowIt) {
    field->setMaxLength(10);
    input->insertText("123456789");
    input->insertText("abc");
    EXPECT_EQ(field->getString(), "123456789abc");
    field->setString("0123456789");
    input->insertText("x");
    EXPECT_EQ(field->getString(), "0123456789");
}

TEST_F(TextFieldTest, PasswordsShowMasksButKeepTheText) {
    field->setSecureTextEntry(true);
    input->insertText("s3cr\xC3\xA9t");
    EXPECT_EQ(shown(), "******");
    EXPECT_EQ(field->getString(), "s3cr\xC3\xA9t");
    input->deleteBackward();
    EXPECT_EQ(field->getString(), "s3cr\xC3\xA9");
    EXPECT_EQ(shown(), "*****");
}

TEST_F(TextFieldTest, DeletingTheLastCharacterBringsThePlaceholderBack) {
    input->insertText("x");
    events.clear();
    input->deleteBackward();
    EXPECT_TRUE(field->isPlaceHolderShown());
    EXPECT_EQ(field->getString(), "");
    EXPECT_EQ(shown(), "name");
    EXPECT_EQ(field->getElements()[0]->color, Color3B::GRAY);
    EXPECT_EQ(events, (std::vector<int>{1}));
    input->deleteBackward(); // nothing left to delete
    EXPECT_EQ(events, (std::vector<int>{1}));

    field->setPlaceHolder("");
    EXPECT_EQ(field->getPlaceHolder(), " ");
}

TEST_F(TextFieldTest, TouchPlacesTheCaretAndTypingInsertsThere) {
    field->setString("abcd");
    Node* second = field->getElements()[1]->renderer;
    Vec2 rightHalf = second->convertToWorldSpace(
        Vec2(second->getContentSize().width * 0.75f, second->getContentSize().height * 0.5f));
    input->touchBegan(0, rightHalf);
    input->touchEnded(0, rightHalf);
    EXPECT_EQ(field->getCaretIndex(), 2);
    input->insertText("XY");
    EXPECT_EQ(field->getString(), "abXYcd");
    EXPECT_EQ(shown(), "abXYcd");
    input->deleteBackward();
    EXPECT_EQ(field->getString(), "abXcd");
    EXPECT_EQ(field->getCaretIndex(), 3);

    // The caret blinks at its place while attached, and a touch elsewhere detaches the field.
    input->advance(0.55f);
    Node* caret = field->getCaretNode();
    ASSERT_NE(caret, nullptr);
    EXPECT_TRUE(caret->isVisible());
    EXPECT_EQ(caret->getPosition(), field->positionOfIndex(3));
    EXPECT_FLOAT_EQ(caret->getScaleY(), 25.0f / 20.0f);
    input->advance(0.5f);
    EXPECT_FALSE(caret->isVisible());
    input->touchBegan(0, Vec2(700, 500));
    input->touchEnded(0, Vec2(700, 500));
    EXPECT_FALSE(field->isAttachedWithIME());
    input->insertText("z");
    EXPECT_EQ(field->getString(), "abXcd");
}

TEST_F(TextFieldTest, GeneratedFieldsTakeTheirFontSizeFromTheLineHeight) {
    struct Form : public UIControlGenerater {
    } form;
    NSTextField* made = form.createTextField("age", Vec2(10, 20), 30, Vec2(0, 0.5f));
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->getFontSize(), 30);
    EXPECT_EQ(made->getPosition(), Vec2(10, 20));
    EXPECT_EQ(made->getAnchorPoint(), Vec2(0, 0.5f));
    EXPECT_FLOAT_EQ(made->getContentSize().width, 150.0f);
    EXPECT_TRUE(made->isPlaceHolderShown());
    EXPECT_EQ(made->getPlaceHolder(), "age");
}

} // namespace

TEST(TextFieldLanguage, LocalisedLayoutsSetTheFieldsPlaceholders) {
    NSTextField::registerLanguageApplier();
    NSTextField::registerLanguageApplier(); // once per process, however often it is asked
    qptest::TempDir dir;
    ASSERT_TRUE(qptest::writeFile(dir.file("language.dat"),
                                  "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>english</key><dict>"
                                  "<key>finder.key</key><string>Patient name</string></dict></dict></plist>"));
    NSLanguage language;
    language.setFileName(dir.file("language.dat"));
    language.loadLanguage(0);
    Node* root = Node::create();
    NSTextField* field = NSTextField::create("layout text", Size(200, 30));
    field->setName("key");
    root->addChild(field);
    language.applyText(root, "finder.");
    EXPECT_EQ(field->getPlaceHolder(), "Patient name");
}
