// File resolution along search paths, the writable path, folder handling, property lists and
// persistent settings.

#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "support/TestSupport.h"
#include "cocos2d.h"

using namespace cocos2d;

namespace {

// Each test gets a fresh FileUtils rooted in its own temporary folder.
class FilesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        FileUtils::destroyInstance();
        fu = FileUtils::getInstance();
        fu->setDefaultResourceRootPath(dir.path());
        fu->setWritablePath(dir.file("writable"));
    }
    void TearDown() override { FileUtils::destroyInstance(); }

    void put(const std::string& rel, const std::string& bytes)
    {
        std::string full = dir.file(rel);
        ASSERT_TRUE(fu->createDirectory(full.substr(0, full.find_last_of('/'))));
        ASSERT_TRUE(qptest::writeFile(full, bytes));
    }

    qptest::TempDir dir;
    FileUtils* fu = nullptr;
};

} // namespace

TEST_F(FilesTest, SearchPathsResolveInOrderWithRootLast)
{
    put("res/pad/a.png", "pad");
    put("UIRes/a.png", "ui");
    put("UIRes/b.png", "ui-b");
    put("c.png", "root");
    put("res/pad/hd/b.png", "hd-b");
    fu->setSearchPaths({"res/pad", "UIRes"});
    EXPECT_EQ(dir.file("res/pad/a.png"), fu->fullPathForFilename("a.png"));
    EXPECT_EQ(dir.file("UIRes/b.png"), fu->fullPathForFilename("b.png"));
    EXPECT_EQ(dir.file("c.png"), fu->fullPathForFilename("c.png"));
    EXPECT_EQ("", fu->fullPathForFilename("missing.png"));
    EXPECT_EQ("", fu->fullPathForFilename(""));

    fu->setSearchResolutionsOrder({"hd"});
    EXPECT_EQ(dir.file("res/pad/hd/b.png"), fu->fullPathForFilename("b.png"));

    fu->addSearchPath("UIRes", true);
    fu->setSearchResolutionsOrder({});
    EXPECT_EQ(dir.file("UIRes/a.png"), fu->fullPathForFilename("a.png"));
    EXPECT_EQ(dir.file("UIRes/a.png"), fu->fullPathForFilename(dir.file("UIRes/a.png")));
    EXPECT_EQ("ui", fu->getStringFromFile("a.png"));
}

TEST_F(FilesTest, CachedResolutionFollowsDeletedFiles)
{
    put("one/x.txt", "1");
    put("two/x.txt", "2");
    fu->setSearchPaths({"one", "two"});
    EXPECT_EQ("1", fu->getStringFromFile("x.txt"));
    ASSERT_EQ(0, unlink(dir.file("one/x.txt").c_str()));
    EXPECT_EQ("2", fu->getStringFromFile("x.txt"));
}

TEST_F(FilesTest, WritablePathComesFromEnvironment)
{
    fu->setWritablePath("");
    std::string saved = getenv("QP_WRITABLE_PATH") ? getenv("QP_WRITABLE_PATH") : "";
    setenv("QP_WRITABLE_PATH", dir.file("over").c_str(), 1);
    EXPECT_EQ(dir.file("over") + "/", fu->getWritablePath());
    EXPECT_TRUE(fu->isDirectoryExist(dir.file("over")));

    unsetenv("QP_WRITABLE_PATH");
    setenv("XDG_DATA_HOME", dir.file("xdg").c_str(), 1);
    EXPECT_EQ(dir.file("xdg") + "/dicom-workstation/", fu->getWritablePath());

    unsetenv("XDG_DATA_HOME");
    std::string home = getenv("HOME") ? getenv("HOME") : "";
    setenv("HOME", dir.file("home").c_str(), 1);
    EXPECT_EQ(dir.file("home") + "/.local/share/dicom-workstation/", fu->getWritablePath());
    setenv("HOME", home.c_str(), 1);
    if (!saved.empty()) setenv("QP_WRITABLE_PATH", saved.c_str(), 1);
}

