// The window editor as a scene of its own (phone layout): it builds below the scene's title
// bar, and its return key leaves only with valid values, which it posts.

#include "ViewingToolsFixture.h"

#include "tools/editWW.h"
#include "tools/editWWScene.h"

#include <filesystem>

using namespace cocos2d;

namespace {

class WindowEditorScene : public viewingtest::ViewingToolsFixture {
protected:
    void SetUp() override
    {
        ViewingToolsFixture::SetUp();
        FileUtils::getInstance()->addSearchPath(qptest::sourceDir() + "/res/layout/");
        AppConfig::getInstance()->phoneLayout = true;
    }
    void TearDown() override
    {
        AppConfig::getInstance()->phoneLayout = false;
        ViewingToolsFixture::TearDown();
    }
    void pressReturn()
    {
        input->keyPressed(EventKeyboard::KeyCode::KEY_ESCAPE);
        input->keyReleased(EventKeyboard::KeyCode::KEY_ESCAPE);
        input->frame();
    }
    std::string sceneToast() const
    {
        Node* box = director->getRunningScene()->getChildByName("messageBox");
        auto* label = box ? dynamic_cast<ui::Text*>(box->getChildByNameDeep("messageBox.text")) : nullptr;
        return label && box->isVisible() ? label->getString() : std::string();
    }
};

TEST_F(WindowEditorScene, LeavesOnlyWithValidValuesAndPostsThem)
{
    Scene* own = editWW::createScene();
    ASSERT_NE(own, nullptr);
    Node* layout = own->getChildByTag(editWWScene::kLayoutTag);
    ASSERT_NE(layout, nullptr);
    auto* editor = dynamic_cast<editWW*>(layout->getChildByName(editWW::kViewName));
    ASSERT_NE(editor, nullptr);
    record(editWW::kWindowSetId);
    editor->setWindow(0, 40);
    director->pushScene(own);
    input->frame();
    ASSERT_EQ(director->getRunningScene(), own);

    auto* title = dynamic_cast<ui::Text*>(layout->getChildByNameDeep("title"));
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(title->getString(), text("editWW_title"));
    EXPECT_EQ(editor->getContentSize(), Size(800, 540));
    EXPECT_EQ(editor->getLayout()->getContentSize(), Size(800, 540));

    pressReturn();
    EXPECT_EQ(sceneToast(), text("editWWError"));
    EXPECT_EQ(director->getRunningScene(), own);
    EXPECT_TRUE(posts.empty());

    editor->setWindow(400, 40);
    editor->retain();
    pressReturn();
    EXPECT_EQ(director->getRunningScene(), scene);
    ASSERT_TRUE(waitForPost());
    EXPECT_EQ(posts[0].sender, editor);
    EXPECT_EQ(posts[0].text, "{\"ww\":\"400.000000\",\"wl\":\"40.000000\"}");
    editor->release();
}

// Drawn in a real window under the virtual display, for a person to look at.
TEST_F(WindowEditorScene, Picture)
{
    GLViewImpl* view = GLViewImpl::createWithRect("editor", Rect(0, 0, 1280, 800));
    if (!view)
        GTEST_SKIP() << "no display for a GL window";
    view->retain();
    director->setOpenGLView(view);
    Scene* own = editWW::createScene();
    editWW::fromWindow(own->getChildByTag(editWWScene::kLayoutTag))->setWindow(400, 40);
    director->pushScene(own);
    for (int i = 0; i < 3; ++i)
        director->mainLoop(1.0f / 60);
    std::filesystem::create_directories(qptest::binaryDir() + "/screenshots");
    bool written = false;
    utils::captureScreen([&](bool ok, const std::string&) { written = ok; },
                         qptest::binaryDir() + "/screenshots/phone_editor_scene.png");
    EXPECT_TRUE(frameUntil([&] { return written; }));
    director->popScene();
    director->mainLoop(1.0f / 60);
    director->setOpenGLView(nullptr);
    view->release();
}

} // namespace
