// Drawing only on change, headless: which changes draw the next frame (once), what an
// unchanged frame costs, and how long the application loop may sleep.

#include "SceneFixture.h"

#include <cmath>
#include <functional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "cocos2d.h"

using namespace cocos2d;

namespace {

/// A program state that needs no GL program (uniform values are only stored headless).
struct BareProgramState : GLProgramState {
};

/// Asks for `pending` more frames from its own draw, as a node with per-frame work does; also
/// moves its child while drawn, as a lazy layout does.
class BusyNode : public Node {
public:
    static BusyNode* create()
    {
        auto* node = new BusyNode();
        node->init();
        node->autorelease();
        return node;
    }
    void draw(Renderer*, const Mat4&, uint32_t) override
    {
        ++draws;
        if (!getChildren().empty())
            getChildren().at(0)->setPositionX(static_cast<float>(draws));
        if (pending > 0) {
            --pending;
            markContentChanged();
        }
    }
    int pending = 0;
    int draws = 0;
};

} // namespace

class Redraw : public qptest::SceneFixture {
protected:
    void SetUp() override
    {
        SceneFixture::SetUp();
        node = Node::create();
        scene->addChild(node);
        settle();
    }
    unsigned long long drawn() const { return director->getRenderer()->getDrawnFrames(); }
    /// Frames until one draws nothing (the tree has taken in every change).
    void settle()
    {
        for (int i = 0; i < 10; ++i) {
            const auto before = drawn();
            input->frame();
            if (drawn() == before)
                return;
        }
        ADD_FAILURE() << "frames keep drawing without changes";
    }
    /// Frames drawn by the next frame after the change.
    int drawsAfter(const std::function<void()>& change)
    {
        settle();
        change();
        const auto before = drawn();
        input->frame();
        return static_cast<int>(drawn() - before);
    }
    Node* node = nullptr;
};

TEST_F(Redraw, EveryKindOfChangeDrawsTheNextFrameOnceAndNoMore)
{
    Label* label = Label::createWithSystemFont("a", "DejaVu Sans", 12);
    DrawNode* shapes = DrawNode::create();
    Camera* camera = Camera::create();
    node->addChild(label);
    node->addChild(shapes);
    scene->addChild(camera);
    // Held here: frames drain the autorelease pool.
    Node* spare = Node::create();
    Scene* other = Scene::create();
    NullGLView* view = NullGLView::createWithFrameSize("redraw", Size(800, 600));
    for (Ref* held : std::vector<Ref*>{spare, other, view})
        held->retain();
    auto* uniforms = new BareProgramState();
    auto* texture = new Texture2D();
    const unsigned char pixels[4] = {1, 2, 3, 4};

    const std::vector<std::pair<std::string, std::function<void()>>> changes = {
        {"position", [&] { node->setPosition(5, 6); }},
        {"scale", [&] { node->setScale(2); }},
        {"rotation", [&] { node->setRotation(30); }},
        {"hidden", [&] { node->setVisible(false); }},
        {"shown", [&] { node->setVisible(true); }},
        {"colour", [&] { node->setColor(Color3B::RED); }},
        {"opacity", [&] { node->setOpacity(10); }},
        {"content size", [&] { node->setContentSize(Size(3, 4)); }},
        {"local z order", [&] { label->setLocalZOrder(7); }},
        {"global z order", [&] { label->setGlobalZOrder(2); }},
        {"child added", [&] { node->addChild(spare); }},
        {"child removed", [&] { spare->removeFromParent(); }},
        {"label text", [&] { label->setString("b"); }},
        {"drawn shape", [&] { shapes->drawLine(Vec2(0, 0), Vec2(9, 9), Color4F::WHITE); }},
        {"shapes cleared", [&] { shapes->clear(); }},
        {"texture upload", [&] { texture->initWithData(pixels, 4, Texture2D::PixelFormat::RGBA8888, 1, 1, Size(1, 1)); }},
        {"shader uniform", [&] { uniforms->setUniformFloat("u_level", 40.0f); }},
        {"camera projection", [&] { camera->setAdditionalProjection(Mat4::IDENTITY * 2.0f); }},
        {"camera move", [&] { camera->setPosition3D(Vec3(1, 2, 900)); }},
        {"mouse moved", [&] { input->mouseMove(Vec2(10, 10)); }},
        {"key typed", [&] { input->keyTyped(EventKeyboard::KeyCode::KEY_A); }},
        {"window resized", [&] { view->setFrameSize(640, 480); }},
        {"clear colour", [&] { director->setClearColor(Color4F(0.1f, 0.1f, 0.1f, 1)); }},
        {"custom content", [&] { node->markContentChanged(); }},
        {"redraw from a thread", [&] { std::thread([this] { director->markDirty(); }).join(); }},
    };
    for (const auto& change : changes) {
        EXPECT_EQ(1, drawsAfter(change.second)) << change.first;
        const auto before = drawn();
        input->frame();
        EXPECT_EQ(before, drawn()) << "a second frame after " << change.first;
    }

    // Setting what is already there, or changing what is not in a running scene, is no change.
    const std::vector<std::pair<std::string, std::function<void()>>> same = {
        {"same position", [&] { label->setPosition(label->getPosition()); }},
        {"same text", [&] { label->setString(label->getString()); }},
        {"same uniform", [&] { uniforms->setUniformFloat("u_level", 40.0f); }},
        {"same colour", [&] { label->setColor(label->getColor()); }},
        {"node out of the scene", [&] { spare->setPosition(50, 50); }},
    };
    for (const auto& change : same)
        EXPECT_EQ(0, drawsAfter(change.second)) << change.first;
    EXPECT_EQ(1, drawsAfter([&] { director->replaceScene(other); })) << "scene replaced";
    for (Ref* held : std::vector<Ref*>{spare, other, view, uniforms, texture})
        held->release();
}

