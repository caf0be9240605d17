// The panels as scenes of their own, as the phone layout pushes them: each builds below the
// scene's title bar, shows its content, and goes back to the screen under it.

#include "PanelFixture.h"

#include "net/dcmSendingObject.h"
#include "picture/NSSpriteView.h"
#include "picture/spriteViewScene.h"
#include "send/dcmSend.h"
#include "table/NSListView.h"
#include "tags/dcmFinder.h"
#include "tags/dcmInfoList.h"

using namespace cocos2d;
using paneltest::PanelFixture;

namespace {

class PhoneScenesTest : public PanelFixture {
protected:
    void SetUp() override
    {
        PanelFixture::SetUp();
        cocos2d::FileUtils::getInstance()->addSearchPath(qptest::sourceDir() + "/res/layout/");
        AppConfig::getInstance()->phoneLayout = true;
    }
    void TearDown() override
    {
        AppConfig::getInstance()->phoneLayout = false;
        PanelFixture::TearDown();
    }
    void push(Scene* pushed)
    {
        ASSERT_NE(pushed, nullptr);
        director->pushScene(pushed);
        input->frame();
        ASSERT_EQ(director->getRunningScene(), pushed);
    }
    void pressReturn()
    {
        input->keyPressed(EventKeyboard::KeyCode::KEY_ESCAPE);
        input->keyReleased(EventKeyboard::KeyCode::KEY_ESCAPE);
        input->frame();
    }
    // The page below the bar: the window's width by its height less the bar.
    void expectBelowTheBar(Node* page)
    {
        ASSERT_NE(page, nullptr);
        const Size& win = director->getWinSize();
        EXPECT_EQ(page->getContentSize(), Size(win.width, win.height - 60));
        EXPECT_EQ(page->getPosition(), Vec2::ZERO);
        EXPECT_EQ(page->getAnchorPoint(), Vec2::ZERO);
    }
    static std::string text(const char* key) { return AppConfig::getInstance()->getText(key); }
};

TEST_F(PhoneScenesTest, TagListSceneReadsItsFileAndTheFinderSceneGoesBackByKeyAndButton)
{
    Scene* tags = dcmInfoList::createScene();
    dcmInfoList* list = dcmInfoList::fromWindow(tags);
    ASSERT_NE(list, nullptr);
    list->setFile(std::string(QP_PYDICOM_DIR) + "/CT_small.dcm");
    push(tags);
    EXPECT_EQ(label(tags, "title"), text("dcmInfo_title"));
    expectBelowTheBar(list);
    ASSERT_TRUE(frameUntil([&] { return !list->isReading(); }));
    EXPECT_GT(list->getTable()->getRowCount(), 50);
    click(tags->getChildByNameDeep("goBack"));
    EXPECT_EQ(director->getRunningScene(), scene);

    Scene* finder = dcmFinder::createScene();
    ASSERT_NE(dcmFinder::fromWindow(finder), nullptr);
    push(finder);
    EXPECT_EQ(dcmFinder::fromWindow(finder)->getTable()->getRowCount(), 0);
    pressReturn();
    EXPECT_EQ(director->getRunningScene(), scene);
}

TEST_F(PhoneScenesTest, SendSceneSendsFromTheSceneBarAndLeavesNothingOnTheScreenUnderIt)
{
    ASSERT_TRUE(service->getDB()->upsertNeighbor(5, "PACS", "127.0.0.1", "104", "pacs"));
    Scene* send = dcmSend::createScene();
    dcmSend* panel = dcmSend::fromWindow(send);
    ASSERT_NE(panel, nullptr);
    panel->setSendSource(scratch("patient"), "DOE^JOHN");
    push(send);
    EXPECT_EQ(label(send, "title"), text("dcmNode_title"));
    expectBelowTheBar(panel);

    // The send button sits at the right of the scene's bar, no longer in the panel.
    auto* button = dynamic_cast<ui::Button*>(send->getChildByName("dcmNode_send"));
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(panel->getChildByNameDeep("dcmNode_send"), nullptr);
    EXPECT_EQ(scene->getChildByNameDeep("dcmNode_send"), nullptr);
    const Rect box = button->getBoundingBox();
    const Size& win = director->getWinSize();
    EXPECT_FLOAT_EQ(box.getMaxX(), win.width - 15);
    EXPECT_FLOAT_EQ(box.getMidY(), win.height - 30);
    EXPECT_EQ(button->getTitleText(), text("dcmNode_send"));

    NSUI::NSListView* nodes = panel->getNodeTable();
    ASSERT_EQ(nodes->getRowCount(), panel->getFixedRowCount() + 1);
    EXPECT_FLOAT_EQ(panel->tableCellSizeForIndex(nodes, 0, nodes->rows.at(0)).height, 90);
    nodes->selectCellAtIndex(panel->getFixedRowCount());
    click(button);
    ASSERT_EQ(panel->getSendTable()->getRowCount(), 1);
    auto* task = static_cast<dcmSendingObject*>(panel->getSendTable()->rows.at(0));
    EXPECT_EQ(task->ip, "127.0.0.1");
    EXPECT_EQ(task->port, "104");
    task->state = dcmSendingObject::kDone; // the service leaves it alone

    pressReturn();
    EXPECT_EQ(director->getRunningScene(), scene);
}

TEST_F(PhoneScenesTest, PictureSceneShowsTheCallersPictureWithShareOppositeBack)
{
    qptest::TempDir dir;
    const std::string picture = writePng(dir, "capture.png", 64, 48);
    spriteViewScene* viewer = spriteViewScene::createScene();
    ASSERT_NE(viewer, nullptr);
    auto* view = dynamic_cast<NSUI::NSSpriteView*>(viewer->getLayout()->getChildByTag(spriteViewScene::kViewTag));
    ASSERT_NE(view, nullptr);
    view->setImage(picture);
    push(viewer);
    expectBelowTheBar(view);
    EXPECT_EQ(label(viewer, "title"), "");

    Node* back = viewer->getChildByNameDeep("goBack");
    Node* share = viewer->getChildByName(spriteViewScene::kShareButton);
    ASSERT_NE(share, nullptr);
    const Rect backBox = back->getBoundingBox(), shareBox = share->getBoundingBox();
    const Vec2 backLeft = back->getParent()->convertToWorldSpace(Vec2(backBox.getMinX(), backBox.getMidY()));
    EXPECT_FLOAT_EQ(director->getWinSize().width - shareBox.getMaxX(), backLeft.x);
    EXPECT_FLOAT_EQ(shareBox.getMidY(), backLeft.y);
    click(share); // the platform's mail hook: nothing to see here, and nothing breaks
    EXPECT_EQ(director->getRunningScene(), viewer);

    pressReturn();
    EXPECT_EQ(director->getRunningScene(), scene);
}

} // namespace
