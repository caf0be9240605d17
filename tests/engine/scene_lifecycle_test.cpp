// Enter/exit/cleanup order, the director's scene stack, node scheduling and the message node.

#include "SceneFixture.h"

#include <string>
#include <vector>

#include "2d/Node.h"
#include "2d/Scene.h"
#include "2d/TransitionMoveInL.h"
#include "base/EventKeyboard.h"
#include "base/Scheduler.h"

using namespace cocos2d;

namespace {

std::vector<std::string> g_log;

class Recorder : public Node {
public:
    static Recorder* create(const std::string& name)
    {
        auto* r = new Recorder();
        r->_label = name;
        r->init();
        r->autorelease();
        return r;
    }
    void onEnter() override
    {
        g_log.push_back(_label + ".enter");
        Node::onEnter();
    }
    void onEnterTransitionDidFinish() override
    {
        g_log.push_back(_label + ".finish");
        Node::onEnterTransitionDidFinish();
    }
    void onExit() override
    {
        g_log.push_back(_label + ".exit");
        Node::onExit();
    }
    void cleanup() override
    {
        g_log.push_back(_label + ".cleanup");
        Node::cleanup();
    }
    bool onResponseReturn() override
    {
        g_log.push_back(_label + ".return");
        return consumeReturn;
    }
    bool consumeReturn = true;

private:
    std::string _label;
};

class RecordingScene : public Scene {
public:
    static RecordingScene* create(const std::string& name)
    {
        auto* s = new RecordingScene();
        s->_label = name;
        s->init();
        s->autorelease();
        return s;
    }
    void onEnter() override
    {
        g_log.push_back(_label + ".enter");
        Scene::onEnter();
    }
    void onExit() override
    {
        g_log.push_back(_label + ".exit");
        Scene::onExit();
    }
    void cleanup() override
    {
        g_log.push_back(_label + ".cleanup");
        Scene::cleanup();
    }

private:
    std::string _label;
};

} // namespace

class Lifecycle : public qptest::SceneFixture {
protected:
    void SetUp() override
    {
        SceneFixture::SetUp();
        g_log.clear();
    }
};

TEST_F(Lifecycle, ChildAddedToARunningParentEntersAndFinishes)
{
    Recorder* parent = Recorder::create("p");
    parent->addChild(Recorder::create("c"));
    scene->addChild(parent);
    EXPECT_EQ(g_log, (std::vector<std::string>{"p.enter", "c.enter", "p.finish", "c.finish"}));
    EXPECT_TRUE(parent->isRunning());
    EXPECT_TRUE(parent->getChildren().at(0)->isRunning());

    g_log.clear();
    parent->removeFromParent();
    EXPECT_EQ(g_log, (std::vector<std::string>{"p.exit", "c.exit", "p.cleanup", "c.cleanup"}));
    EXPECT_FALSE(parent->isRunning());
}

TEST_F(Lifecycle, CleanupTwiceIsHarmlessAndStopsTimersBelow)
{
    Recorder* parent = Recorder::create("p");
    Recorder* child = Recorder::create("c");
    parent->addChild(child);
    scene->addChild(parent);
    int ticks = 0;
    child->schedule([&](float) { ++ticks; }, 0.1f, "tick");
    input->advance(0.25f, 0.05f);
    EXPECT_GT(ticks, 0);
    parent->cleanup();
    parent->cleanup();
    const int after = ticks;
    input->advance(0.5f, 0.05f);
    EXPECT_EQ(ticks, after);
    EXPECT_FALSE(child->isScheduled("tick"));
}

TEST_F(Lifecycle, RemovingWithoutCleanupKeepsTimersForLater)
{
    Node* node = Node::create();
    node->retain();
    scene->addChild(node);
    int ticks = 0;
    node->schedule([&](float) { ++ticks; }, 0.0f, "t");
    input->frame();
    const int running = ticks;
    node->removeFromParentAndCleanup(false);
    input->advance(0.1f);
    EXPECT_EQ(ticks, running); // paused while out of the tree
    scene->addChild(node);
    input->frame();
    EXPECT_GT(ticks, running);
    node->removeFromParent();
    node->release();
}

