// Store folders built from tags stay inside the store and apart; files are placed safely;
// images written by the convertor read back.

#include "read_helpers.h"

#include "dcmConvertor.h"
#include "dcmFileRecord.h"
#include "dcmReader.h"
#include "dcmServer.h"
#include "support/FolderWatch.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <set>
#include <string>
#include <thread>
#include <vector>

using namespace dcmSDK;
namespace fs = std::filesystem;

namespace {

std::string folderOf(const char* name, const char* id, const char* study, const char* series)
{
    char out[1024];
    memset(out, 'x', sizeof out);
    EXPECT_TRUE(dcmServer::getDicomFolder(name, id, study, series, out));
    EXPECT_LT(strnlen(out, sizeof out), sizeof out);
    return out;
}

// Every component of a relative path is a real name: no "", ".", ".." or separators inside.
void expectSafeRelative(const std::string& folder)
{
    ASSERT_FALSE(folder.empty());
    EXPECT_NE(folder[0], '/');
    EXPECT_EQ(folder.find('\\'), std::string::npos);
    size_t start = 0;
    int parts = 0;
    while (start <= folder.size()) {
        size_t slash = folder.find('/', start);
        std::string part = folder.substr(start, slash == std::string::npos ? std::string::npos : slash - start);
        EXPECT_FALSE(part.empty()) << folder;
        EXPECT_NE(part, ".");
        EXPECT_NE(part, "..");
        EXPECT_LE(part.size(), 255u);
        for (unsigned char c : part)
            EXPECT_GE(c, 0x20) << folder;
        ++parts;
        if (slash == std::string::npos)
            break;
        start = slash + 1;
    }
    EXPECT_EQ(parts, 3) << folder;
}

} // namespace

TEST(ReadStore, FolderNamesAreSafeWhateverTheTagsHold)
{
    const std::string longName(2000, 'N');
    for (const auto& t : std::vector<std::vector<std::string>>{
             {"Doe^John", "12345", "1.2.3", "1.2.3.4"},
             {"../../etc", "..", ".", "/abs/path"},
             {"a\\b", "c/d", "\x01\x02\n", "\x7f"},
             {"", "", "", ""},
             {longName, longName, longName, longName},
             {"\xe7\x8e\x8b\xe5\xb0\x8f\xe6\x98\x8e", "ID", "1.2", "1.3"}}) {
        std::string f = folderOf(t[0].c_str(), t[1].c_str(), t[2].c_str(), t[3].c_str());
        SCOPED_TRACE(f);
        expectSafeRelative(f);
    }
    EXPECT_EQ(folderOf("Doe^John", "12345", "1.2.3", "1.2.3.4"), "Doe^John_12345/1.2.3/1.2.3.4");
    EXPECT_EQ(folderOf(nullptr, nullptr, nullptr, nullptr), folderOf("", "", "", ""));
    EXPECT_FALSE(dcmServer::getDicomFolder("a", "b", "c", "d", nullptr));
}

TEST(ReadStore, DifferentPatientsNeverShareAFolder)
{
    // Pairs that a plain "replace the bad characters" rule or a plain join would merge.
    const std::vector<std::pair<std::string, std::string>> patients = {
        {"a_b", "c"},   {"a", "b_c"},   {"a/b", "c"},     {"a\\b", "c"},  {"a%2Fb", "c"},
        {"a", ""},      {"", "a"},      {"%", ""},        {"", ""},       {".x", "y"},
        {"%2Ex", "y"},  {"a b", "c"},   {"a%20b", "c"},   {"a~b", "c"},   {"a?b", "c"},
        {"a*b", "c"},   {std::string(300, 'z') + "1", "c"}, {std::string(300, 'z') + "2", "c"}};
    std::set<std::string> seen;
    for (const auto& p : patients) {
        std::string f = folderOf(p.first.c_str(), p.second.c_str(), "1.2", "1.3");
        EXPECT_TRUE(seen.insert(f).second) << "shared folder " << f;
    }
}

