// Touch, mouse, keyboard, custom and text input through the dispatcher.

#include "SceneFixture.h"

#include <ctime>
#include <string>
#include <vector>

#include "2d/Camera.h"
#include "2d/Layer.h"
#include "2d/Node.h"
#include "base/EventCustom.h"
#include "base/EventDispatcher.h"
#include "base/EventListenerCustom.h"
#include "base/EventListenerKeyboard.h"
#include "base/EventListenerMouse.h"
#include "base/EventListenerTouchAllAtOnce.h"
#include "base/EventListenerTouchOneByOne.h"
#include "base/EventMouse.h"
#include "base/IMEDelegate.h"
#include "base/IMEDispatcher.h"
#include "base/Touch.h"

using namespace cocos2d;

namespace {

std::vector<std::string> g_log;

/// A one-by-one layer that claims touches inside its rectangle and logs what it gets.
class TouchLayer : public Layer {
public:
    static TouchLayer* create(const std::string& name, const Rect& area, bool swallow)
    {
        auto* l = new TouchLayer();
        l->init();
        l->autorelease();
        l->_name2 = name;
        l->setContentSize(area.size);
        l->setPosition(area.origin);
        l->setTouchMode(Touch::DispatchMode::ONE_BY_ONE);
        l->setSwallowsTouches(swallow);
        l->setTouchEnabled(true);
        return l;
    }
    bool onTouchBegan(Touch* touch, Event*) override
    {
        const Vec2 p = convertTouchToNodeSpace(touch);
        const bool inside = p.x > 0 && p.y > 0 && p.x < _contentSize.width && p.y < _contentSize.height;
        g_log.push_back(_name2 + (inside ? ".began" : ".miss"));
        return inside;
    }
    void onTouchMoved(Touch*, Event*) override { g_log.push_back(_name2 + ".moved"); }
    void onTouchEnded(Touch*, Event*) override { g_log.push_back(_name2 + ".ended"); }

private:
    std::string _name2;
};

EventListenerTouchAllAtOnce* logAllAtOnce(Node* node, const std::string& name)
{
    auto* listener = EventListenerTouchAllAtOnce::create();
    listener->onTouchesBegan = [name](const std::vector<Touch*>& touches, Event*) {
        g_log.push_back(name + ".all" + std::to_string(touches.size()));
    };
    listener->onTouchesEnded = [name](const std::vector<Touch*>&, Event*) { g_log.push_back(name + ".allEnded"); };
    node->getEventDispatcher()->addEventListenerWithSceneGraphPriority(listener, node);
    return listener;
}

class TextBox : public IMEDelegate {
public:
    bool canAttachWithIME() override { return true; }
    bool canDetachWithIME() override { return true; }
    void insertText(const char* text, size_t len) override { content.append(text, len); }
    void deleteBackward() override
    {
        if (!content.empty())
            content.pop_back();
    }
    const std::string& getContentText() override { return content; }
    std::string content;
};

} // namespace

class Dispatch : public qptest::SceneFixture {
protected:
    void SetUp() override
    {
        SceneFixture::SetUp();
        g_log.clear();
    }
};

TEST_F(Dispatch, TopmostLayerClaimsFirstAndSwallowsFromThoseBelow)
{
    scene->addChild(TouchLayer::create("low", Rect(0, 0, 400, 400), true), 1);
    scene->addChild(TouchLayer::create("high", Rect(100, 100, 100, 100), true), 2);
    logAllAtOnce(scene, "scene");

    input->touchBegan(1, Vec2(150, 150)); // inside both: the higher one claims it
    input->touchMoved(1, Vec2(160, 160));
    input->touchEnded(1, Vec2(160, 160));
    EXPECT_EQ(g_log, (std::vector<std::string>{"high.began", "high.moved", "high.ended"}));

    g_log.clear();
    input->touchBegan(2, Vec2(50, 50)); // outside the higher one
    input->touchEnded(2, Vec2(50, 50));
    EXPECT_EQ(g_log, (std::vector<std::string>{"high.miss", "low.began", "low.ended"}));

    g_log.clear();
    input->touchBegan(3, Vec2(700, 500)); // claimed by no one: the all-at-once listener gets it
    EXPECT_EQ(g_log, (std::vector<std::string>{"high.miss", "low.miss", "scene.all1"}));
}

