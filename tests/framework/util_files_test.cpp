// Whole-file reading and writing, copies, listings and file times.

#include "platform/FileUtils.h"
#include "support/TestSupport.h"
#include "util/FileHelpers.h"

#include <algorithm>
#include <cstring>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using qptest::TempDir;

namespace {
std::vector<std::string> sorted(std::vector<std::string> v)
{
    std::sort(v.begin(), v.end());
    return v;
}
} // namespace

TEST(ReadFileData, BinaryTextAndPadding)
{
    TempDir dir;
    const std::string bytes("ab\0cd", 5);
    ASSERT_TRUE(qptest::writeFile(dir.file("f.bin"), bytes));
    int size = -1;
    char* data = readFileData(dir.file("f.bin").c_str(), size, true);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(size, 5);
    EXPECT_EQ(std::string(data, 5), bytes);
    for (int i = 5; i < 15; ++i)
        EXPECT_EQ(data[i], 0) << "padding byte " << i;
    delete[] data;

    data = readFileData(dir.file("f.bin").c_str(), size, false);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(size, 2);
    EXPECT_STREQ(data, "ab");
    delete[] data;
}

TEST(ReadFileData, ResourceNamesAreFoundOnTheSearchPaths)
{
    TempDir dir;
    ASSERT_TRUE(writeStringToFile(dir.file("res/pad/table.plist").c_str(), "found"));
    auto* files = cocos2d::FileUtils::getInstance();
    const auto saved = files->getSearchPaths();
    files->addSearchPath(dir.file("res/pad"));
    int size = 0;
    char* data = readFileData("table.plist", size, false);
    files->setSearchPaths(saved);
    ASSERT_NE(data, nullptr);
    EXPECT_STREQ(data, "found");
    delete[] data;
}

