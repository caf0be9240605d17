// File choice: answers arrive once, later, on the main thread; a test provider replaces the
// dialog; the in-window folder browser walks folders and gives a file or a cancel.

#include "SceneFixture.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/FileChooser.h"
#include "platform/FileUtils.h"
#include "support/TestSupport.h"
#include "ui/CocosGUI.h"

using namespace cocos2d;
using namespace cocos2d::ui;

namespace {

class UiFileChooserTest : public qptest::SceneFixture {
protected:
    void TearDown() override {
        FileChooser::getInstance()->setProvider(nullptr);
        if (FileBrowser::current())
            FileBrowser::current()->finish("");
        qptest::SceneFixture::TearDown();
    }
    // Clicks the child of the browser's panel or list by name.
    void click(const std::string& name) {
        Node* node = FileBrowser::current()->getChildByNameDeep(name);
        ASSERT_NE(nullptr, node) << name;
        Vec2 centre = node->convertToWorldSpace(
            Vec2(node->getContentSize().width * 0.5f, node->getContentSize().height * 0.5f));
        input->frame();
        input->touchBegan(0, centre);
        input->touchEnded(0, centre);
    }
};

} // namespace

TEST_F(UiFileChooserTest, AProviderAnswersInsteadOfTheDialogAndBusyRequestsAreRefused) {
    FileChooser* chooser = FileChooser::getInstance();
    FileChooser::Callback pending;
    std::string seenTitle, seenStart;
    chooser->setProvider([&](const std::string& title, const std::string& start, FileChooser::Callback done) {
        seenTitle = title;
        seenStart = start;
        pending = done;
    });
    std::vector<std::string> answers;
    chooser->chooseFile("Import", "/data", [&](const std::string& p) { answers.push_back("first:" + p); });
    EXPECT_TRUE(chooser->isOpen());
    EXPECT_EQ("Import", seenTitle);
    EXPECT_EQ("/data", seenStart);
    // A second request while the first is open is answered with nothing at once.
    chooser->chooseFile("Again", "", [&](const std::string& p) { answers.push_back("second:" + p); });
    EXPECT_EQ((std::vector<std::string>{"second:"}), answers);
    pending("/data/a.dcm");
    EXPECT_FALSE(chooser->isOpen());
    EXPECT_EQ("first:/data/a.dcm", answers.back());

    // An empty start folder starts at home.
    chooser->chooseFile("", "", [](const std::string&) {});
    EXPECT_FALSE(seenStart.empty());
    pending("");
}

TEST_F(UiFileChooserTest, TheFolderBrowserWalksFoldersAndGivesTheChosenFile) {
    qptest::TempDir dir;
    FileUtils::getInstance()->createDirectory(dir.file("series"));
    qptest::writeFile(dir.file("series/b.dcm"), "x");
    qptest::writeFile(dir.file("series/a.dcm"), "x");
    qptest::writeFile(dir.file("series/.hidden"), "x");
    qptest::writeFile(dir.file("notes.txt"), "x");

    std::vector<std::string> answers;
    ASSERT_TRUE(FileBrowser::show("Import", dir.path(), [&](const std::string& p) { answers.push_back(p); }));
    FileBrowser* browser = FileBrowser::current();
    ASSERT_NE(nullptr, browser);
    EXPECT_EQ((std::vector<std::string>{"series/", "notes.txt"}), browser->getEntries()); // folders first

    click("series/");
    EXPECT_EQ((std::vector<std::string>{"a.dcm", "b.dcm"}), FileBrowser::current()->getEntries());
    click("fileBrowserUp");
    EXPECT_EQ(2u, FileBrowser::current()->getEntries().size());
    click("series/");
    click("b.dcm");
    std::string folder = dir.path();
    if (folder.back() != '/')
        folder += '/';
    EXPECT_EQ((std::vector<std::string>{folder + "series/b.dcm"}), answers);
    EXPECT_EQ(nullptr, FileBrowser::current());
    EXPECT_EQ(nullptr, scene->getChildByNameDeep("b.dcm")); // gone from the scene

    // Cancel answers "", and a missing start folder falls back to the root folder.
    ASSERT_TRUE(FileBrowser::show("", dir.file("nowhere"),
                                  [&](const std::string& p) { answers.push_back("c" + p); }));
    EXPECT_EQ("/", FileBrowser::current()->getFolder());
    click("fileBrowserCancel");
    EXPECT_EQ("c", answers.back());
}