TEST_F(FilesTest, FoldersAreCreatedAndRemovedRecursivelyWithoutFollowingLinks)
{
    std::string deep = dir.file("a/b/c/d");
    ASSERT_TRUE(fu->createDirectory(deep));
    EXPECT_TRUE(fu->isDirectoryExist(deep));
    EXPECT_TRUE(fu->createDirectory(deep)); // already there
    put("a/b/file.txt", "x");
    EXPECT_FALSE(fu->createDirectory(dir.file("a/b/file.txt/sub")));

    // A link inside the tree that points outside it: removing the tree must keep the target.
    put("keep/precious.txt", "keep");
    ASSERT_EQ(0, symlink(dir.file("keep").c_str(), dir.file("a/b/c/link").c_str()));
    EXPECT_TRUE(fu->removeDirectory(dir.file("a")));
    EXPECT_FALSE(fu->isDirectoryExist(dir.file("a")));
    EXPECT_EQ("keep", qptest::readFile(dir.file("keep/precious.txt")));
    EXPECT_FALSE(fu->removeDirectory(dir.file("a")));
}

TEST_F(FilesTest, ReadWriteAndSizes)
{
    std::string path = dir.file("data.bin");
    std::string bytes("a\0b", 3);
    ASSERT_TRUE(fu->writeStringToFile(bytes, path));
    EXPECT_EQ(3, fu->getFileSize(path));
    EXPECT_EQ(-1, fu->getFileSize(dir.file("none")));
    Data d = fu->getDataFromFile(path);
    ASSERT_EQ(3, d.getSize());
    EXPECT_EQ('b', d.getBytes()[2]);
    EXPECT_TRUE(fu->isFileExist(path));
    EXPECT_FALSE(fu->isFileExist(dir.path())); // a folder is not a file
    EXPECT_TRUE(fu->getDataFromFile(dir.path()).isNull());
    EXPECT_FALSE(fu->writeStringToFile("x", dir.file("no/such/folder/f")));
    // A sparse 2 GiB file costs no disk; its size alone must refuse it, before any allocation.
    std::string huge = dir.file("huge.bin");
    ASSERT_TRUE(fu->writeStringToFile("", huge));
    ASSERT_EQ(0, truncate(huge.c_str(), 2LL * 1024 * 1024 * 1024));
    EXPECT_TRUE(fu->getDataFromFile(huge).isNull());
    EXPECT_EQ("", fu->getStringFromFile(huge));
    // The device that is always full: the error only shows when the buffers are flushed.
    if (access("/dev/full", W_OK) == 0) {
        EXPECT_FALSE(fu->writeStringToFile("x", "/dev/full"));
    }
    EXPECT_EQ(".png", fu->getFileExtension("/x.y/Photo.PNG"));
    EXPECT_EQ("", fu->getFileExtension("/x.y/noext"));
}

TEST_F(FilesTest, PropertyListsReadIntoMapsAndLists)
{
    put("lang.plist", R"(<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE plist PUBLIC "-//Apple//DTD PLIST 1.0//EN" "http://www.apple.com/DTDs/PropertyList-1.0.dtd">
<plist version="1.0">
<!-- tables -->
<dict>
  <key>english</key>
  <dict>
    <key>ok</key><string>OK &amp; go &lt;now&gt; &#x263A;</string>
    <key>count</key><integer>42</integer>
    <key>scale</key><real>1.5</real>
    <key>on</key><true/>
    <key>off</key><false/>
    <key>raw</key><data>aGk=</data>
    <key>cdata</key><string><![CDATA[a<b]]></string>
    <key>empty</key><string/>
  </dict>
  <key>list</key>
  <array><string>a</string><integer>-3</integer><array/></array>
</dict>
</plist>)");
    ValueMap root = fu->getValueMapFromFile("lang.plist");
    ASSERT_EQ(2u, root.size());
    const ValueMap& en = root["english"].asValueMap();
    EXPECT_EQ("OK & go <now> \xE2\x98\xBA", en.at("ok").asString());
    EXPECT_EQ(Value::Type::INTEGER, en.at("count").getType());
    EXPECT_EQ("42", en.at("count").asString());
    EXPECT_EQ("1.5", en.at("scale").asString());
    EXPECT_EQ("true", en.at("on").asString());
    EXPECT_FALSE(en.at("off").asBool());
    EXPECT_EQ("hi", en.at("raw").asString());
    EXPECT_EQ("a<b", en.at("cdata").asString());
    EXPECT_EQ("", en.at("empty").asString());
    const ValueVector& list = root["list"].asValueVector();
    ASSERT_EQ(3u, list.size());
    EXPECT_EQ(-3, list[1].asInt());
    EXPECT_TRUE(fu->getValueVectorFromFile("lang.plist").empty()); // root is a map

    ASSERT_TRUE(fu->writeValueMapToFile(root, dir.file("copy.plist")));
    EXPECT_TRUE(Value(root) == Value(fu->getValueMapFromFile(dir.file("copy.plist"))));
}