TEST_F(Lifecycle, TimersOfANodeNotYetRunningWaitUntilItEnters)
{
    Node* node = Node::create();
    node->retain();
    int ticks = 0;
    node->scheduleOnce([&](float) { ++ticks; }, 0.0f, "once");
    input->advance(0.1f);
    EXPECT_EQ(ticks, 0);
    scene->addChild(node);
    input->advance(0.1f);
    EXPECT_EQ(ticks, 1);
    node->release();
}

TEST_F(Lifecycle, ShortTimersCatchUpWithinOneFrame)
{
    Node* node = Node::create();
    scene->addChild(node);
    int ticks = 0;
    node->schedule([&](float) { ++ticks; }, 0.005f, "cine");
    input->advance(1.0f, 1.0f / 60.0f);
    // 1 s at 0.005 s a tick: about 200, that is about three per 1/60 s frame.
    EXPECT_GE(ticks, 195);
    EXPECT_LE(ticks, 201);
}

TEST_F(Lifecycle, PushPopAndReplaceEnterAndExitTheRightScenes)
{
    RecordingScene* a = RecordingScene::create("a");
    RecordingScene* b = RecordingScene::create("b");
    b->retain(); // kept across the frames below before it is pushed
    director->replaceScene(a);
    input->frame();
    g_log.clear();

    director->pushScene(b);
    EXPECT_EQ(director->getRunningScene(), a); // takes effect with the next frame
    input->frame();
    EXPECT_EQ(director->getRunningScene(), b);
    EXPECT_EQ(g_log, (std::vector<std::string>{"a.exit", "b.enter"}));

    g_log.clear();
    director->popScene();
    input->frame();
    EXPECT_EQ(director->getRunningScene(), a);
    EXPECT_EQ(g_log, (std::vector<std::string>{"b.exit", "b.cleanup", "a.enter"}));

    g_log.clear();
    RecordingScene* c = RecordingScene::create("c");
    director->replaceScene(c);
    input->frame();
    EXPECT_EQ(g_log, (std::vector<std::string>{"a.exit", "a.cleanup", "c.enter"}));
    EXPECT_EQ(director->getSceneStackSize(), 1u);
    b->release();
}

TEST_F(Lifecycle, TransitionsShowTheIncomingSceneAtOnceInPlace)
{
    Scene* next = Scene::create();
    director->pushScene(TransitionMoveInL::create(0.5f, next));
    input->frame();
    EXPECT_EQ(director->getRunningScene(), next);
    EXPECT_EQ(next->getPosition(), Vec2::ZERO);
    EXPECT_TRUE(next->isRunning());
}

TEST_F(Lifecycle, MessageNodeHidesAfterItsTimeAndNewCallsRestartTheTimer)
{
    Node* toast = Node::create();
    scene->addChild(toast);
    toast->setVisible(false);
    scene->setMessageNode(toast, 1.0f);
    EXPECT_TRUE(toast->isVisible());
    input->advance(0.8f, 0.1f);
    scene->setMessageNode(toast, 1.0f); // a second toast before the first one ends
    input->advance(0.8f, 0.1f);
    EXPECT_TRUE(toast->isVisible());
    input->advance(0.3f, 0.1f);
    EXPECT_FALSE(toast->isVisible());

    // The node may leave the tree before its time is up.
    Node* gone = Node::create();
    scene->addChild(gone);
    scene->setMessageNode(gone, 0.5f);
    gone->removeFromParent();
    input->advance(1.0f, 0.1f);
    EXPECT_EQ(scene->getMessageNode(), nullptr);
}