TEST_F(Dispatch, NonSwallowingClaimLetsTheTouchGoOn)
{
    scene->addChild(TouchLayer::create("low", Rect(0, 0, 400, 400), true), 1);
    scene->addChild(TouchLayer::create("high", Rect(0, 0, 400, 400), false), 2);
    logAllAtOnce(scene, "scene");
    input->touchesBegan({1, 2}, {Vec2(10, 10), Vec2(20, 20)});
    // Each touch separately: high claims and passes on, low claims and swallows.
    EXPECT_EQ(g_log, (std::vector<std::string>{"high.began", "low.began", "high.began", "low.began"}));
    g_log.clear();
    input->touchesEnded({1, 2}, {Vec2(10, 10), Vec2(20, 20)});
    EXPECT_EQ(g_log, (std::vector<std::string>{"high.ended", "low.ended", "high.ended", "low.ended"}));
    EXPECT_EQ(input->getActiveTouchCount(), 0u);
}

TEST_F(Dispatch, GlobalZOrderAndHiddenOrDetachedNodes)
{
    TouchLayer* a = TouchLayer::create("a", Rect(0, 0, 400, 400), true);
    TouchLayer* b = TouchLayer::create("b", Rect(0, 0, 400, 400), true);
    scene->addChild(a, 5);
    scene->addChild(b, 1);
    b->setGlobalZOrder(10); // drawn last, so touched first
    input->touchBegan(1, Vec2(10, 10));
    input->touchEnded(1, Vec2(10, 10));
    EXPECT_EQ(g_log.front(), "b.began");

    g_log.clear();
    b->retain();
    b->removeFromParentAndCleanup(false); // out of the tree: its listener pauses
    input->touchBegan(1, Vec2(10, 10));
    input->touchEnded(1, Vec2(10, 10));
    EXPECT_EQ(g_log, (std::vector<std::string>{"a.began", "a.ended"}));
    b->release();
}

TEST_F(Dispatch, EveryCameraGetsItsOwnPassWithTheVisitingCameraSet)
{
    Camera* second = Camera::create();
    second->setCameraFlag(static_cast<unsigned short>(2));
    scene->addChild(second);

    std::vector<int> seen;
    auto record = [&](Node* node) {
        auto* listener = EventListenerMouse::create();
        listener->onMouseDown = [&, node](EventMouse*) {
            const Camera* c = Camera::getVisitingCamera();
            seen.push_back(c ? static_cast<int>(c->getCameraFlag()) : 0);
            EXPECT_TRUE(c && node->hasCameraFlag(static_cast<unsigned short>(c->getCameraFlag())));
        };
        node->getEventDispatcher()->addEventListenerWithSceneGraphPriority(listener, node);
    };
    Node* onDefault = Node::create();
    Node* onSecond = Node::create();
    onSecond->removeCameraMask(1);
    onSecond->setCameraMask(2);
    Node* onBoth = Node::create();
    onBoth->setCameraMask(2);
    Node* onNone = Node::create();
    onNone->removeCameraMask(1);
    for (Node* n : {onDefault, onSecond, onBoth, onNone}) {
        scene->addChild(n);
        record(n);
    }
    input->mouseDown(Vec2(5, 5), 1);
    // The later camera first; a node on both cameras is called once, in the first pass that sees it.
    EXPECT_EQ(seen, (std::vector<int>{2, 2, 1}));
    EXPECT_EQ(Camera::getVisitingCamera(), nullptr);
}

