// The measurement label: its box follows its size, drags move it in its parent's space and are
// announced with 9092, coalesced so a long drag does not flood the one-per-frame queue.

#include <gtest/gtest.h>

#include "engine/SceneFixture.h"
#include "framework/notify/NSNotificationCenter.h"
#include "imaging/display/text/isNodeText.h"
#include "ui/Layout.h"

using namespace isImageSDK;
using cocos2d::Vec2;
using NSUI::NSNotificationCenter;

namespace {

class TextNodeTest : public qptest::SceneFixture {
protected:
    void SetUp() override {
        qptest::SceneFixture::SetUp();
        centre = NSNotificationCenter::getInstance();
        input->advance(0.6f); // the centre's first tick
        parent = cocos2d::Node::create();
        parent->setPosition(Vec2(100, 100));
        parent->setScale(2.0f);
        scene->addChild(parent);
        label = isNodeText::create();
        ASSERT_NE(nullptr, label);
        label->setString("12.5 mm");
        label->setTouchEnabled(true);
        label->setPosition(Vec2(10, 10));
        parent->addChild(label);
        for (int* target : {&first, &second}) {
            centre->addObserver(
                target, parent,
                [target](cocos2d::Ref* sender, unsigned, NSUI::NSNotificationData* data) {
                    EXPECT_EQ(nullptr, data);
                    EXPECT_NE(nullptr, sender);
                    ++*target;
                },
                isNodeText::kDraggedId);
        }
    }
    void TearDown() override {
        centre->removeObserver(&first);
        centre->removeObserver(&second);
        NSNotificationCenter::destroyInstance();
        qptest::SceneFixture::TearDown();
    }
    Vec2 labelCentre() const {
        return label->convertToWorldSpace(
            Vec2(label->getContentSize().width / 2, label->getContentSize().height / 2));
    }

    NSNotificationCenter* centre = nullptr;
    cocos2d::Node* parent = nullptr;
    isNodeText* label = nullptr;
    int first = 0;
    int second = 0;
};

} // namespace

TEST_F(TextNodeTest, BoxFollowsTheLabelSize) {
    cocos2d::ui::Layout* box = label->getBackgroundBox();
    ASSERT_NE(nullptr, box);
    EXPECT_EQ(isNodeText::kBoxZOrder, box->getLocalZOrder());
    EXPECT_EQ(isNodeText::kBoxOpacity, box->getBackGroundColorOpacity());
    EXPECT_GT(label->getContentSize().width, 0);
    EXPECT_TRUE(box->getContentSize().equals(label->getContentSize()));
    const float before = label->getContentSize().width;
    label->setString("128.25 mm, 4.5 cm2");
    EXPECT_GT(label->getContentSize().width, before);
    EXPECT_TRUE(box->getContentSize().equals(label->getContentSize()));
    label->setString("");
    EXPECT_TRUE(box->getContentSize().equals(label->getContentSize()));
}

TEST_F(TextNodeTest, DragMovesInParentSpaceAndAnnouncesOnce) {
    EXPECT_FALSE(label->wasDragged());
    Vec2 at = labelCentre();
    input->touchBegan(0, at);
    // Screen steps of (10, 6) are (5, 3) in the parent, which is scaled by 2.
    for (int i = 1; i <= 5; ++i)
        input->touchMoved(0, at + Vec2(10.0f * i, 6.0f * i));
    EXPECT_TRUE(label->wasDragged());
    EXPECT_NEAR(10 + 25, label->getPositionX(), 1e-3);
    EXPECT_NEAR(10 + 15, label->getPositionY(), 1e-3);
    // Five steps in one frame leave one announcement per observer, not five.
    input->advance(0.2f);
    EXPECT_EQ(1, first);
    EXPECT_EQ(1, second);

    // After the touch ends, moves do nothing.
    input->touchEnded(0, at + Vec2(50, 30));
    const Vec2 rest = label->getPosition();
    input->touchMoved(0, at + Vec2(80, 80));
    input->advance(0.2f);
    EXPECT_EQ(rest, label->getPosition());
    EXPECT_EQ(1, first);
}

TEST_F(TextNodeTest, LabelWithoutParentStays) {
    label->retain();
    label->removeFromParent();
    scene->addChild(label);
    const Vec2 at = labelCentre();
    input->touchBegan(0, at);
    scene->removeChild(label, false);
    const Vec2 rest = label->getPosition();
    auto* touch = new cocos2d::Touch();
    touch->setTouchInfoInGL(0, at);
    touch->setTouchInfoInGL(0, at + Vec2(20, 20));
    label->onTouchMoved(touch, nullptr);
    EXPECT_EQ(rest, label->getPosition());
    EXPECT_FALSE(label->wasDragged());
    touch->release();
    input->reset();
    label->release();
}
