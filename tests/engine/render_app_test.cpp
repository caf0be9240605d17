// The application loop with a real window: launch, frames at the animation interval until
// the window closes, then the terminate hook.

#include <gtest/gtest.h>

#include "cocos2d.h"

using namespace cocos2d;

namespace {

class WindowApp : public Application {
public:
    void initGLContextAttrs() override
    {
        GLContextAttrs attrs = {8, 8, 8, 8, 24, 8, 0};
        GLView::setGLContextAttrs(attrs);
        ++contextAttrs;
    }
    bool applicationDidFinishLaunching() override
    {
        Director* director = Director::getInstance();
        auto* view = GLViewImpl::createWithRect("app test", Rect(0, 0, 200, 100), 1.0f);
        if (!view) {
            return false;
        }
        director->setOpenGLView(view);
        view->setDesignResolutionSize(200, 100, ResolutionPolicy::FIXED_HEIGHT);
        director->setAnimationInterval(1.0f / 120);
        director->getScheduler()->schedule(
            [this, view](float) {
                if (++frames == 5) view->end(); // as the window's close button does
            },
            this, 0, false, "close");
        return true;
    }
    void applicationDidEnterBackground() override {}
    void applicationWillEnterForeground() override {}
    void applicationWillTerminate() override { ++terminated; }

    int contextAttrs = 0, frames = 0, terminated = 0;
};

} // namespace

TEST(ApplicationWindow, RunsUntilTheWindowClosesThenTerminates)
{
    const char* display = getenv("DISPLAY");
    if (!display || !*display) GTEST_SKIP() << "no display";
    WindowApp app;
    Rect work = GLViewImpl::getDesktopWorkArea();
    EXPECT_GT(work.size.width, 0);
    EXPECT_GT(work.size.height, 0);
    EXPECT_EQ(0, app.run());
    EXPECT_EQ(1, app.contextAttrs);
    EXPECT_EQ(5, app.frames);
    EXPECT_EQ(1, app.terminated);
    EXPECT_EQ(8, GLView::getGLContextAttrs().stencilBits);
    EXPECT_GT(Device::getDPI(), 0);
    EXPECT_FALSE(Device::getDeviceInfo().empty());
    Director::getInstance()->getScheduler()->unscheduleAllForTarget(&app);
}