TEST_F(Dispatch, LeftButtonArrivesAsTouchZeroBeforeTheMouseEvent)
{
    Node* node = Node::create();
    scene->addChild(node);
    auto* touch = EventListenerTouchOneByOne::create();
    touch->onTouchBegan = [](Touch* t, Event*) {
        g_log.push_back("touch.began" + std::to_string(t->getID()));
        return true;
    };
    touch->onTouchMoved = [](Touch* t, Event*) { g_log.push_back("touch.moved" + std::to_string(t->getID())); };
    touch->onTouchEnded = [](Touch*, Event*) { g_log.push_back("touch.ended"); };
    node->getEventDispatcher()->addEventListenerWithSceneGraphPriority(touch, node);
    auto* mouse = EventListenerMouse::create();
    Vec2 previous;
    int button = -5;
    mouse->onMouseDown = [&](EventMouse* e) {
        g_log.push_back("mouse.down");
        button = e->getMouseButton();
    };
    mouse->onMouseMove = [&](EventMouse* e) {
        g_log.push_back("mouse.move");
        previous = e->getPreviousLocationInView();
    };
    mouse->onMouseUp = [](EventMouse*) { g_log.push_back("mouse.up"); };
    node->getEventDispatcher()->addEventListenerWithSceneGraphPriority(mouse, node);

    input->mouseMove(Vec2(10, 10));
    input->mouseDown(Vec2(10, 10), 0);
    input->mouseMove(Vec2(30, 40));
    input->mouseUp(Vec2(30, 40), 0);
    EXPECT_EQ(g_log, (std::vector<std::string>{"mouse.move", "touch.began0", "mouse.down", "touch.moved0", "mouse.move",
                                               "touch.ended", "mouse.up"}));
    EXPECT_EQ(button, 0);
    EXPECT_EQ(previous, Vec2(10, 10));

    g_log.clear();
    input->mouseDown(Vec2(10, 10), 1); // the right button is no touch
    input->mouseUp(Vec2(10, 10), 1);
    EXPECT_EQ(g_log, (std::vector<std::string>{"mouse.down", "mouse.up"}));
}

TEST_F(Dispatch, StopPropagationAndFixedPriorities)
{
    EventDispatcher* dispatcher = director->getEventDispatcher();
    auto add = [&](int priority, const std::string& name, bool stop) {
        auto* l = EventListenerKeyboard::create();
        l->onKeyPressed = [name, stop](EventKeyboard::KeyCode, Event* e) {
            g_log.push_back(name);
            if (stop)
                e->stopPropagation();
        };
        dispatcher->addEventListenerWithFixedPriority(l, priority);
        return l;
    };
    add(5, "late", false);
    add(-5, "early", false);
    Node* node = Node::create();
    scene->addChild(node);
    auto* bound = EventListenerKeyboard::create();
    bound->onKeyPressed = [](EventKeyboard::KeyCode, Event* e) {
        g_log.push_back(e->getCurrentTarget() ? "node" : "no-target");
    };
    dispatcher->addEventListenerWithSceneGraphPriority(bound, node);
    input->keyPressed(EventKeyboard::KeyCode::KEY_A);
    EXPECT_EQ(g_log, (std::vector<std::string>{"early", "node", "late"}));

    g_log.clear();
    auto* stopper = add(-10, "stopper", true);
    input->keyPressed(EventKeyboard::KeyCode::KEY_A);
    EXPECT_EQ(g_log, (std::vector<std::string>{"stopper"}));
    dispatcher->removeEventListener(stopper);

    g_log.clear();
    bound->setEnabled(false);
    input->keyPressed(EventKeyboard::KeyCode::KEY_A);
    EXPECT_EQ(g_log, (std::vector<std::string>{"early", "late"}));
}

