// Sharing a folder by mail: the archive in the share folder, a later share replacing it,
// cancelling, and an empty folder.

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
class Screen : public Node, public NSUI::UIControlBase {};

class ShareTest : public browsetest::BrowseFixture {
protected:
    void SetUp() override {
        BrowseFixture::SetUp();
        screen = new Screen();
        screen->init();
        scene->addChild(screen);
        screen->release();
        source = scratch("series");
        for (const char* name : {"IM1", "IM2", "IM3"})
            fs::copy_file(qptest::pydicomDir() + "/CT_small.dcm", source + "/" + name);
    }

    /// Shares the source folder and runs frames until the node has removed itself; the
    /// archives in the share folder then.
    std::vector<std::string> share(bool cancel = false) {
        shareTo* node = shareTo::create();
        node->retain(); // kept past its leaving the tree
        screen->addChild(node);
        node->zipAndShare(source, "12");
        EXPECT_NE(NSUI::NSActivity::current(), nullptr);
        if (cancel)
            NSUI::NSNotificationCenter::getInstance()->postNotification(nullptr, shareTo::kCancelId, nullptr,
                                                                        nullptr, true);
        frameUntil([&] { return node->getParent() == nullptr; });
        EXPECT_EQ(NSUI::NSActivity::current(), nullptr);
        node->release();
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(shareTo::shareFolder()))
            names.push_back(entry.path().filename().string());
        return names;
    }

    std::string toast() {
        Node* box = director->getRunningScene()->getChildByNameDeep(NSUI::UIControlBase::kMessageBoxName);
        auto* text =
            box ? dynamic_cast<ui::Text*>(box->getChildByNameDeep(NSUI::UIControlBase::kMessageTextName))
                : nullptr;
        return text && box->isVisible() ? text->getString() : "";
    }

    Screen* screen = nullptr;
    std::string source;
};

TEST_F(ShareTest, ArchiveNamedBySecondsHoldsTheFolderAndTheNextShareReplacesIt) {
    const unsigned long before = std::stoul(getTimestampString());
    std::vector<std::string> names = share();
    ASSERT_EQ(names.size(), 1u);
    EXPECT_EQ(names[0], std::to_string(std::stoul(names[0])) + ".zip");
    EXPECT_GE(std::stoul(names[0]), before);
    EXPECT_LE(std::stoul(names[0]), std::stoul(getTimestampString()));
    EXPECT_EQ(toast(), "");
    const std::string out = scratch("unpacked");
    ASSERT_TRUE(unzipFile(shareTo::shareFolder() + names[0], out, ""));
    EXPECT_EQ(nettest::filesBelow(out).size(), 3u);

    fs::rename(shareTo::shareFolder() + names[0], shareTo::shareFolder() + "1.zip");
    names = share();
    ASSERT_EQ(names.size(), 1u);
    EXPECT_NE(names[0], "1.zip");
}

TEST_F(ShareTest, CancelReportsTheFailureAndAnEmptyFolderDoesNothing) {
    share(true);
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