TEST_F(FilesTest, MalformedPropertyListsGiveNothing)
{
    const char* bad[] = {
        "<plist><dict><key>a</key></dict></plist>",           // key without value
        "<plist><dict><key>a</key><string>x</dict></plist>",  // mismatched tags
        "<plist><dict><key>a</key><integer>1x</integer></dict></plist>",
        "<plist><dict><key>a</key><string>&bogus;</string></dict></plist>",
        "<plist><dict><key>a</key><string>x</string></dict>", // unterminated
        "<plist><foo/></plist>",
        "",
    };
    for (const char* text : bad) {
        EXPECT_TRUE(fu->getValueMapFromData(text, static_cast<int>(strlen(text))).empty()) << text;
    }
    // Deep nesting is refused instead of exhausting the stack.
    std::string deep = "<plist>";
    for (int i = 0; i < 100000; ++i) deep += "<array>";
    EXPECT_TRUE(fu->getValueMapFromData(deep.data(), static_cast<int>(deep.size())).empty());
}

TEST_F(FilesTest, SettingsRoundTripThroughTheFile)
{
    UserDefault::destroyInstance();
    UserDefault* ud = UserDefault::getInstance();
    EXPECT_EQ(dir.file("writable") + "/UserDefault.xml", UserDefault::getXMLFilePath());
    EXPECT_EQ("dflt", ud->getStringForKey("name", "dflt"));
    EXPECT_EQ(7, ud->getIntegerForKey("n", 7));
    ud->setStringForKey("name", "a<b>&c");
    ud->setStringForKey("Zm9vYg==", "base64+/key");
    ud->setIntegerForKey("n", -42);
    ud->setBoolForKey("flag", true);
    ud->setFloatForKey("f", 0.25f);
    ud->setDoubleForKey("d", 1e-9);
    ud->setStringForKey("gone", "x");
    ud->deleteValueForKey("gone");
    EXPECT_TRUE(ud->flush());

    UserDefault::destroyInstance();
    ud = UserDefault::getInstance();
    EXPECT_EQ("a<b>&c", ud->getStringForKey("name"));
    EXPECT_EQ("base64+/key", ud->getStringForKey("Zm9vYg=="));
    EXPECT_EQ(-42, ud->getIntegerForKey("n"));
    EXPECT_TRUE(ud->getBoolForKey("flag"));
    EXPECT_FLOAT_EQ(0.25f, ud->getFloatForKey("f"));
    EXPECT_DOUBLE_EQ(1e-9, ud->getDoubleForKey("d"));
    EXPECT_EQ("none", ud->getStringForKey("gone", "none"));
    UserDefault::destroyInstance();
}