TEST_F(Redraw, ActionsAndTimersRunOnTimeWhileOnlyChangesDraw)
{
    int fired = 0;
    director->getScheduler()->schedule([&](float) { ++fired; }, this, 0.005f, false, "cine");
    const auto before = drawn();
    input->advance(0.1f);
    EXPECT_NEAR(20, fired, 1) << "a 5 ms timer catches up within each frame";
    EXPECT_EQ(before, drawn()) << "timers that change nothing draw nothing";

    // A move draws every frame it moves in, and nothing once it has arrived.
    node->runAction(MoveBy::create(0.1f, Vec2(60, 0)));
    const auto moving = drawn();
    input->advance(0.2f);
    EXPECT_FLOAT_EQ(60.0f, node->getPositionX());
    EXPECT_GE(drawn() - moving, 6u);
    settle();
}

TEST_F(Redraw, WorkAskedForWhileDrawingGetsTheNextFrameButLazyUpdatesDoNot)
{
    BusyNode* busy = BusyNode::create();
    busy->addChild(Node::create());
    busy->pending = 3;
    node->addChild(busy);
    // The draw that adds it, then one for each pending step; moving the child while drawing
    // is in that same frame already.
    settle();
    EXPECT_EQ(4, busy->draws);
}

TEST_F(Redraw, TheLoopSleepsUntilTheNextTimerOrWorkThatRunsEveryFrame)
{
    settle();
    EXPECT_TRUE(std::isinf(director->getTimeToNextWork())) << "nothing scheduled: only input wakes";

    director->getScheduler()->schedule([](float) {}, this, 1.0f, false, "service");
    input->advance(0.25f);
    EXPECT_NEAR(0.75, director->getTimeToNextWork(), 1e-3);

    node->runAction(MoveBy::create(1.0f, Vec2(1, 0)));
    EXPECT_EQ(0.0, director->getTimeToNextWork()) << "a running action";
    node->stopAllActions();
    node->scheduleUpdate();
    EXPECT_EQ(0.0, director->getTimeToNextWork()) << "an update hook";
    node->pause();
    EXPECT_NEAR(0.75, director->getTimeToNextWork(), 1e-3) << "a paused hook";
    node->resume();
    node->unscheduleUpdate();

    director->getScheduler()->performFunctionInCocosThread([] {});
    EXPECT_EQ(0.0, director->getTimeToNextWork()) << "a function queued for the main thread";
    input->frame();
    node->setPositionY(3);
    EXPECT_EQ(0.0, director->getTimeToNextWork()) << "a change to draw";
    director->getScheduler()->unscheduleAllForTarget(this);
}