TEST_F(UiFileChooserTest, TheBrowserScrollsLongFoldersAndKeepsTouchesFromTheScene) {
    qptest::TempDir dir;
    for (int i = 0; i < 60; ++i)
        qptest::writeFile(dir.file("f" + std::to_string(100 + i) + ".dcm"), "x");
    Button* behind = Button::create();
    behind->ignoreContentAdaptWithSize(false);
    behind->setContentSize(Size(800, 600));
    behind->setPosition(Vec2(400, 300));
    bool pressedBehind = false;
    behind->addClickEventListener([&](Ref*) { pressedBehind = true; });
    scene->addChild(behind);

    ASSERT_TRUE(FileBrowser::show("", dir.path(), [](const std::string&) {}));
    FileBrowser* browser = FileBrowser::current();
    input->frame();
    EXPECT_EQ(nullptr, browser->getChildByNameDeep("f159.dcm")); // below the fold
    input->mouseMove(Vec2(400, 300));
    for (int i = 0; i < 30; ++i)
        input->mouseScroll(0, -1); // towards the user: down the list
    EXPECT_GT(browser->getFirstRow(), 0);
    EXPECT_NE(nullptr, browser->getChildByNameDeep("f159.dcm"));
    browser->scrollRows(-1000);
    EXPECT_EQ(0, browser->getFirstRow());

    input->touchBegan(0, Vec2(5, 5)); // outside the panel, on the dimmed screen
    input->touchEnded(0, Vec2(5, 5));
    EXPECT_FALSE(pressedBehind);
}

TEST_F(UiFileChooserTest, TheDesktopDialogRunsWithoutAShellAndAnswersOnTheMainThread) {
    // A stand-in for the desktop dialog program: it echoes its arguments back, one per line
    // ending in the start folder, or cancels (status 1) when the title says so.
    qptest::TempDir dir;
    std::string script = dir.file("zenity");
    qptest::writeFile(script, "#!/bin/sh\n"
                              "case \"$2\" in *cancel*) exit 1;; *broken*) exit 5;; esac\n"
                              "printf '%s|%s|%s\\n' \"$1\" \"$2\" \"$3\"\n");
    ASSERT_EQ(0, chmod(script.c_str(), 0755));
    const char* oldPath = std::getenv("PATH");
    const char* oldDisplay = std::getenv("DISPLAY");
    std::string savedPath = oldPath ? oldPath : "";
    std::string savedDisplay = oldDisplay ? oldDisplay : "";
    setenv("PATH", (dir.path() + ":" + savedPath).c_str(), 1);
    setenv("DISPLAY", ":77", 1);
    EXPECT_TRUE(FileChooser::hasDesktopDialog());

    auto ask = [&](const std::string& title) {
        std::string answer = "(none)";
        FileChooser::getInstance()->chooseFile(title, "/data/my $(rm -rf x) folder",
                                               [&](const std::string& p) { answer = p; });
        EXPECT_EQ("(none)", answer); // never at once: the frame loop delivers it
        for (int i = 0; i < 1000 && answer == "(none)"; ++i) { // up to 10 s on a busy machine
            usleep(10000);
            input->frame();
        }
        return answer;
    };
    // Names reach the program as they are: no shell ever reads them.
    EXPECT_EQ("--file-selection|--title=Import; echo hi|--filename=/data/my $(rm -rf x) folder/",
              ask("Import; echo hi"));
    EXPECT_EQ("", ask("cancel"));
    EXPECT_EQ("", ask("broken"));
    EXPECT_FALSE(FileChooser::getInstance()->isOpen());

    setenv("PATH", savedPath.c_str(), 1);
    if (oldDisplay)
        setenv("DISPLAY", savedDisplay.c_str(), 1);
    else
        unsetenv("DISPLAY");
}
