// Actions: values at the right times, composition, and safety when nodes go away.

#include "SceneFixture.h"

#include <string>
#include <vector>

#include "2d/ActionManager.h"
#include "2d/Node.h"
#include "2d/actions/ActionEase.h"
#include "2d/actions/CallFunc.h"
#include "2d/actions/DelayTime.h"
#include "2d/actions/FadeTo.h"
#include "2d/actions/MoveBy.h"
#include "2d/actions/MoveTo.h"
#include "2d/actions/RepeatForever.h"
#include "2d/actions/RotateBy.h"
#include "2d/actions/ScaleTo.h"
#include "2d/actions/Sequence.h"
#include "2d/actions/Show.h"
#include "2d/actions/Spawn.h"

using namespace cocos2d;

class Actions : public qptest::SceneFixture {
protected:
    void SetUp() override
    {
        SceneFixture::SetUp();
        node = Node::create();
        scene->addChild(node);
    }
    /// The first frame after runAction starts the action; time counts from there.
    void start(Action* action)
    {
        node->runAction(action);
        input->frame(0.1f);
    }
    Node* node = nullptr;
};

TEST_F(Actions, MoveByAndMoveToReachTheirEndAtTheirDuration)
{
    node->setPosition(100, 100);
    start(MoveBy::create(0.3f, Vec2(30, -60)));
    input->frame(0.1f);
    EXPECT_NEAR(node->getPositionX(), 110.0f, 1e-3f);
    EXPECT_NEAR(node->getPositionY(), 80.0f, 1e-3f);
    input->advance(0.2f, 0.1f);
    EXPECT_NEAR(node->getPositionX(), 130.0f, 1e-3f);
    EXPECT_NEAR(node->getPositionY(), 40.0f, 1e-3f);
    EXPECT_EQ(node->getNumberOfRunningActions(), 0);

    node->setPositionZ(7);
    start(MoveTo::create(0.2f, Vec2(0, 0)));
    input->advance(1.0f, 0.1f); // long past the end: stays at the end
    EXPECT_EQ(node->getPosition(), Vec2(0, 0));
    EXPECT_EQ(node->getPositionZ(), 7.0f); // a 2D move leaves depth alone
}

TEST_F(Actions, MovesMadeMeanwhileAreKept)
{
    start(MoveBy::create(1.0f, Vec2(100, 0)));
    input->frame(0.5f);
    node->setPositionY(20); // moved by someone else half way
    input->frame(0.5f);
    EXPECT_NEAR(node->getPositionX(), 100.0f, 1e-3f);
    EXPECT_NEAR(node->getPositionY(), 20.0f, 1e-3f);
}

TEST_F(Actions, SequenceRunsInOrderAndCallsBackWhenReached)
{
    std::vector<std::string> log;
    start(Sequence::create(MoveBy::create(0.2f, Vec2(10, 0)),
                           CallFunc::create([&] { log.push_back("moved x=" + std::to_string(int(node->getPositionX()))); }),
                           DelayTime::create(0.3f), Hide::create(),
                           CallFunc::create([&] { log.push_back("hidden"); }), nullptr));
    input->frame(0.1f);
    EXPECT_TRUE(log.empty());
    input->frame(0.1f);
    EXPECT_EQ(log, (std::vector<std::string>{"moved x=10"}));
    input->frame(0.2f);
    EXPECT_TRUE(node->isVisible());
    input->frame(0.1f);
    EXPECT_FALSE(node->isVisible());
    EXPECT_EQ(log.back(), "hidden");
    EXPECT_EQ(node->getNumberOfRunningActions(), 0);
}

TEST_F(Actions, OneLongFrameFinishesEverythingInOrder)
{
    std::vector<int> order;
    start(Sequence::create(CallFunc::create([&] { order.push_back(1); }), DelayTime::create(0.2f),
                           CallFunc::create([&] { order.push_back(2); }), MoveTo::create(0.2f, Vec2(50, 50)),
                           CallFunc::create([&] { order.push_back(3); }), nullptr));
    EXPECT_EQ(order, (std::vector<int>{1}));
    input->frame(5.0f);
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(node->getPosition(), Vec2(50, 50));
}

TEST_F(Actions, SpawnRunsTogetherAndLastsAsLongAsItsLongestPart)
{
    start(Spawn::create(ScaleTo::create(0.2f, 2.0f), FadeOut::create(0.4f), nullptr));
    input->frame(0.2f);
    EXPECT_FLOAT_EQ(node->getScale(), 2.0f);
    EXPECT_EQ(node->getOpacity(), 128);
    EXPECT_EQ(node->getNumberOfRunningActions(), 1);
    input->frame(0.2f);
    EXPECT_EQ(node->getOpacity(), 0);
    EXPECT_EQ(node->getNumberOfRunningActions(), 0);

    start(FadeTo::create(0.1f, 200));
    input->frame(0.1f);
    EXPECT_EQ(node->getOpacity(), 200);
    start(FadeIn::create(0.1f));
    input->frame(0.1f);
    EXPECT_EQ(node->getOpacity(), 255);
}

