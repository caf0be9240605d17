// Sharing a folder by mail: the archive in the share folder, cancelling, and a later share
// replacing the earlier archive.

#include "BrowseFixture.h"

#include "base/UIControlBase.h"
#include "lang/UILocalConfig.h"
#include "share/shareTo.h"
#include "ui/CocosGUI.h"
#include "util/TimeUtils.h"
#include "zip/ZipTool.h"

namespace fs = std::filesystem;
using namespace cocos2d;

namespace {

// A screen that shows toasts, as the screens that share do.
class Screen : public Node, public NSUI::UIControlBase {
public:
    static Screen* create()
    {
        auto* screen = new Screen();
        screen->init();
        screen->autorelease();
        return screen;
    }
};

class ShareTest : public browsetest::BrowseFixture {
protected:
    void SetUp() override
    {
        BrowseFixture::SetUp();
        screen = Screen::create();
        scene->addChild(screen);
        source = scratch("series");
        for (const char* name : {"IM1.dcm", "IM2.dcm", "IM3.dcm"})
            fs::copy_file(qptest::pydicomDir() + "/CT_small.dcm", source + "/" + name);
    }

    /// Shares the source folder and runs frames until the node has removed itself.
    void share(const std::function<void(shareTo*)>& meanwhile = nullptr)
    {
        shareTo* node = shareTo::create();
        node->retain();
        screen->addChild(node);
        node->zipAndShare(source, "12");
        EXPECT_NE(NSUI::NSActivity::current(), nullptr);
        if (meanwhile)
            meanwhile(node);
        frameUntil([&] { return node->getParent() == nullptr; });
        EXPECT_EQ(NSUI::NSActivity::current(), nullptr);
        node->release();
    }

    std::vector<std::string> archives()
    {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(shareTo::shareFolder()))
            names.push_back(entry.path().filename().string());
        return names;
    }

    std::string toast()
    {
        Node* box = director->getRunningScene()->getChildByNameDeep(NSUI::UIControlBase::kMessageBoxName);
        auto* text = box ? dynamic_cast<ui::Text*>(box->getChildByNameDeep(NSUI::UIControlBase::kMessageTextName))
                         : nullptr;
        return text && box->isVisible() ? text->getString() : "";
    }

    Screen* screen = nullptr;
    std::string source;
};

TEST_F(ShareTest, ArchiveNamedBySecondsHoldsTheFolder)
{
    const unsigned long before = std::stoul(getTimestampString());
    share();
    const unsigned long after = std::stoul(getTimestampString());
    auto names = archives();
    ASSERT_EQ(names.size(), 1u);
    ASSERT_EQ(names[0].substr(names[0].size() - 4), ".zip");
    const unsigned long seconds = std::stoul(names[0]);
    EXPECT_GE(seconds, before);
    EXPECT_LE(seconds, after);
    EXPECT_EQ(toast(), "");

    const std::string out = scratch("unpacked");
    ASSERT_TRUE(unzipFile(shareTo::shareFolder() + names[0], out, ""));
    std::vector<std::string> unpacked = nettest::filesBelow(out);
    EXPECT_EQ(unpacked.size(), 3u);

    // A later share empties the folder first.
    fs::rename(shareTo::shareFolder() + names[0], shareTo::shareFolder() + "1.zip");
    share();
    names = archives();
    ASSERT_EQ(names.size(), 1u);
    EXPECT_NE(names[0], "1.zip");
}

TEST_F(ShareTest, CancelReportsTheFailureAndAnEmptyFolderDoesNothing)
{
    share([](shareTo*) {
        NSUI::NSNotificationCenter::getInstance()->postNotification(nullptr, shareTo::kCancelId, nullptr, nullptr,
                                                                    true);
    });
    const std::string failed = NSUI::UILocalConfig::getLanguageString("compressFail");
    EXPECT_FALSE(failed.empty());
    EXPECT_EQ(toast(), failed);

    shareTo* idle = shareTo::create();
    screen->addChild(idle);
    idle->zipAndShare("", "12");
    EXPECT_EQ(idle->getParent(), screen);
    EXPECT_EQ(NSUI::NSActivity::current(), nullptr);
    EXPECT_TRUE(idle->getZipPath().empty());
}

} // namespace
