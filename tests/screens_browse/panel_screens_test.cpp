// The panels drawn in a real window under the virtual display, with real data; each is saved
// as a picture under <build>/screenshots for a person to look at.

#include "PanelFixture.h"

#include "dicom/read_helpers.h"
#include "support/PixelProbe.h"
#include "net/dcmSendingObject.h"
#include "send/dcmSend.h"
#include "table/NSListView.h"
#include "table/NSTableViewCell.h"
#include "tags/dcmFinder.h"
#include "tags/dcmInfoList.h"
#include "picture/NSSpriteView.h"
#include "picture/spriteViewScene.h"
#include "text/NSTextField.h"

#include <filesystem>

using namespace cocos2d;
using paneltest::PanelFixture;

namespace {

const int kW = 1280, kH = 800;

class PanelScreensTest : public PanelFixture {
protected:
    static void SetUpTestSuite()
    {
        view = GLViewImpl::createWithRect("panels", Rect(0, 0, kW, kH));
        if (view)
            view->retain();
    }
    static void TearDownTestSuite()
    {
        if (view)
            view->release();
        view = nullptr;
    }
    void SetUp() override
    {
        if (!view)
            GTEST_SKIP() << "no display for a GL window";
        PanelFixture::SetUp();
        director->setOpenGLView(view);
        // A scene made for the window's size (its camera follows the size it was made at).
        scene = Scene::create();
        director->replaceScene(scene);
        director->mainLoop(1.0f / 60);
        // The screen the panel opens over.
        scene->addChild(LayerColor::create(Color4B(18, 19, 21, 255), kW, kH), -1);
    }
    void TearDown() override
    {
        if (!view)
            return;
        PanelFixture::TearDown();
        director->setOpenGLView(nullptr);
    }
    void draw(int frames = 3)
    {
        for (int i = 0; i < frames; ++i)
            director->mainLoop(1.0f / 60);
    }
    void capture(const std::string& name)
    {
        std::filesystem::create_directories(qptest::binaryDir() + "/screenshots");
        bool written = false;
        utils::captureScreen([&](bool ok, const std::string&) { written = ok; }, screenshotPath(name));
        EXPECT_TRUE(frameUntil([&] { return written; })) << name;
    }
    // The colour at a point of the panel's layout (its own coordinates).
    qptest::Px at(Node* layout, float x, float y)
    {
        const Vec2 p = layout->convertToWorldSpace(Vec2(x, y));
        return qptest::readPixel(static_cast<int>(p.x), static_cast<int>(p.y));
    }
    dcmSendingObject* queued(const std::string& name, const std::string& ip, const std::string& label, int state,
                             float progress)
    {
        dcmSendingObject* task = dcmSendingObject::create();
        task->name = name;
        task->ip = ip;
        task->port = "104";
        task->text1 = label;
        task->state = state;
        task->progress = progress;
        service->addSendTask(task); // no folder: the service never starts it
        return task;
    }

