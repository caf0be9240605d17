#pragma once
// A running headless scene with the notification centre ticking, render windows that map
// screen points onto the z = 0 plane, and a recorder of the notifications they post.

#include "engine/SceneFixture.h"

#include <string>
#include <vector>

#include "imaging/display/window/isRenderWindow.h"
#include "notify/NSNotificationCenter.h"
#include "notify/NSNotificationData.h"
#include "platform/FileUtils.h"
#include "support/TestSupport.h"

namespace displaytest {

/// A render window with a plane to pan on, that records the commands it handles.
class TestWindow : public isImageSDK::isRenderWindow {
public:
    template <class Window = TestWindow> static Window* create(std::vector<unsigned int> ids = {})
    {
        auto* window = new Window();
        window->ids = std::move(ids);
        if (!window->init()) {
            delete window;
            return nullptr;
        }
        window->autorelease();
        return window;
    }
    void fillObservedIds() override { observedIds = ids; }
    bool screenToWorld(const cocos2d::Vec2& point, cocos2d::Vec3& world) override
    {
        sceneCamera->unproject(point.x, point.y, 0.5f, world);
        return true;
    }
    void onMessage(unsigned int id, NSUI::NSNotificationData* data, cocos2d::Ref* sender) override
    {
        handled.push_back(id);
        isRenderWindow::onMessage(id, data, sender);
    }
    /// Presses a mouse button as the layout does before its hook runs (1 right, 2 middle).
    void press(int button, cocos2d::Vec2 at)
    {
        rightButtonDown = button == 1;
        middleButtonDown = button == 2;
        previousMousePoint = at;
        onMouseDown(at.x, at.y);
    }
    void drag(cocos2d::Vec2 to)
    {
        onMouseMove(to.x, to.y);
        previousMousePoint = to;
    }
    void lift(cocos2d::Vec2 at)
    {
        onMouseUp(at.x, at.y);
        rightButtonDown = middleButtonDown = false;
    }

    std::vector<unsigned int> ids;
    std::vector<unsigned int> handled;
};

/// Counts what reaches it, per notification.
class Recorder : public cocos2d::Ref {
public:
    struct Entry {
        unsigned int id;
        cocos2d::Ref* sender;
        std::string text;
    };
    Recorder() = default;
    ~Recorder() override { NSUI::NSNotificationCenter::getInstance()->removeObserver(this); }
    void listen(unsigned int id, cocos2d::Ref* object)
    {
        NSUI::NSNotificationCenter::getInstance()->addObserver(
            this, object,
            [this](cocos2d::Ref* sender, unsigned int got, NSUI::NSNotificationData* data) {
                entries.push_back({got, sender, data ? data->text : std::string()});
            },
            id);
    }
    int count(unsigned int id) const
    {
        int n = 0;
        for (const Entry& e : entries)
            n += e.id == id;
        return n;
    }
    std::vector<Entry> entries;
};

class WindowFixture : public qptest::SceneFixture {
protected:
    void SetUp() override
    {
        SceneFixture::SetUp();
        cocos2d::FileUtils::getInstance()->addSearchPath(QP_BINARY_DIR);
        NSUI::NSNotificationCenter::getInstance();
        input->advance(0.6f); // the centre's tick starts after half a second
    }
    void TearDown() override
    {
        scene->removeAllChildrenWithCleanup(true);
        SceneFixture::TearDown();
        NSUI::NSNotificationCenter::destroyInstance();
    }
    /// A window of the given size placed in the scene.
    TestWindow* addWindow(cocos2d::Vec2 at, cocos2d::Size size, std::vector<unsigned int> ids = {})
    {
        TestWindow* window = TestWindow::create(std::move(ids));
        window->setContentSize(size);
        window->setPosition(at);
        scene->addChild(window);
        return window;
    }
    void frames(int n)
    {
        for (int i = 0; i < n; ++i)
            input->frame();
    }
};

} // namespace displaytest