TEST(ReadFileData, MissingEmptyAndHugeGiveNull)
{
    TempDir dir;
    int size = 7;
    EXPECT_EQ(readFileData(dir.file("missing").c_str(), size, true), nullptr);
    EXPECT_EQ(size, 0);
    ASSERT_TRUE(qptest::writeFile(dir.file("empty"), ""));
    EXPECT_EQ(readFileData(dir.file("empty").c_str(), size, true), nullptr);
    EXPECT_EQ(readFileData(dir.path().c_str(), size, true), nullptr);

    // A sparse 2 GiB file takes no disk space; its size alone must refuse it.
    const std::string huge = dir.file("huge");
    int fd = open(huge.c_str(), O_CREAT | O_WRONLY, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(ftruncate(fd, 0x80000000LL), 0);
    close(fd);
    size = 7;
    EXPECT_EQ(readFileData(huge.c_str(), size, true), nullptr);
    EXPECT_EQ(size, 0);
}

TEST(WriteBufferToFile, CreatesFoldersAndReportsFailedWrites)
{
    TempDir dir;
    const std::string deep = dir.file("a/b/c.txt");
    ASSERT_TRUE(writeStringToFile(deep.c_str(), "hello"));
    EXPECT_EQ(qptest::readFile(deep), "hello");
    ASSERT_TRUE(writeBufferToFile(deep.c_str(), nullptr, 0));
    EXPECT_EQ(qptest::readFile(deep), "");

    // A device that is always full fails at the write or at the close, never silently.
    EXPECT_FALSE(writeStringToFile("/dev/full", std::string(100000, 'x')));
    EXPECT_FALSE(writeBufferToFile(dir.path().c_str(), "x", 1));
    EXPECT_FALSE(writeBufferToFile(deep.c_str(), nullptr, 5));
    // A file in the way of a folder.
    EXPECT_FALSE(writeStringToFile((deep + "/under/file").c_str(), "x"));
}

TEST(CopyFile, EmptyLargeAndSameFile)
{
    TempDir dir;
    ASSERT_TRUE(qptest::writeFile(dir.file("empty"), ""));
    EXPECT_TRUE(copyFile(dir.file("empty"), dir.file("out/empty")));
    EXPECT_EQ(access(dir.file("out/empty").c_str(), F_OK), 0);

    std::string big(300000, '\0');
    for (size_t i = 0; i < big.size(); ++i)
        big[i] = static_cast<char>(i * 7);
    ASSERT_TRUE(qptest::writeFile(dir.file("big"), big));
    EXPECT_TRUE(copyFile(dir.file("big"), dir.file("x/y/big")));
    EXPECT_EQ(qptest::readFile(dir.file("x/y/big")), big);

    // The same file under another spelling keeps its contents.
    EXPECT_TRUE(copyFile(dir.file("big"), dir.path() + "//./big"));
    EXPECT_EQ(qptest::readFile(dir.file("big")), big);

    EXPECT_FALSE(copyFile(dir.file("missing"), dir.file("never")));
    EXPECT_NE(access(dir.file("never").c_str(), F_OK), 0);
}

TEST(CopyDirectory, CopiesTheTree)
{
    TempDir dir;
    ASSERT_TRUE(writeStringToFile(dir.file("src/a.txt").c_str(), "A"));
    ASSERT_TRUE(writeStringToFile(dir.file("src/sub/b.txt").c_str(), "B"));
    ASSERT_TRUE(writeStringToFile(dir.file("src/sub/deeper/c.txt").c_str(), ""));
    ASSERT_TRUE(copyDirectory(dir.file("src"), dir.file("dst/")));
    EXPECT_EQ(qptest::readFile(dir.file("dst/a.txt")), "A");
    EXPECT_EQ(qptest::readFile(dir.file("dst/sub/b.txt")), "B");
    EXPECT_EQ(access(dir.file("dst/sub/deeper/c.txt").c_str(), F_OK), 0);
}

TEST(ListFiles, DotFoldersLinksAndSpecialFiles)
{
    TempDir dir;
    const std::string root = dir.file("root");
    ASSERT_TRUE(writeStringToFile((root + "/a.dcm").c_str(), "1"));
    ASSERT_TRUE(writeStringToFile((root + "/.hidden").c_str(), "1"));
    ASSERT_TRUE(writeStringToFile((root + "/sub/b").c_str(), "1"));
    ASSERT_TRUE(writeStringToFile((root + "/.cache/c").c_str(), "1"));
    ASSERT_EQ(symlink(root.c_str(), (root + "/sub/loop").c_str()), 0);
    ASSERT_EQ(symlink((root + "/a.dcm").c_str(), (root + "/link.dcm").c_str()), 0);
    ASSERT_EQ(mkfifo((root + "/pipe").c_str(), 0644), 0);

    std::vector<std::string> out;
    listFiles(root + "/", out, true, false);
    EXPECT_EQ(sorted(out), (std::vector<std::string> {".hidden", "a.dcm", "b", "link.dcm"}));
    out.clear();
    listFiles(root, out, false, true);
    EXPECT_EQ(sorted(out), (std::vector<std::string> {root + "/.hidden", root + "/a.dcm",
                                                       root + "/link.dcm"}));
    out.clear();
    listFiles("", out, true, true);
    listFiles(dir.file("missing"), out, true, true);
    EXPECT_TRUE(out.empty());

    std::vector<std::string> dirs;
    listSubDirectories(root, dirs);
    EXPECT_EQ(dirs, (std::vector<std::string> {"sub"}));
    dirs.clear();
    listSubDirectories(root, dirs, true);
    EXPECT_EQ(dirs, (std::vector<std::string> {root + "/sub"}));
}

TEST(FileTimes, CreateTimeTextAndPlatformHooks)
{
    TempDir dir;
    ASSERT_TRUE(qptest::writeFile(dir.file("f"), "x"));
    const std::string text = getFileCreateTime(dir.file("f"));
    int y, mo, d, h, mi, s;
    ASSERT_EQ(std::sscanf(text.c_str(), "%d.%d.%d %d:%d:%d", &y, &mo, &d, &h, &mi, &s), 6) << text;
    EXPECT_GE(y, 2024);
    EXPECT_EQ(getFileCreateTime(""), "");
    EXPECT_EQ(getFileCreateTime(dir.file("missing")).size(), 19u); // the current time text
    EXPECT_EQ(getPlatformPath(), "");
    EXPECT_EQ(getPlatformPath("s", "b", "x"), "");
}