TEST_F(Lifecycle, ReturnKeyReachesTheTopmostEnabledNodeFirst)
{
    Recorder* below = Recorder::create("below");
    Recorder* above = Recorder::create("above");
    scene->addChild(below, 1);
    scene->addChild(above, 2);
    below->enableAndroidReturnKey();
    above->enableAndroidReturnKey();
    g_log.clear();
    input->keyTyped(EventKeyboard::KeyCode::KEY_ESCAPE);
    EXPECT_EQ(g_log, (std::vector<std::string>{"above.return"}));

    g_log.clear();
    above->consumeReturn = false;
    input->keyTyped(EventKeyboard::KeyCode::KEY_ESCAPE);
    EXPECT_EQ(g_log, (std::vector<std::string>{"above.return", "below.return"}));

    above->removeFromParent(); // gone: its listener goes with it
    g_log.clear();
    input->keyTyped(EventKeyboard::KeyCode::KEY_A);
    input->keyTyped(EventKeyboard::KeyCode::KEY_ESCAPE);
    EXPECT_EQ(g_log, (std::vector<std::string>{"below.return"}));
}

TEST_F(Lifecycle, PoppingToTheRootAndPastTheLastScene)
{
    RecordingScene* a = RecordingScene::create("a");
    RecordingScene* b = RecordingScene::create("b");
    RecordingScene* c = RecordingScene::create("c");
    director->replaceScene(a);
    director->pushScene(b); // pushed in the frame they were made in, as screens do
    director->pushScene(c);
    input->frame();
    EXPECT_EQ(director->getRunningScene(), c); // only the last one pushed is shown
    EXPECT_EQ(director->getSceneStackSize(), 3u);
    g_log.clear();
    director->popToRootScene();
    input->frame();
    EXPECT_EQ(director->getRunningScene(), a);
    EXPECT_EQ(director->getSceneStackSize(), 1u);
    // b never ran and is cleaned up as it goes; c leaves as the running scene.
    EXPECT_EQ(g_log, (std::vector<std::string>{"b.cleanup", "c.exit", "c.cleanup", "a.enter"}));

    EXPECT_FALSE(director->isEnding());
    director->popScene();
    EXPECT_TRUE(director->isEnding()); // nothing left to show
    director->popScene();              // and nothing more to pop: no crash
}

TEST_F(Lifecycle, RunWithSceneTwiceReplacesAndNullScenesAreRefused)
{
    Scene* other = Scene::create();
    director->runWithScene(other); // a scene already runs: taken as a replacement
    input->frame();
    EXPECT_EQ(director->getRunningScene(), other);
    EXPECT_EQ(director->getSceneStackSize(), 1u);
    director->pushScene(nullptr);
    director->replaceScene(nullptr);
    input->frame();
    EXPECT_EQ(director->getRunningScene(), other);
}

TEST_F(Lifecycle, AScenesReturnKeyGoesBackToTheSceneBeneathButNeverPastTheFirst)
{
    Scene* pushed = Scene::create();
    director->pushScene(pushed);
    input->frame();
    ASSERT_EQ(director->getRunningScene(), pushed);
    pushed->enableAndroidReturnKey();
    scene->enableAndroidReturnKey();
    input->keyTyped(EventKeyboard::KeyCode::KEY_ESCAPE);
    input->frame();
    EXPECT_EQ(director->getRunningScene(), scene);
    input->keyTyped(EventKeyboard::KeyCode::KEY_ESCAPE);
    input->frame();
    EXPECT_EQ(director->getRunningScene(), scene);
    EXPECT_EQ(director->getSceneStackSize(), 1u);
}

TEST_F(Lifecycle, ABackButtonAndTheReturnKeyInOneFrameGoBackOneScene)
{
    Scene* middle = Scene::create();
    director->pushScene(middle);
    input->frame();
    for (bool buttonFirst : {true, false}) {
        Scene* top = Scene::create();
        director->pushScene(top);
        input->frame();
        top->enableAndroidReturnKey();
        // The back button pops the scene as the screens' buttons do; the running scene changes
        // only with the next frame, so the key still reaches the scene popped.
        if (buttonFirst) {
            EXPECT_TRUE(director->popSceneIfOnTop(top));
        }
        input->keyTyped(EventKeyboard::KeyCode::KEY_ESCAPE);
        if (!buttonFirst) {
            EXPECT_FALSE(director->popSceneIfOnTop(top));
        }
        input->frame();
        EXPECT_EQ(director->getRunningScene(), middle) << (buttonFirst ? "button first" : "key first");
        EXPECT_EQ(director->getSceneStackSize(), 2u);
    }
}