TEST_F(FilesTest, SettingsFileIsReplacedWholeAndCorruptFilesAreSetAside)
{
    UserDefault::destroyInstance();
    std::string path = UserDefault::getXMLFilePath();
    ASSERT_TRUE(qptest::writeFile(path, "<plist><dict><key>a</key>"));
    UserDefault* ud = UserDefault::getInstance();
    EXPECT_EQ("", ud->getStringForKey("a"));
    EXPECT_TRUE(fu->isFileExist(path + ".corrupt"));

    // Rewrites go through a new file renamed over the old one: the inode changes and no
    // temporary file is left behind.
    ud->setStringForKey("k", "v1");
    struct stat before;
    ASSERT_EQ(0, stat(path.c_str(), &before));
    ud->setStringForKey("k", "v2");
    struct stat after;
    ASSERT_EQ(0, stat(path.c_str(), &after));
    EXPECT_NE(before.st_ino, after.st_ino);
    for (const auto& f : fu->listFiles(dir.file("writable"))) {
        EXPECT_EQ(std::string::npos, f.find(".tmp")) << f;
    }
    UserDefault::destroyInstance();
}

TEST_F(FilesTest, SettingsAreSafeFromManyThreads)
{
    UserDefault::destroyInstance();
    UserDefault* ud = UserDefault::getInstance();
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([ud, t] {
            for (int i = 0; i < 25; ++i) {
                std::string key = "k" + std::to_string(t) + "_" + std::to_string(i);
                ud->setIntegerForKey(key.c_str(), i);
                EXPECT_EQ(i, ud->getIntegerForKey(key.c_str()));
            }
        });
    }
    for (auto& th : threads) th.join();
    UserDefault::destroyInstance();
    ud = UserDefault::getInstance();
    EXPECT_EQ(24, ud->getIntegerForKey("k3_24"));
    UserDefault::destroyInstance();
}

TEST_F(FilesTest, RenameRemoveAndListWithoutFollowingLinks)
{
    put("dir/a.txt", "a");
    put("dir/sub/b.txt", "b");
    ASSERT_EQ(0, symlink(dir.file("dir/sub").c_str(), dir.file("dir/link").c_str()));
    std::vector<std::string> entries = fu->listFiles(dir.file("dir"));
    ASSERT_EQ(3u, entries.size());
    EXPECT_EQ(dir.file("dir/a.txt"), entries[0]);
    EXPECT_EQ(dir.file("dir/link"), entries[1]); // a link to a folder is not listed as a folder
    EXPECT_EQ(dir.file("dir/sub/"), entries[2]);
    EXPECT_TRUE(fu->listFiles(dir.file("missing")).empty());

    EXPECT_TRUE(fu->renameFile(dir.file("dir"), "a.txt", "c.txt"));
    EXPECT_TRUE(fu->isFileExist(dir.file("dir/c.txt")));
    EXPECT_FALSE(fu->renameFile(dir.file("dir/none"), dir.file("dir/x")));
    EXPECT_TRUE(fu->removeFile(dir.file("dir/c.txt")));
    EXPECT_FALSE(fu->removeFile(dir.file("dir/c.txt")));
    EXPECT_FALSE(fu->removeDirectory(dir.file("dir/link"))); // a link is not a folder to empty
    EXPECT_TRUE(fu->isFileExist(dir.file("dir/sub/b.txt")));
}

TEST_F(FilesTest, ListsAndAbsoluteSearchPathsRoundTrip)
{
    ValueVector list{Value("x"), Value(3), Value(2.5), Value(false), Value(ValueMap{{"k", Value("v")}})};
    ASSERT_TRUE(fu->writeValueVectorToFile(list, dir.file("list.plist")));
    ValueVector back = fu->getValueVectorFromFile(dir.file("list.plist"));
    EXPECT_TRUE(Value(list) == Value(back));
    EXPECT_TRUE(fu->getValueMapFromFile(dir.file("list.plist")).empty()); // root is a list

    qptest::TempDir other;
    ASSERT_TRUE(qptest::writeFile(other.file("far.txt"), "far"));
    fu->setSearchPaths({other.path()});
    EXPECT_EQ(other.file("far.txt"), fu->fullPathForFilename("far.txt"));
    EXPECT_EQ(std::vector<std::string>({other.path() + "/", dir.path() + "/"}), fu->getSearchPaths());
    EXPECT_EQ(3, fu->getFileSize("far.txt"));
}