TEST_F(Actions, RotateByTurnsInThePlaneAndInThreeDimensions)
{
    node->setRotation(10);
    start(RotateBy::create(0.5f, 90));
    input->frame(0.5f);
    EXPECT_NEAR(node->getRotation(), 100.0f, 1e-3f);
    start(RotateBy::create(0.5f, Vec3(0, 180, 0)));
    input->frame(0.25f);
    EXPECT_NEAR(node->getRotation3D().y, 90.0f, 1e-3f);
    input->frame(0.25f);
    EXPECT_NEAR(node->getRotation3D().y, 180.0f, 1e-3f);
}

TEST_F(Actions, RepeatForeverCarriesLeftoverTimeIntoTheNextRound)
{
    int rounds = 0;
    start(RepeatForever::create(
        Sequence::create(MoveBy::create(1.0f, Vec2(10, 0)), CallFunc::create([&] { ++rounds; }), nullptr)));
    input->frame(1.25f);
    EXPECT_EQ(rounds, 1);
    EXPECT_NEAR(node->getPositionX(), 12.5f, 1e-3f);
    input->frame(0.75f);
    EXPECT_EQ(rounds, 2);
    EXPECT_NEAR(node->getPositionX(), 20.0f, 1e-3f);
    EXPECT_EQ(node->getNumberOfRunningActions(), 1);
}

TEST_F(Actions, CubicEasesBendTheMiddleButKeepTheEnds)
{
    auto run = [&](ActionInterval* eased) {
        node->setPosition(0, 0);
        start(eased);
        input->frame(0.5f);
        const float middle = node->getPositionX();
        input->frame(0.5f);
        EXPECT_NEAR(node->getPositionX(), 100.0f, 1e-3f);
        return middle;
    };
    EXPECT_NEAR(run(EaseCubicActionIn::create(MoveBy::create(1.0f, Vec2(100, 0)))), 12.5f, 1e-3f);
    EXPECT_NEAR(run(EaseCubicActionOut::create(MoveBy::create(1.0f, Vec2(100, 0)))), 87.5f, 1e-3f);
    EXPECT_NEAR(run(EaseCubicActionInOut::create(MoveBy::create(1.0f, Vec2(100, 0)))), 50.0f, 1e-3f);
}

TEST_F(Actions, WaitWhileTheNodeIsOutOfTheTreeAndStopWithCleanup)
{
    node->retain();
    node->removeFromParentAndCleanup(false);
    node->setPosition(0, 0);
    node->runAction(MoveBy::create(0.2f, Vec2(20, 0)));
    input->advance(0.5f, 0.1f);
    EXPECT_EQ(node->getPositionX(), 0.0f);
    scene->addChild(node);
    input->advance(0.3f, 0.1f);
    EXPECT_NEAR(node->getPositionX(), 20.0f, 1e-3f);

    node->runAction(MoveBy::create(1.0f, Vec2(20, 0)));
    node->removeFromParent(); // cleanup stops it
    EXPECT_EQ(node->getNumberOfRunningActions(), 0);
    node->release();
}

TEST_F(Actions, AnActionMayRemoveItsOwnNode)
{
    bool after = false;
    Node* self = node;
    node->runAction(Sequence::create(CallFunc::create([self] { self->removeFromParent(); }),
                                     CallFunc::create([&] { after = true; }), nullptr));
    node = nullptr;
    input->advance(0.3f, 0.1f);
    EXPECT_FALSE(after); // the rest of the sequence went with the node
    EXPECT_EQ(scene->getChildrenCount(), 1); // only the default camera is left
}

TEST_F(Actions, TagsFindAndStopActions)
{
    Action* a = MoveBy::create(1.0f, Vec2(1, 0));
    a->setTag(5);
    node->runAction(a);
    node->runAction(DelayTime::create(1.0f));
    EXPECT_EQ(node->getActionByTag(5), a);
    node->stopActionByTag(5);
    EXPECT_EQ(node->getActionByTag(5), nullptr);
    EXPECT_EQ(node->getNumberOfRunningActions(), 1);
    node->stopAllActions();
    EXPECT_EQ(director->getActionManager()->getNumberOfRunningActions(), 0);
}

TEST_F(Actions, InstantActionsActOnTheirTarget)
{
    Node* seen = nullptr;
    node->setVisible(false);
    start(Sequence::create(Show::create(), CallFuncN::create([&](Node* target) { seen = target; }), nullptr));
    EXPECT_TRUE(node->isVisible());
    EXPECT_EQ(seen, node);

    start(ScaleTo::create(0.1f, 2.0f, 3.0f, 4.0f));
    input->frame(0.1f);
    EXPECT_FLOAT_EQ(node->getScaleX(), 2.0f);
    EXPECT_FLOAT_EQ(node->getScaleY(), 3.0f);
    EXPECT_FLOAT_EQ(node->getScaleZ(), 4.0f);
    EXPECT_EQ(Sequence::create(nullptr), nullptr); // nothing to run
    EXPECT_EQ(RepeatForever::create(nullptr), nullptr);
}
