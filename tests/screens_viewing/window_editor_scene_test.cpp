// The window editor as a scene of its own (phone layout): its opener pushes it, it builds below
// the scene's title bar, and its return key leaves only with valid values, which it posts.

#include "ViewingToolsFixture.h"

#include "tools/editWW.h"
#include "tools/editWWOpener.h"
#include "tools/editWWScene.h"

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
    // The screen's opener pushes the editor's scene.
    editWWOpener opener;
    editWW* editor = opener.open(scene);
    ASSERT_NE(editor, nullptr);
    record(editWW::kWindowSetId);
    editor->setWindow(0, 40);
    input->frame();
    Scene* own = director->getRunningScene();
    ASSERT_NE(own, scene);
    ASSERT_EQ(editor->getScene(), own);
    Node* layout = own->getChildByTag(editWWScene::kLayoutTag);
    ASSERT_NE(layout, nullptr);

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
    EXPECT_TRUE(opener.accept(posts[0].sender));
    editor->release();
}

} // namespace