    static GLViewImpl* view;
};

GLViewImpl* PanelScreensTest::view = nullptr;

TEST_F(PanelScreensTest, SendPanelWithNodesAndSends)
{
    useNetwork("192.168.1.7");
    auto* db = service->getDB();
    db->upsertNeighbor(5, "PACS archive", "192.168.1.20", "11112", "pacs");
    db->upsertNeighbor(2, "Reading room 2", "192.168.1.31", "4587", "room2");
    db->setNeighborWifi("room2");
    db->upsertNeighbor(5, "CT scanner, level 1, with a very long station name", "192.168.1.40", "104", "ct");
    queued("PACS archive", "192.168.1.20", "DOE^JANE  CT Chest 2026-11-30", dcmSendingObject::kSending, 42.0f);
    queued("", "192.168.1.55", "DOE^JANE  CT Chest 2026-11-30", dcmSendingObject::kQueued, 0.0f);
    queued("Reading room 2", "192.168.1.31", "SMITH^JOHN", dcmSendingObject::kFailed, 12.0f);

    Node* window = dcmSend::create();
    scene->addChild(window);
    dcmSend* panel = dcmSend::fromWindow(window);
    panel->setSendSource("/data/DOE^JANE", "DOE^JANE");
    panel->getNodeTable()->selectCellAtIndex(panel->getFixedRowCount());
    draw();
    Node* layout = panel->getChildByName(dcmSend::kLayoutFile);
    EXPECT_TRUE(qptest::isColour(at(layout, 410, 538), 32, 34, 38));
    EXPECT_TRUE(qptest::isColour(at(layout, 600, 30), 18, 19, 21));
    capture("send_panel");

    // Typing an address shows the row's own send button; a bad one is refused with a toast.
    auto* field = dynamic_cast<NSUI::NSTextField*>(panel->getNodeTable()->cellAtIndex(1)->getChildByTag(101));
    ASSERT_NE(field, nullptr);
    field->setString("192.168.1.300");
    panel->onTextFieldEvent(field, NSUI::NSTextField::kTextInserted);
    panel->onButtonClicked(panel->getChildByNameDeep("dcmNode_send_input"));
    draw();
    capture("send_panel_typed");
}

TEST_F(PanelScreensTest, SendPanelWithoutSendsShowsTheHelp)
{
    useNetwork("");
    Node* window = dcmSend::create();
    scene->addChild(window);
    draw();
    capture("send_panel_empty");
    EXPECT_NE(window->getChildByNameDeep("helpbk"), nullptr);
}

TEST_F(PanelScreensTest, TagListOfCtSmallAndTheFinder)
{
    Node* window = dcmInfoList::create();
    dcmInfoList* panel = dcmInfoList::fromWindow(window);
    panel->setFile(readtest::pydicomFile("CT_small.dcm"));
    scene->addChild(window);
    ASSERT_TRUE(frameUntil([&] { return !panel->isReading(); }));
    draw();
    EXPECT_GT(panel->getTable()->getRowCount(), 30);
    capture("tag_list");
    window->removeFromParent();

    scene->addChild(dcmFinder::create());
    draw();
    capture("finder");
}

TEST_F(PanelScreensTest, PhoneLayoutScenes)
{
    FileUtils::getInstance()->addSearchPath(qptest::sourceDir() + "/res/layout/");
    AppConfig::getInstance()->phoneLayout = true;
    useNetwork("192.168.1.7");
    service->getDB()->upsertNeighbor(5, "PACS archive", "192.168.1.20", "11112", "pacs");
    queued("PACS archive", "192.168.1.20", "DOE^JANE  CT Chest 2026-11-30", dcmSendingObject::kSending, 42.0f);
    Scene* send = dcmSend::createScene();
    director->pushScene(send);
    draw();
    capture("phone_send_scene");
    EXPECT_TRUE(qptest::isColour(qptest::readPixel(kW / 2 + 200, kH - 30), 32, 34, 38)) << "the title bar";
    director->popScene();

    Scene* tags = dcmInfoList::createScene();
    dcmInfoList* panel = dcmInfoList::fromWindow(tags);
    panel->setFile(readtest::pydicomFile("CT_small.dcm"));
    director->pushScene(tags);
    ASSERT_TRUE(frameUntil([&] { return !panel->isReading(); }));
    draw();
    capture("phone_tag_scene");
    director->popScene();

    spriteViewScene* picture = spriteViewScene::createScene();
    NSUI::NSSpriteView* view = picture->getSpriteView();
    qptest::TempDir dir;
    view->setImage(writePng(dir, "capture.png", 640, 400));
    director->pushScene(picture);
    ASSERT_TRUE(frameUntil([&] { return view->getImageView()->getContentSize().width > 0; }));
    draw();
    capture("phone_picture_scene");
    AppConfig::getInstance()->phoneLayout = false;
}

} // namespace