TEST_F(Dispatch, ListenersRemovedDuringDispatchGetNothingMore)
{
    EventDispatcher* dispatcher = director->getEventDispatcher();
    EventListenerCustom* second = nullptr;
    auto* first = EventListenerCustom::create("ping", [&](EventCustom*) {
        g_log.push_back("first");
        dispatcher->removeEventListener(second);
    });
    second = EventListenerCustom::create("ping", [](EventCustom*) { g_log.push_back("second"); });
    dispatcher->addEventListenerWithFixedPriority(first, 1);
    dispatcher->addEventListenerWithFixedPriority(second, 2);
    int payload = 42;
    dispatcher->addCustomEventListener("ping", [&](EventCustom* e) {
        EXPECT_EQ(e->getUserData(), &payload);
        g_log.push_back("third");
    });
    dispatcher->dispatchCustomEvent("ping", &payload);
    EXPECT_EQ(g_log, (std::vector<std::string>{"first", "third"}));
    dispatcher->removeCustomEventListeners("ping");
    EXPECT_FALSE(dispatcher->hasEventListener("ping"));
}

TEST_F(Dispatch, ListenerRegisteredTwiceIsRefused)
{
    Node* node = Node::create();
    scene->addChild(node);
    auto* l = EventListenerCustom::create("x", [](EventCustom*) { g_log.push_back("x"); });
    director->getEventDispatcher()->addEventListenerWithSceneGraphPriority(l, node);
    director->getEventDispatcher()->addEventListenerWithFixedPriority(l, 3);
    director->getEventDispatcher()->dispatchCustomEvent("x");
    EXPECT_EQ(g_log.size(), 1u);
}

TEST_F(Dispatch, TouchesRecordLocationsAndTheirTime)
{
    Touch* seen = nullptr;
    Node* node = Node::create();
    scene->addChild(node);
    auto* l = EventListenerTouchOneByOne::create();
    l->onTouchBegan = [&](Touch* t, Event*) {
        seen = t;
        t->retain();
        return true;
    };
    node->getEventDispatcher()->addEventListenerWithSceneGraphPriority(l, node);
    input->touchBegan(4, Vec2(10, 20));
    input->touchMoved(4, Vec2(15, 30));
    ASSERT_NE(seen, nullptr);
    EXPECT_EQ(seen->getID(), 4);
    EXPECT_EQ(seen->getStartLocation(), Vec2(10, 20));
    EXPECT_EQ(seen->getPreviousLocation(), Vec2(10, 20));
    EXPECT_EQ(seen->getLocation(), Vec2(15, 30));
    EXPECT_EQ(seen->getLocationInView(), Vec2(15, 570)); // y down from the top of 600
    seen->setLocation(Vec2(1, 2));
    EXPECT_EQ(seen->getPreviousLocation(), Vec2(10, 20));
    const double now = static_cast<double>(std::time(nullptr));
    EXPECT_NEAR(Touch::getTimeStamp(), now, 5.0);
    input->touchEnded(4, Vec2(15, 30));
    seen->release();
}

TEST(IME, OnlyTheAttachedDelegateReceivesText)
{
    TextBox first, second;
    IMEDispatcher* ime = IMEDispatcher::sharedDispatcher();
    EXPECT_FALSE(ime->isAnyDelegateAttachedWithIME());
    ime->dispatchInsertText("lost", 4);
    EXPECT_TRUE(first.attachWithIME());
    ime->dispatchInsertText("h\xC3\xA9", 3); // UTF-8 passes through byte for byte
    EXPECT_EQ(first.content, "h\xC3\xA9");
    EXPECT_TRUE(second.attachWithIME()); // takes over
    EXPECT_FALSE(first.isAttachedWithIME());
    ime->dispatchInsertText("x", 1);
    ime->dispatchDeleteBackward();
    ime->dispatchDeleteBackward();
    EXPECT_EQ(second.content, "");
    EXPECT_FALSE(first.detachWithIME()); // not attached
    {
        TextBox temporary;
        temporary.attachWithIME();
    }
    // A delegate that went away is no longer attached.
    EXPECT_FALSE(ime->isAnyDelegateAttachedWithIME());
    ime->dispatchInsertText("safe", 4);
}

