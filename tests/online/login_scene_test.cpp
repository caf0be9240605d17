// The account panel as a scene of its own (phone layout): it slides in from the top-left
// corner, its sub-pages go back to the start page, and signing in leaves the scene.

#include "LoginFixture.h"

#include "login/TransitionMoveInLeftTop.h"
#include "login/loginScene.h"

using namespace cocos2d;

namespace {

// Records where the slide-in places the incoming scene before it moves.
class SlideProbe : public TransitionMoveInLeftTop {
public:
    static SlideProbe* create(Scene* scene) {
        auto* probe = new SlideProbe();
        probe->initWithDuration(0.5f, scene);
        probe->autorelease();
        return probe;
    }
    Vec2 start{1, 1};

protected:
    void initScenes() override {
        TransitionMoveInLeftTop::initScenes();
        start = _inScene->getPosition();
    }
};

class LoginScene : public qptest::LoginFixture {
protected:
    void SetUp() override {
        LoginFixture::SetUp();
        config->phoneLayout = true;
    }
    void TearDown() override {
        config->phoneLayout = false;
        LoginFixture::TearDown();
    }
    void pressReturn() {
        input->keyPressed(EventKeyboard::KeyCode::KEY_ESCAPE);
        input->keyReleased(EventKeyboard::KeyCode::KEY_ESCAPE);
        input->frame();
    }
    std::string title() const {
        auto* text = dynamic_cast<ui::Text*>(panel->getScene()->getChildByNameDeep("title"));
        return text ? text->getString() : "<none>";
    }
};

TEST_F(LoginScene, TransitionsRunTheirSetUpAndEndInTheirScene) {
    Scene* next = Scene::create();
    SlideProbe* slide = SlideProbe::create(next);
    director->pushScene(slide);
    // The transition has done its part once pushed; the frame lets it go.
    EXPECT_EQ(Vec2(-800, 600), slide->start);
    input->frame();
    EXPECT_EQ(next, director->getRunningScene());
    EXPECT_EQ(Vec2::ZERO, next->getPosition());

    Scene* flipped = Scene::create();
    director->pushScene(TransitionFlipX::create(0.5f, flipped));
    input->frame();
    EXPECT_EQ(flipped, director->getRunningScene());
}

TEST_F(LoginScene, SubPagesGoBackToTheStartPageAndSigningInLeavesTheScene) {
    open();
    Scene* own = panel->getScene();
    ASSERT_NE(nullptr, dynamic_cast<loginScene*>(own));
    EXPECT_EQ(own, director->getRunningScene());
    EXPECT_EQ(Vec2::ZERO, own->getPosition());
    EXPECT_EQ("Welcome", title());
    EXPECT_EQ(Size(800, 540), panel->getContentSize());
    EXPECT_EQ(Size(800, 540), panel->getLayout()->getContentSize());
    // Rows a finger can hit: 1.3 times the main button.
    const float button = panel->getLayout()->getChildByName("login")->getContentSize().height;
    Node* layout = panel->getLayout();
    EXPECT_FLOAT_EQ(static_cast<int>(static_cast<int>(button) * 1.3f),
                    layout->getChildByName("email")->getPositionY() - layout->getChildByName("password")->getPositionY());

    click("new");
    EXPECT_EQ(login::kRegisterPage, panel->getPage());
    pressReturn();
    EXPECT_EQ(login::kSignInPage, panel->getPage());
    EXPECT_EQ(own, director->getRunningScene());

    type("email", "ana");
    type("password", "secret1");
    click("login");
    runUntil([&] { return !changes.empty(); });
    EXPECT_EQ(std::vector<int>{1}, changes);
    input->frame();
    EXPECT_EQ(scene, director->getRunningScene());
}

TEST_F(LoginScene, SignedInTheNicknameIsTheTitleAndBackLeaves) {
    NSUI::UILocalConfig::setStringForKey("app_logined", "1");
    NSUI::UILocalConfig::setStringForKey("app_login_nickname", "ana");
    open();
    EXPECT_EQ(login::kAccountPage, panel->getPage());
    EXPECT_EQ("ana", title());
    // The scene's own back button: the panel's gives way to it.
    EXPECT_FALSE(panel->getLayout()->getChildByName("goBack")->isVisible());
    Node* back = panel->getScene()->getChildByNameDeep("goBack");
    ASSERT_TRUE(back->isVisible());
    const Vec2 at = back->convertToWorldSpace(Vec2(back->getContentSize().width / 2, back->getContentSize().height / 2));
    input->touchBegan(0, at);
    input->touchEnded(0, at);
    input->frame();
    EXPECT_EQ(scene, director->getRunningScene());
}

} // namespace
