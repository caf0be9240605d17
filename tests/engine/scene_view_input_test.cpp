// Raw window input (frame pixels, GLFW keys and characters) reaching the engine as events.

#include <gtest/gtest.h>

#include <GLFW/glfw3.h>

#include <string>
#include <vector>

#include "2d/Node.h"
#include "2d/Scene.h"
#include "base/Director.h"
#include "base/EventDispatcher.h"
#include "base/EventListenerKeyboard.h"
#include "base/EventListenerMouse.h"
#include "base/EventListenerTouchOneByOne.h"
#include "base/EventMouse.h"
#include "base/IMEDelegate.h"
#include "base/InputInjector.h"
#include "base/Touch.h"
#include "platform/GLViewImpl.h"

using namespace cocos2d;

namespace {

class Field : public IMEDelegate {
public:
    bool canAttachWithIME() override { return true; }
    bool canDetachWithIME() override { return true; }
    void insertText(const char* text, size_t len) override { content.append(text, len); }
    void deleteBackward() override
    {
        if (!content.empty())
            content.pop_back();
    }
    std::string content;
};

} // namespace

TEST(ViewInput, WindowInputBecomesTouchesMouseKeysAndText)
{
    GLViewImpl* view = GLViewImpl::createWithRect("input test", Rect(0, 0, 200, 100));
    if (!view)
        GTEST_SKIP() << "no display for a window";
    view->retain();
    Director* director = Director::getInstance();
    director->reset();
    director->setWinSize(Size(200, 100));
    Scene* scene = Scene::create();
    director->runWithScene(scene);
    director->mainLoop(0.0f);
    InputInjector* input = InputInjector::getInstance();
    input->attachView(view);

    std::vector<std::string> log;
    Node* node = Node::create();
    scene->addChild(node);
    auto* touch = EventListenerTouchOneByOne::create();
    touch->onTouchBegan = [&](Touch* t, Event*) {
        log.push_back("touch " + std::to_string(int(t->getLocation().x)) + "," +
                      std::to_string(int(t->getLocation().y)));
        return true;
    };
    touch->onTouchEnded = [&](Touch*, Event*) { log.push_back("touch end"); };
    director->getEventDispatcher()->addEventListenerWithSceneGraphPriority(touch, node);
    auto* mouse = EventListenerMouse::create();
    mouse->onMouseDown = [&](EventMouse* e) { log.push_back("down " + std::to_string(e->getMouseButton())); };
    mouse->onMouseScroll = [&](EventMouse* e) { log.push_back("scroll " + std::to_string(int(e->getScrollY()))); };
    director->getEventDispatcher()->addEventListenerWithSceneGraphPriority(mouse, node);
    auto* keys = EventListenerKeyboard::create();
    keys->onKeyReleased = [&](EventKeyboard::KeyCode k, Event*) {
        log.push_back(k == EventKeyboard::KeyCode::KEY_ESCAPE ? "escape" : "key");
    };
    director->getEventDispatcher()->addEventListenerWithSceneGraphPriority(keys, node);

    GLViewImpl::InputHandlers& raw = view->getInputHandlers();
    raw.mouseMove(10, 20);
    raw.mouseButton(0, true, 10, 20); // y counted down from the top of a 100 high frame
    raw.mouseButton(0, false, 10, 20);
    raw.scroll(0, -1, 10, 20); // towards the user
    raw.key(GLFW_KEY_ESCAPE, 0, GLFW_PRESS, 0);
    raw.key(GLFW_KEY_ESCAPE, 0, GLFW_RELEASE, 0);
    EXPECT_EQ(log, (std::vector<std::string>{"touch 10,80", "down 0", "touch end", "scroll -1", "escape"}));

    Field field;
    field.attachWithIME();
    raw.character('a');
    raw.character(0xE9);    // two UTF-8 bytes
    raw.character(0x1F600); // four UTF-8 bytes
    raw.character(0xD800);  // a lone surrogate is no character
    EXPECT_EQ(field.content, "a\xC3\xA9\xF0\x9F\x98\x80");
    raw.key(GLFW_KEY_BACKSPACE, 0, GLFW_PRESS, 0);
    raw.key(GLFW_KEY_BACKSPACE, 0, GLFW_REPEAT, 0);
    EXPECT_EQ(field.content, "a\xC3\xA9\xF0\x9F"); // one byte each in this field
    field.detachWithIME();

    input->reset();
    director->reset();
    view->getInputHandlers() = GLViewImpl::InputHandlers();
    view->release();
}