TEST_F(Dispatch, KeysAndTextReachTheAttachedField)
{
    TextBox box;
    box.attachWithIME();
    input->insertText("ab");
    input->keyTyped(EventKeyboard::KeyCode::KEY_BACKSPACE);
    input->keyTyped(EventKeyboard::KeyCode::KEY_ENTER); // a line feed the field may ignore
    EXPECT_EQ(box.content, "a\n");
    box.detachWithIME();
}

TEST_F(Dispatch, PausingRemovingAndAddingListenersByTarget)
{
    EventDispatcher* dispatcher = director->getEventDispatcher();
    Node* parent = Node::create();
    Node* child = Node::create();
    parent->addChild(child);
    scene->addChild(parent);
    auto listen = [&](Node* node, const std::string& name) {
        auto* l = EventListenerCustom::create("e", [name](EventCustom*) { g_log.push_back(name); });
        dispatcher->addEventListenerWithSceneGraphPriority(l, node);
    };
    listen(parent, "parent");
    listen(child, "child");
    dispatcher->dispatchCustomEvent("e");
    EXPECT_EQ(g_log, (std::vector<std::string>{"child", "parent"})); // the child is drawn on top

    g_log.clear();
    dispatcher->pauseEventListenersForTarget(parent, true);
    dispatcher->dispatchCustomEvent("e");
    EXPECT_TRUE(g_log.empty());
    dispatcher->resumeEventListenersForTarget(parent, false);
    dispatcher->dispatchCustomEvent("e");
    EXPECT_EQ(g_log, (std::vector<std::string>{"parent"}));

    g_log.clear();
    dispatcher->resumeEventListenersForTarget(child);
    dispatcher->removeEventListenersForTarget(parent, true);
    dispatcher->dispatchCustomEvent("e");
    EXPECT_TRUE(g_log.empty());

    // A listener added while an event is dispatched gets the next event, not this one.
    auto* adder = EventListenerCustom::create("e", [&](EventCustom*) {
        g_log.push_back("adder");
        if (g_log.size() == 1)
            listen(child, "late");
    });
    dispatcher->addEventListenerWithFixedPriority(adder, -1);
    dispatcher->dispatchCustomEvent("e");
    EXPECT_EQ(g_log, (std::vector<std::string>{"adder"}));
    dispatcher->dispatchCustomEvent("e");
    EXPECT_EQ(g_log, (std::vector<std::string>{"adder", "adder", "late"}));
    dispatcher->removeEventListener(adder);
}

TEST_F(Dispatch, FixedPrioritiesCanBeChangedAndZeroIsRefused)
{
    EventDispatcher* dispatcher = director->getEventDispatcher();
    auto* a = EventListenerCustom::create("p", [](EventCustom*) { g_log.push_back("a"); });
    auto* b = EventListenerCustom::create("p", [](EventCustom*) { g_log.push_back("b"); });
    auto* zero = EventListenerCustom::create("p", [](EventCustom*) { g_log.push_back("zero"); });
    dispatcher->addEventListenerWithFixedPriority(a, 1);
    dispatcher->addEventListenerWithFixedPriority(b, 2);
    dispatcher->addEventListenerWithFixedPriority(zero, 0);
    dispatcher->setPriority(b, -3);
    dispatcher->dispatchCustomEvent("p");
    EXPECT_EQ(g_log, (std::vector<std::string>{"b", "a"}));
    dispatcher->removeCustomEventListeners("p");
}

TEST_F(Dispatch, WheelCarriesItsAmountAndThePointer)
{
    Node* node = Node::create();
    scene->addChild(node);
    auto* mouse = EventListenerMouse::create();
    mouse->onMouseScroll = [](EventMouse* e) {
        g_log.push_back(std::to_string(int(e->getScrollY())) + "@" + std::to_string(int(e->getLocationInView().x)));
    };
    director->getEventDispatcher()->addEventListenerWithSceneGraphPriority(mouse, node);
    input->mouseMove(Vec2(70, 80));
    input->mouseScroll(0, -2);
    input->mouseScroll(Vec2(5, 5), 0, 3);
    EXPECT_EQ(g_log, (std::vector<std::string>{"-2@70", "3@5"}));
}
