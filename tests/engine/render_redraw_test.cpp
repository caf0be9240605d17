// Drawing only on change with a real window: an unchanged frame leaves the picture shown,
// and work from another thread ends the loop's wait in the window system.

#include <gtest/gtest.h>

#include <thread>

#include "support/GLWindowFixture.h"
#include "support/PixelProbe.h"
#include "cocos2d.h"

using namespace cocos2d;
using qptest::isColour;
using qptest::readPixel;

class RedrawWindow : public qptest::GLWindowFixture<64, 48> {
protected:
    unsigned long long drawn() const { return Director::getInstance()->getRenderer()->getDrawnFrames(); }
};

TEST_F(RedrawWindow, UnchangedFramesKeepThePictureAndAChangeShowsAtOnce)
{
    LayerColor* layer = LayerColor::create(Color4B(200, 30, 30, 255), 64, 48);
    scene->addChild(layer);
    frame();
    EXPECT_TRUE(isColour(readPixel(10, 10), 200, 30, 30));
    const auto before = drawn();
    frames(3);
    EXPECT_EQ(before, drawn());
    EXPECT_TRUE(isColour(readPixel(10, 10), 200, 30, 30));

    layer->setColor(Color3B(20, 180, 40));
    frame();
    EXPECT_EQ(before + 1, drawn());
    EXPECT_TRUE(isColour(readPixel(10, 10), 20, 180, 40));
}

TEST_F(RedrawWindow, AnotherThreadEndsTheWaitForWindowEvents)
{
    Director* director = Director::getInstance();
    frame();
    ASSERT_FALSE(director->isDirty());
    std::thread worker([director] { director->markDirty(); });
    // Returns only through the window system's wake-up (or the thread having asked before).
    while (!director->isDirty())
        director->waitForWork(3600.0);
    worker.join();
}