TEST(ReadStore, FilesArePlacedUnderTheirSeriesFolderInsideTheRoot)
{
    qptest::TempDir dir;
    const std::string root = dir.file("store") + "/";
    DCM_MESSAGE msg;
    ASSERT_TRUE(placeFileInStore(readtest::pydicomFile("CT_small.dcm"), root, false, msg));
    char folder[1024];
    dcmServer::getDicomFolder(msg.patientName, msg.patientID, msg.studyInstanceUID, msg.seriesInstanceUID, folder);
    EXPECT_EQ(std::string(msg.folder), std::string(folder) + "/");
    EXPECT_STREQ(msg.fileName, msg.sopInstanceUID);
    const std::string stored = root + msg.folder + msg.fileName;
    EXPECT_EQ(qptest::readFile(stored), qptest::readFile(readtest::pydicomFile("CT_small.dcm")));

    // Importing the stored file again onto itself keeps it whole.
    DCM_MESSAGE again;
    ASSERT_TRUE(placeFileInStore(stored, root, false, again));
    EXPECT_EQ(qptest::readFile(stored), qptest::readFile(readtest::pydicomFile("CT_small.dcm")));

    // A file without SOP instance UID and with hostile names keeps its own (made safe) name,
    // lands inside the root, and a move leaves no source behind.
    ASSERT_TRUE(readtest::makeDicom(dir.file("in.dcm"), "ds.PatientName = '../../..'\n"
                                                         "ds.PatientID = '../x'\n"
                                                         "ds.StudyInstanceUID = '..'\n"
                                                         "ds.SeriesInstanceUID = '/'\n"));
    ASSERT_TRUE(placeFileInStore(dir.file("in.dcm"), root, true, msg));
    EXPECT_FALSE(fs::exists(dir.file("in.dcm")));
    EXPECT_STREQ(msg.sopInstanceUID, "unknownImageUID");
    EXPECT_STREQ(msg.fileName, "in.dcm");
    fs::path placed = fs::weakly_canonical(root + msg.folder + msg.fileName);
    EXPECT_TRUE(fs::exists(placed));
    EXPECT_EQ(placed.string().rfind(fs::weakly_canonical(root).string(), 0), 0u) << placed;

    // Not DICOM, or no root: refused, nothing written.
    ASSERT_TRUE(qptest::writeFile(dir.file("text.dcm"), "hello, not an image"));
    EXPECT_FALSE(placeFileInStore(dir.file("text.dcm"), root, false, msg));
    EXPECT_FALSE(placeFileInStore(readtest::pydicomFile("CT_small.dcm"), "", false, msg));
}

TEST(ReadStore, AFileIsCopiedWithoutTheFolderLockAndRenamedIntoPlaceUnderIt)
{
    qptest::TempDir dir;
    const std::string root = dir.file("store") + "/";
    const std::string source = readtest::pydicomFile("CT_small.dcm");
    fs::create_directories(storeScratchFolder(root));
    qptest::FolderWatch watch(storeScratchFolder(root));
    ASSERT_TRUE(watch.ok());
    DCM_MESSAGE msg;
    bool placed = false;
    std::thread import;
    {
        // Held as a deletion or the receiver holds it: the copy goes on meanwhile.
        std::lock_guard<std::mutex> placing(storeFolderLock());
        import = std::thread([&] { placed = placeFileInStore(source, root, false, msg); });
        const std::string copy = watch.nextWrittenFile();
        EXPECT_EQ(qptest::readFile(storeScratchFolder(root) + copy), qptest::readFile(source));
    }
    import.join();
    ASSERT_TRUE(placed);
    EXPECT_EQ(qptest::readFile(root + msg.folder + msg.fileName), qptest::readFile(source));
    EXPECT_TRUE(fs::is_empty(storeScratchFolder(root)));
}

TEST(ReadStore, ScratchFilesAnEarlierRunWithTheSameProcessIdLeftAreSkippedAndKept)
{
    // A restarted container may run with the process id of the run that left these.
    qptest::TempDir dir;
    const std::string root = dir.file("store") + "/";
    const std::string source = readtest::pydicomFile("CT_small.dcm");
    const std::string named = newStoreScratchPath(root, "place"); // "...-<count>.part"
    ASSERT_FALSE(named.empty());
    fs::remove(named);
    const size_t dash = named.rfind('-');
    const unsigned long count = std::stoul(named.substr(dash + 1));
    std::vector<std::string> leftovers;
    for (unsigned long next = count + 1; next <= count + 3; ++next) {
        leftovers.push_back(named.substr(0, dash + 1) + std::to_string(next) + ".part");
        ASSERT_TRUE(qptest::writeFile(leftovers.back(), "left over"));
    }
    DCM_MESSAGE msg;
    ASSERT_TRUE(placeFileInStore(source, root, false, msg));
    EXPECT_EQ(qptest::readFile(root + msg.folder + msg.fileName), qptest::readFile(source));
    for (const std::string& leftover : leftovers)
        EXPECT_EQ(qptest::readFile(leftover), "left over") << leftover;
    EXPECT_EQ(std::distance(fs::directory_iterator(storeScratchFolder(root)), fs::directory_iterator()), 3);
}

TEST(ReadStore, TheSameFilePlacedFromTwoThreadsAtOnceLandsWhole)
{
    // The receiver and an import may bring the same image at the same moment.
    qptest::TempDir dir;
    const std::string root = dir.file("store") + "/";
    const std::string source = readtest::pydicomFile("MR_small.dcm");
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 25; ++i) {
                DCM_MESSAGE msg;
                if (!placeFileInStore(source, root, false, msg))
                    ++failures;
            }
        });
    for (std::thread& th : threads)
        th.join();
    EXPECT_EQ(failures.load(), 0);
    DCM_MESSAGE msg;
    ASSERT_TRUE(fillDcmMessage(source, msg));
    char folder[1024];
    dcmServer::getDicomFolder(msg.patientName, msg.patientID, msg.studyInstanceUID, msg.seriesInstanceUID, folder);
    int files = 0;
    for (const auto& e : fs::directory_iterator(root + folder)) {
        ++files;
        EXPECT_EQ(qptest::readFile(e.path().string()), qptest::readFile(source));
    }
    EXPECT_EQ(files, 1); // no temporary file left over
}

