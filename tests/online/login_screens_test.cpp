// The account panel and the feedback page drawn in a real window under the virtual display;
// each is saved as a picture under <build>/screenshots for a person to look at.

#include "LoginFixture.h"

#include "advice/advice.h"
#include "support/PixelProbe.h"
#include "platform/GLViewImpl.h"

#include <filesystem>

using namespace cocos2d;

namespace {

const int kW = 1280, kH = 800;

class LoginScreens : public qptest::LoginFixture {
protected:
    static void SetUpTestSuite() {
        view = GLViewImpl::createWithRect("login", Rect(0, 0, kW, kH));
        if (view)
            view->retain();
    }
    static void TearDownTestSuite() {
        if (view)
            view->release();
        view = nullptr;
    }
    void SetUp() override {
        if (!view)
            GTEST_SKIP() << "no display for a GL window";
        LoginFixture::SetUp();
        director->setOpenGLView(view);
        scene = Scene::create();
        director->replaceScene(scene);
        draw();
        // The screen the panel opens over.
        scene->addChild(LayerColor::create(Color4B(18, 19, 21, 255), kW, kH), -1);
    }
    void TearDown() override {
        if (!view)
            return;
        LoginFixture::TearDown();
        director->setOpenGLView(nullptr);
    }
    void draw() {
        for (int i = 0; i < 3; ++i)
            director->mainLoop(1.0f / 60);
    }
    void capture(const std::string& name) {
        std::filesystem::create_directories(std::string(QP_BINARY_DIR) + "/screenshots");
        bool written = false;
        utils::captureScreen([&](bool ok, const std::string&) { written = ok; },
                             std::string(QP_BINARY_DIR) + "/screenshots/" + name + ".png");
        while (!written)
            director->mainLoop(1.0f / 60);
    }
    /// The colour at a point of a node, in its own coordinates.
    static qptest::Px colourAt(Node* node, float x, float y) {
        Vec2 p = node->convertToWorldSpace(Vec2(x, y));
        return qptest::readPixel(static_cast<int>(p.x), static_cast<int>(p.y));
    }

    static GLView* view;
};

GLView* LoginScreens::view = nullptr;

TEST_F(LoginScreens, SignedOutSignedInAndRegisterPages) {
    open();
    type("email", "ana");
    type("password", "secret1");
    draw();
    capture("login_signed_out");
    // The panel's background above the rows; the typed name in a light field.
    EXPECT_TRUE(qptest::isColour(colourAt(panel->getLayout(), 260, 260), 32, 34, 38));
    EXPECT_TRUE(qptest::isColour(colourAt(panel->getLayout()->getChildByName("email"), -10, 4), 220, 222, 226));

    click("new");
    draw();
    capture("login_register");

    panel->close();
    NSUI::UILocalConfig::setStringForKey("app_logined", "1");
    NSUI::UILocalConfig::setStringForKey("app_login_nickname", "ana");
    open();
    draw();
    capture("login_signed_in");
    EXPECT_TRUE(panel->getLayout()->getChildByName("change")->isVisible());
    EXPECT_FALSE(panel->getLayout()->getChildByName("send")->isVisible());
}

TEST_F(LoginScreens, FeedbackPage) {
    Scene* page = advice::createScene();
    ASSERT_NE(nullptr, page);
    director->pushScene(page);
    draw();
    capture("feedback_page");
    EXPECT_TRUE(qptest::isColour(qptest::readPixel(kW / 2 + 200, kH - 30), 32, 34, 38)) << "the title bar";
}

TEST_F(LoginScreens, PhoneLayoutScene) {
    config->phoneLayout = true;
    open();
    draw();
    capture("login_phone_scene");
    config->phoneLayout = false;
    EXPECT_TRUE(qptest::isColour(qptest::readPixel(kW / 2 + 200, kH - 30), 32, 34, 38)) << "the title bar";
}

} // namespace
