// Zip tool: round trips, stored names, cancelling, and archives built to escape the target.

#include "notify/NSNotificationCenter.h"
#include "support/TestSupport.h"
#include "util/FileHelpers.h"
#include "zip/ZipEntryName.h"
#include "zip/ZipTool.h"

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using qptest::TempDir;

namespace {

std::string run(const std::string& command)
{
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return out;
    char buffer[4096];
    size_t got;
    while ((got = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        out.append(buffer, got);
    pclose(pipe);
    return out;
}

// Entry names of an archive, one a line, sorted, as another zip reader sees them.
std::string entryNames(const std::string& archive)
{
    return run("/usr/bin/python3 -c 'import sys,zipfile; "
               "print(\"\\n\".join(sorted(zipfile.ZipFile(sys.argv[1]).namelist())))' " +
               archive);
}

// Builds an archive with python's zipfile: each entry is "name=content" or "link:name=target".
void makeArchive(const std::string& archive, const std::vector<std::string>& entries)
{
    std::string script =
        "import sys,zipfile\n"
        "z=zipfile.ZipFile(sys.argv[1],'w')\n"
        "for entry in sys.argv[2:]:\n"
        "  name,data=entry.split('=',1)\n"
        "  if name.startswith('link:'):\n"
        "    i=zipfile.ZipInfo(name[5:]); i.create_system=3; i.external_attr=0o120777<<16\n"
        "    z.writestr(i,data)\n"
        "  else:\n"
        "    z.writestr(zipfile.ZipInfo(name),data)\n"
        "z.close()\n";
    TempDir scratch;
    ASSERT_TRUE(qptest::writeFile(scratch.file("make.py"), script));
    std::string command = "/usr/bin/python3 " + scratch.file("make.py") + " '" + archive + "'";
    for (const auto& e : entries)
        command += " '" + e + "'";
    ASSERT_EQ(system(command.c_str()), 0);
}

bool exists(const std::string& path)
{
    struct stat st {};
    return lstat(path.c_str(), &st) == 0;
}

} // namespace

TEST(ZipTool, FolderRoundTripKeepsNamesAndBytes)
{
    TempDir dir;
    const std::string study = dir.file("data/study");
    std::string binary(70000, '\0');
    for (size_t i = 0; i < binary.size(); ++i)
        binary[i] = static_cast<char>((i * 31) ^ (i >> 7));
    ASSERT_TRUE(writeStringToFile((study + "/one.dcm").c_str(), binary));
    ASSERT_TRUE(writeStringToFile((study + "/series/two.dcm").c_str(), "second"));
    ASSERT_TRUE(writeStringToFile((study + "/empty.dcm").c_str(), ""));

    const std::string archive = dir.file("out/share/study.zip");
    ASSERT_TRUE(zipFolder(archive, study + "/", ""));
    EXPECT_EQ(entryNames(archive), "study/empty.dcm\nstudy/one.dcm\nstudy/series/two.dcm\n");

    const std::string target = dir.file("unpacked");
    ASSERT_TRUE(unzipFile(archive, target, ""));
    EXPECT_EQ(qptest::readFile(target + "/study/one.dcm"), binary);
    EXPECT_EQ(qptest::readFile(target + "/study/series/two.dcm"), "second");
    EXPECT_TRUE(exists(target + "/study/empty.dcm"));

    // Unpacking again replaces changed files.
    ASSERT_TRUE(writeStringToFile((target + "/study/series/two.dcm").c_str(), "changed"));
    ASSERT_TRUE(unzipFile(archive, target + "/", ""));
    EXPECT_EQ(qptest::readFile(target + "/study/series/two.dcm"), "second");
}

TEST(ZipTool, ProgressBeforeEachFileReachesTheMainThread)
{
    TempDir dir;
    for (const char* name : {"a", "b", "c"})
        ASSERT_TRUE(writeStringToFile(dir.file(std::string("three/") + name).c_str(), name));
    auto* centre = NSUI::NSNotificationCenter::getInstance();
    auto* director = cocos2d::Director::getInstance();
    director->mainLoop(0.6f); // the centre's first tick comes after half a second
    std::vector<int> progress;
    int owner = 0;
    centre->addObserver(&owner, nullptr,
                        [&progress](cocos2d::Ref*, unsigned, NSUI::NSNotificationData* data) {
                            progress.push_back(data->intValue);
                        },
                        1001);
    std::thread packer([&] { EXPECT_TRUE(zipFolder(dir.file("p.zip"), dir.file("three"), "")); });
    packer.join();
    EXPECT_TRUE(progress.empty()); // nothing runs on the packing thread
    for (int i = 0; i < 3; ++i)
        director->mainLoop(1.0f / 60.0f);
    EXPECT_EQ(progress, (std::vector<int> {0, 33, 66}));
    centre->removeObserver(&owner);
    NSUI::NSNotificationCenter::destroyInstance();
}

TEST(ZipTool, PasswordsAreRefusedNotWrittenBroken)
{
    TempDir dir;
    ASSERT_TRUE(writeStringToFile(dir.file("f/secret.txt").c_str(), std::string(5000, 's')));
    EXPECT_FALSE(zipFolder(dir.file("s.zip"), dir.file("f"), "pw"));

    // An archive encrypted elsewhere cannot be read here: it fails cleanly, nothing half-written.
    ASSERT_EQ(system(("cd " + dir.path() + " && /usr/bin/python3 - <<'PY'\n"
                      "import zipfile\n"
                      "z=zipfile.ZipFile('enc.zip','w'); i=zipfile.ZipInfo('f/secret.txt')\n"
                      "z.writestr(i, b'x'*12+b'data'); z.close()\n"
                      "d=bytearray(open('enc.zip','rb').read()); d[6]|=1; d[d.find(b'PK\\x01\\x02')+8]|=1\n"
                      "open('enc.zip','wb').write(d)\nPY").c_str()), 0);
    EXPECT_FALSE(unzipFile(dir.file("enc.zip"), dir.file("out"), ""));
    EXPECT_FALSE(unzipFile(dir.file("enc.zip"), dir.file("out"), "pw"));
    EXPECT_FALSE(exists(dir.file("out/f/secret.txt")));

    // A password given for a plain archive is not needed and does no harm.
    ASSERT_TRUE(zipFolder(dir.file("plain.zip"), dir.file("f"), ""));
    ASSERT_TRUE(unzipFile(dir.file("plain.zip"), dir.file("p"), "unused"));
    EXPECT_EQ(qptest::readFile(dir.file("p/f/secret.txt")), std::string(5000, 's'));
}

TEST(ZipTool, SingleFileAndArchiveNameWithoutExtension)
{
    TempDir dir;
    ASSERT_TRUE(writeStringToFile(dir.file("a/report.txt").c_str(), "r"));
    ASSERT_TRUE(zipFolder(dir.file("packed"), dir.file("a/report.txt"), ""));
    EXPECT_TRUE(exists(dir.file("packed.zip")));
    EXPECT_EQ(entryNames(dir.file("packed.zip")), "report.txt\n");

    // The unpacker finds the archive with ".zip" appended, and extracts one named entry.
    std::string archive = dir.file("packed");
    std::string target = dir.file("one");
    char* argv[] = {(char*)".", (char*)"-o", &archive[0], (char*)"report.txt", (char*)"-d",
                    &target[0], nullptr};
    EXPECT_EQ(unzipMain(6, argv), 0);
    EXPECT_EQ(qptest::readFile(target + "/report.txt"), "r");
    char missingEntry[] = "nope.txt";
    argv[3] = missingEntry;
    EXPECT_EQ(unzipMain(6, argv), 2);

    char* noArchive[] = {(char*)".", (char*)"-o", nullptr};
    EXPECT_EQ(unzipMain(2, noArchive), 1);
    EXPECT_EQ(unzipMain(1, noArchive), 0);
    EXPECT_FALSE(unzipFile(dir.file("missing.zip"), target, ""));
    EXPECT_FALSE(unzipFile(dir.file("packed.zip"), "", ""));
}

TEST(ZipTool, FilesOutsideTheBaseAreReportedNotSilentlyDropped)
{
    TempDir dir;
    ASSERT_TRUE(writeStringToFile(dir.file("base/in.txt").c_str(), "in"));
    ASSERT_TRUE(writeStringToFile(dir.file("other/out.txt").c_str(), "out"));
    std::string archive = dir.file("x.zip"), base = dir.file("base");
    std::string in = dir.file("base/in.txt"), out = dir.file("other/out.txt");
    std::string missing = dir.file("base/missing.txt");
    char* argv[] = {(char*)".", (char*)"-o", &archive[0], &base[0], &out[0], &in[0], nullptr};
    EXPECT_NE(zipMain(6, argv), 0);
    EXPECT_EQ(entryNames(archive), "in.txt\n"); // the later file is still packed

    char* argv2[] = {(char*)".", (char*)"-o", &archive[0], &base[0], &missing[0], nullptr};
    EXPECT_NE(zipMain(5, argv2), 0);
}

TEST(ZipTool, CancelStopsBeforeTheNextFileAndClosesTheArchive)
{
    TempDir dir;
    std::string base = dir.path(), archive = dir.file("c.zip");
    std::string first = dir.file("1.txt"), pipe = dir.file("2.pipe"), third = dir.file("3.txt");
    ASSERT_TRUE(writeStringToFile(first.c_str(), "1"));
    ASSERT_TRUE(writeStringToFile(third.c_str(), "3"));
    ASSERT_EQ(mkfifo(pipe.c_str(), 0644), 0);

    // The pack blocks reading the pipe; by then the first file is in. Cancelling then lets
    // it finish the pipe's entry and stop before the third.
    zipCancelRequested = 1; // a stale request from before must not stop the new pack
    int result = 0;
    char* argv[] = {(char*)".", (char*)"-o", &archive[0], &base[0], &first[0], &pipe[0], &third[0],
                    nullptr};
    std::thread packer([&] { result = zipMain(7, argv); });
    const int fd = open(pipe.c_str(), O_WRONLY); // waits until the pack opens the pipe
    ASSERT_GE(fd, 0);
    zipCancelFlag = 1;
    ASSERT_EQ(write(fd, "2", 1), 1);
    close(fd);
    packer.join();
    EXPECT_EQ(result, kZipCancelled);
    EXPECT_EQ(entryNames(archive), "1.txt\n2.pipe\n");
}

TEST(ZipSlip, HostileArchivesWriteNothingOutsideOrInside)
{
    const std::vector<std::string> hostile = {
        "../evil.txt=x", "/abs_evil.txt=x", "C:/drive_evil.txt=x", "a/../../evil2.txt=x",
        "a\\..\\..\\evil3.txt=x", "link:innocent=/etc/passwd"};
    for (const auto& bad : hostile) {
        TempDir dir;
        const std::string archive = dir.file("bad.zip");
        makeArchive(archive, {"good/first.txt=ok", bad, "good/last.txt=ok"});
        const std::string target = dir.file("target/inner");
        EXPECT_FALSE(unzipFile(archive, target, "")) << bad;
        EXPECT_FALSE(exists(dir.file("target/evil.txt"))) << bad;
        EXPECT_FALSE(exists(dir.file("evil2.txt"))) << bad;
        EXPECT_FALSE(exists("/abs_evil.txt")) << bad;
        EXPECT_FALSE(exists(target + "/innocent")) << bad;
        // The archive is refused whole: not even its harmless entries are written.
        EXPECT_FALSE(exists(target + "/good/first.txt")) << bad;

        std::string a = archive, t = target;
        char* argv[] = {(char*)".", (char*)"-x", &a[0], (char*)"-d", &t[0], nullptr};
        EXPECT_EQ(unzipMain(5, argv), kUnzipUnsafeEntry) << bad;
    }
}

TEST(ZipSlip, NamesThatLookOddButStayInsideAreAccepted)
{
    using NSUI::isSafeZipEntryName;
    EXPECT_TRUE(isSafeZipEntryName("a/b/c.dcm"));
    EXPECT_TRUE(isSafeZipEntryName("a/..b/c..d/..."));
    EXPECT_TRUE(isSafeZipEntryName("./a"));
    EXPECT_TRUE(isSafeZipEntryName("folder/"));
    EXPECT_FALSE(isSafeZipEntryName(".."));
    EXPECT_FALSE(isSafeZipEntryName("a/.."));
    EXPECT_FALSE(isSafeZipEntryName("\\\\server\\share"));
    EXPECT_FALSE(isSafeZipEntryName(std::string("a\0/../b", 7)));

    TempDir dir;
    makeArchive(dir.file("ok.zip"), {"dir/=", "dir\\win\\name.txt=w", "..dots..=d"});
    ASSERT_TRUE(unzipFile(dir.file("ok.zip"), dir.file("t"), ""));
    EXPECT_EQ(qptest::readFile(dir.file("t/dir/win/name.txt")), "w");
    EXPECT_EQ(qptest::readFile(dir.file("t/..dots..")), "d");

    // A link planted where a file goes is replaced, not written through.
    ASSERT_TRUE(writeStringToFile(dir.file("victim.txt").c_str(), "safe"));
    ASSERT_EQ(symlink(dir.file("victim.txt").c_str(), dir.file("t/..dots..x").c_str()), 0);
    makeArchive(dir.file("over.zip"), {"..dots..x=new"});
    ASSERT_TRUE(unzipFile(dir.file("over.zip"), dir.file("t"), ""));
    EXPECT_EQ(qptest::readFile(dir.file("victim.txt")), "safe");
    EXPECT_EQ(qptest::readFile(dir.file("t/..dots..x")), "new");
}

TEST(ZipTool, FileCrc)
{
    TempDir dir;
    ASSERT_TRUE(writeStringToFile(dir.file("f").c_str(), "123456789"));
    char buffer[4];
    unsigned long crc = 1;
    EXPECT_EQ(zipFileCrc(dir.file("f").c_str(), buffer, sizeof buffer, &crc), 0);
    EXPECT_EQ(crc, 0xCBF43926ul); // the CRC-32 check value
    EXPECT_EQ(zipFileCrc(dir.file("missing").c_str(), buffer, sizeof buffer, &crc), -1);
    EXPECT_EQ(crc, 0ul);
}