TEST_F(Redraw, WorkArrivingAfterFramesThatDrewNothingIsDueAtOnceButDrawsStayAnIntervalApart)
{
    const double interval = director->getAnimationInterval();
    node->setPositionX(1);
    input->frame(0.5f);
    const double drew = director->now();
    input->frame(static_cast<float>(interval)); // a tick that draws nothing
    const double tick = director->now();

    node->setPositionX(2);
    EXPECT_DOUBLE_EQ(drew + interval, director->getNextFrameTime(tick)) << "counted from the frame that drew";
    input->frame(0.001f);
    const double early = director->now();
    node->setPositionX(3);
    EXPECT_DOUBLE_EQ(early + interval, director->getNextFrameTime(early));
    input->frame(static_cast<float>(interval));
    input->frame(static_cast<float>(interval));
    const double idle = director->now();

    director->getScheduler()->performFunctionInCocosThread([] {});
    EXPECT_DOUBLE_EQ(early + 2 * interval, director->getNextFrameTime(idle)) << "work queued for the main thread";
    input->frame(0.001f);

    // A frame that draws what its own timer changed counts as drawn.
    director->getScheduler()->schedule([&](float) { node->setPositionX(5); }, this, 0.0f, 0u, 0.0f, false, "move");
    input->frame(static_cast<float>(interval));
    const double timed = director->now();
    node->setPositionX(6);
    EXPECT_DOUBLE_EQ(timed + interval, director->getNextFrameTime(timed));

    // A change a stopped director cannot draw takes its slot all the same: no busy loop.
    director->stopAnimation();
    node->setPositionX(4);
    input->frame(static_cast<float>(interval));
    const double stopped = director->now();
    EXPECT_DOUBLE_EQ(stopped + interval, director->getNextFrameTime(stopped));
    director->startAnimation();
}

TEST_F(Redraw, AnotherThreadsWorkEndsTheWait)
{
    // No window: the wait is the director's own, and a queued function ends it.
    bool ran = false;
    std::thread worker([&] {
        director->getScheduler()->performFunctionInCocosThread([&] { ran = true; });
    });
    while (director->getScheduler()->getPendingFunctionCount() == 0)
        director->waitForWork(3600.0);
    worker.join();
    input->frame();
    EXPECT_TRUE(ran);
}

TEST_F(Redraw, PostedWorkRunsAtOnceAndIsDrawnWhenTheFrameIsDue)
{
    const double interval = director->getAnimationInterval();
    node->setPositionX(1);
    input->frame(0.5f);
    const double drew = director->now();
    director->markWorkPosted();
    EXPECT_GT(director->getNextFrameTime(drew), drew) << "the main thread's own posts wait";

    std::thread([&] { director->markWorkPosted(); }).join();
    director->waitForWork(3600.0); // ended by the post
    EXPECT_DOUBLE_EQ(drew, director->getNextFrameTime(drew));
    const auto before = drawn();
    director->getScheduler()->schedule([&](float) { node->setPositionX(2); }, this, 0.0f, 0u, 0.0f, false, "post");
    input->frame(0.001f);
    EXPECT_EQ(before, drawn()) << "too soon after the last drawn frame";
    EXPECT_DOUBLE_EQ(drew + interval, director->getNextFrameTime(director->now()));
    std::thread([&] { director->markWorkPosted(); }).join();
    EXPECT_DOUBLE_EQ(drew + interval, director->getNextFrameTime(director->now())) << "one early frame a slot";
    input->frame(static_cast<float>(interval));
    EXPECT_EQ(before + 1, drawn());
}

TEST_F(Redraw, TheFrameTimeLeavesOutTheTimeSpentWaitingForWork)
{
    // A clock that moves half a second each time it is read while the loop waits.
    double now = 100.0;
    bool waiting = false;
    director->setClock([&] { return waiting ? (now += 0.5) : now; });
    director->wakeUp(); // the wait ends at once: only the clock says how long it took
    waiting = true;
    director->waitForWork(1.0);
    waiting = false;
    director->mainLoop(0.6f);
    EXPECT_NEAR(0.1f, director->getFrameTime(), 1e-4f) << "slow frames are judged by work, not by idling";
    EXPECT_FLOAT_EQ(0.6f, director->getDeltaTime()) << "timers still get the whole step";
    director->mainLoop(0.25f);
    EXPECT_FLOAT_EQ(0.25f, director->getFrameTime());
    input->useTestClock(1000.0); // the clock above reads this test's locals
}

namespace {

/// A headless application whose only work is a timer that ends it after three ticks.
class IdleApp : public Application {
public:
    bool applicationDidFinishLaunching() override
    {
        Director* director = Director::getInstance();
        director->runWithScene(Scene::create());
        director->getScheduler()->schedule(
            [this](float) {
                if (++ticks == 3)
                    Director::getInstance()->end();
            },
            this, 0.05f, false, "tick");
        return true;
    }
    void applicationDidEnterBackground() override {}
    void applicationWillEnterForeground() override {}
    int ticks = 0;
};

} // namespace

TEST_F(Redraw, AnIdleApplicationDrawsItsFirstFrameAndThenOnlyWaitsForItsTimer)
{
    director->reset();
    director->setClock(nullptr);
    const auto before = drawn();
    IdleApp app;
    EXPECT_EQ(0, app.run());
    EXPECT_EQ(3, app.ticks);
    EXPECT_EQ(1u, drawn() - before);
}