TEST(ReadStore, ConvertedImagesReadBackWithTheirPixelsAndGeometry)
{
    qptest::TempDir dir;
    std::vector<int16_t> grey(6 * 4);
    for (size_t i = 0; i < grey.size(); ++i)
        grey[i] = static_cast<int16_t>(i * 100 - 1000);
    PIXEL_Mem_ConvertorData d;
    memset(&d, 0, sizeof d);
    strcpy(d.outputPath, dir.file("grey.dcm").c_str());
    d.pixels = grey.data();
    strcpy(d.sourcePath, readtest::pydicomFile("CT_small.dcm").c_str());
    strcpy(d.seriesUID, "1.2.826.0.1.3680043.10.1");
    strcpy(d.sopUIDRoot, "1.2.826.0.1.3680043.10.2");
    strcpy(d.samplesPerPixel, "1");
    strcpy(d.numberOfFrames, "1");
    strcpy(d.seriesNumber, "9000");
    d.rows = 4;
    d.columns = 6;
    d.windowWidth = 400;
    d.windowCenter = 40;
    d.pixelSpacingX = 0.5f;
    d.pixelSpacingY = 0.7f;
    d.rowDirection[0] = 1;
    d.columnDirection[1] = 1;
    d.highBit = 15;
    d.rescaleSlope = 1.0f;
    d.pixelSigned = 1;
    ASSERT_TRUE(dcmConvertor::convert(d));

    dcmReader r;
    ASSERT_TRUE(r.setFile(dir.file("grey.dcm")));
    PixelType t;
    int count = 0;
    const void* p = r.readDicomPixelPointer(t, count);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(t, PIXEL_GRAY16);
    ASSERT_EQ(count, 24);
    EXPECT_EQ(memcmp(p, grey.data(), 48), 0);
    char buf[256];
    ASSERT_TRUE(r.readDicomTagString(0x0028, 0x0030, buf, sizeof buf));
    EXPECT_STREQ(buf, "0.7\\0.5");
    ASSERT_TRUE(r.readDicomTagString(0x0010, 0x0010, buf, sizeof buf));
    EXPECT_STREQ(buf, "CompressedSamples^CT1"); // taken from the source file
    ASSERT_TRUE(r.readDicomTagString(0x0020, 0x000E, buf, sizeof buf));
    EXPECT_STREQ(buf, "1.2.826.0.1.3680043.10.1");
    ASSERT_TRUE(r.readDicomTagString(0x0028, 0x0103, buf, sizeof buf));
    EXPECT_STREQ(buf, "1");

    // RGB with its samples field.
    std::vector<uint8_t> rgb(6 * 4 * 3);
    for (size_t i = 0; i < rgb.size(); ++i)
        rgb[i] = static_cast<uint8_t>(i * 3);
    strcpy(d.outputPath, dir.file("rgb.dcm").c_str());
    strcpy(d.samplesPerPixel, "3");
    d.pixels = rgb.data();
    ASSERT_TRUE(dcmConvertor::convert(d));
    ASSERT_TRUE(r.setFile(dir.file("rgb.dcm")));
    p = r.readDicomPixelPointer(t, count);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(t, PIXEL_RGB);
    ASSERT_EQ(count, 24);
    EXPECT_EQ(memcmp(p, rgb.data(), rgb.size()), 0);
}

TEST(ReadStore, ConvertorRefusesRecordsItCannotWrite)
{
    qptest::TempDir dir;
    std::vector<uint16_t> px(16);
    PIXEL_Mem_ConvertorData good;
    memset(&good, 0, sizeof good);
    strcpy(good.outputPath, dir.file("out.dcm").c_str());
    good.pixels = px.data();
    strcpy(good.samplesPerPixel, "1");
    good.rows = good.columns = 4;
    good.highBit = 15;

    auto refused = [&](PIXEL_Mem_ConvertorData d) {
        bool ok = dcmConvertor::convert(d);
        bool written = fs::exists(dir.file("out.dcm"));
        fs::remove(dir.file("out.dcm"));
        return !ok && !written;
    };
    PIXEL_Mem_ConvertorData d = good;
    d.samplesPerPixel[0] = 0; // RGB or grey? unknown
    EXPECT_TRUE(refused(d));
    d = good;
    strcpy(d.samplesPerPixel, "4");
    EXPECT_TRUE(refused(d));
    d = good;
    d.pixels = nullptr;
    EXPECT_TRUE(refused(d));
    d = good;
    d.rows = 0;
    EXPECT_TRUE(refused(d));
    d = good;
    d.columns = 70000;
    EXPECT_TRUE(refused(d));
    d = good;
    d.highBit = 7;
    EXPECT_TRUE(refused(d));
    d = good;
    memset(d.outputPath, 'a', sizeof d.outputPath); // not terminated
    EXPECT_TRUE(refused(d));
    d = good;
    strcpy(d.outputPath, dir.file("no/such/folder/out.dcm").c_str());
    EXPECT_FALSE(dcmConvertor::convert(d));
    EXPECT_TRUE(dcmConvertor::convert(good));
}
