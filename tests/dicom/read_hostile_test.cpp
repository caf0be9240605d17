// Files that are not DICOM, cut short, lying about their sizes or randomly damaged are
// refused or read within their bounds, never crashing the reader.

#include "read_helpers.h"

#include "dcmCallbacks.h"
#include "dcmFileRecord.h"
#include "dcmReadTag.h"
#include "dcmReader.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <random>
#include <string>

using namespace dcmSDK;
namespace fs = std::filesystem;

namespace {

size_t bytesPer(PixelType t) { return t == PIXEL_RGB ? 3 : (t == PIXEL_GRAY16 ? 2 : 1); }

// Everything a caller may do with a file; the pixels handed out are touched to the last byte
// so that a buffer shorter than announced shows up (under the address sanitizer at once).
void readEverything(const std::string& path)
{
    dcmReader r;
    if (r.setFile(path)) {
        char buf[1024];
        r.readDicomTagString(0x0010, 0x0010, buf, sizeof buf);
        r.readDicomTagString(0x0028, 0x0008, buf, sizeof buf);
        PixelType t;
        r.readDicomPixelType(t);
        int count = 0;
        const void* p = r.readDicomPixelPointer(t, count);
        if (p) {
            EXPECT_GT(count, 0);
            const uint8_t* b = static_cast<const uint8_t*>(p);
            volatile uint8_t sink = 0;
            size_t n = static_cast<size_t>(count) * bytesPer(t);
            sink = sink + b[0] + b[n - 1];
        } else {
            EXPECT_EQ(count, 0);
        }
    }
    dcmReadTag tags;
    if (tags.setFile(path)) {
        int count = 0;
        const DCM_TAG_ENTRY* list = tags.getTagList(count);
        if (count > 0) {
            ASSERT_NE(list, nullptr);
            EXPECT_LT(strnlen(list[count - 1].value, sizeof list[0].value), sizeof list[0].value);
        }
        tags.getImageScale();
    }
    DCM_MESSAGE msg;
    fillDcmMessage(path, msg);
}

// Thousands of refusals: their log lines are counted, not printed.
int g_logLines = 0;
void countLog(const char*) { ++g_logLines; }

class QuietLog : public ::testing::Environment {
public:
    void SetUp() override { setLogCallback(countLog); }
    void TearDown() override { setLogCallback(nullptr); }
};
const auto* const g_quiet = ::testing::AddGlobalTestEnvironment(new QuietLog);

} // namespace

TEST(ReadHostile, NonDicomEmptyAndMissingFilesAreRefused)
{
    qptest::TempDir dir;
    ASSERT_TRUE(qptest::writeFile(dir.file("empty.dcm"), ""));
    ASSERT_TRUE(qptest::writeFile(dir.file("text.dcm"), "This is a plain text file, not an image.\n"));
    ASSERT_TRUE(qptest::writeFile(dir.file("preamble.dcm"), std::string(128, '\0') + "DICM"));
    ASSERT_TRUE(qptest::writeFile(dir.file("png.dcm"), "\x89PNG\r\n\x1a\n" + std::string(200, 'x')));
    fs::create_directory(dir.file("folder.dcm"));
    for (const char* name : {"empty.dcm", "text.dcm", "preamble.dcm", "png.dcm", "folder.dcm", "missing.dcm"}) {
        SCOPED_TRACE(name);
        dcmReader r;
        const int before = g_logLines;
        EXPECT_FALSE(r.setFile(dir.file(name)));
        EXPECT_EQ(g_logLines, before + 1); // one line per refusal
        PixelType t;
        int count = 5;
        EXPECT_EQ(r.readDicomPixelPointer(t, count), nullptr);
        EXPECT_EQ(count, 0);
        dcmReadTag tags;
        EXPECT_FALSE(tags.setFile(dir.file(name)));
        EXPECT_STREQ(tags.getTag(0x0010, 0x0010), "");
    }
    // A failed open forgets the previous file.
    dcmReader r;
    ASSERT_TRUE(r.setFile(readtest::pydicomFile("CT_small.dcm")));
    EXPECT_FALSE(r.setFile(dir.file("text.dcm")));
    char buf[64];
    EXPECT_FALSE(r.readDicomTagString(0x0010, 0x0010, buf, sizeof buf));
}

TEST(ReadHostile, TruncatedFilesGiveNoPixelsBeyondTheirData)
{
    for (const char* name : {"MR_truncated.dcm", "rtplan_truncated.dcm"})
        readEverything(readtest::pydicomFile(name));

    // Every cut of a plain, an RLE and a JPEG 2000 file.
    qptest::TempDir dir;
    for (const char* name : {"CT_small.dcm", "MR_small_RLE.dcm", "MR_small_jp2klossless.dcm"}) {
        const std::string whole = qptest::readFile(readtest::pydicomFile(name));
        ASSERT_FALSE(whole.empty());
        for (size_t cut = 1; cut < whole.size(); cut += 61) {
            SCOPED_TRACE(std::string(name) + " cut at " + std::to_string(cut));
            ASSERT_TRUE(qptest::writeFile(dir.file("cut.dcm"), whole.substr(0, cut)));
            readEverything(dir.file("cut.dcm"));
        }
    }
}

TEST(ReadHostile, SizesClaimedByTheTagsAreCheckedAgainstTheData)
{
    qptest::TempDir dir;
    // Writes the file and answers how many pixels the reader hands out for it (-1: no file).
    auto pixelCount = [&](const char* name, const std::string& body) {
        const std::string path = dir.file(std::string(name) + ".dcm");
        dcmReader r;
        if (!readtest::makeDicom(path, body) || !r.setFile(path))
            return -1;
        PixelType t;
        int count = 0;
        const void* p = r.readDicomPixelPointer(t, count);
        return p ? count : (count == 0 ? 0 : -2);
    };
    const char* common = "ds.PhotometricInterpretation = 'MONOCHROME2'\n"
                         "ds.PixelRepresentation = 0\n";
    struct Case { const char* name; std::string body; };
    for (const Case& c : {
             Case{"huge", std::string(common) + "ds.Rows = 65535\nds.Columns = 65535\nds.SamplesPerPixel = 1\n"
                                                "ds.BitsAllocated = 16\nds.BitsStored = 16\nds.HighBit = 15\n"
                                                "ds.NumberOfFrames = 2147483647\nds.PixelData = b'\\0' * 8\n"},
             Case{"rgbclaim", std::string(common) + "ds.Rows = 16\nds.Columns = 16\nds.SamplesPerPixel = 3\n"
                                                    "ds.BitsAllocated = 8\nds.BitsStored = 8\nds.HighBit = 7\n"
                                                    "ds.PixelData = b'\\1' * 256\n"},
             Case{"bits24", std::string(common) + "ds.Rows = 4\nds.Columns = 4\nds.SamplesPerPixel = 1\n"
                                                  "ds.BitsAllocated = 24\nds.BitsStored = 24\nds.HighBit = 23\n"
                                                  "ds.PixelData = b'\\1' * 48\n"},
             Case{"palette", "ds.PhotometricInterpretation = 'PALETTE COLOR'\nds.Rows = 2\nds.Columns = 2\n"
                             "ds.SamplesPerPixel = 1\nds.BitsAllocated = 8\nds.BitsStored = 8\nds.HighBit = 7\n"
                             "ds.PixelRepresentation = 0\nds.PixelData = b'\\xff\\x00\\x01\\x02'\n"
                             "ds.RedPaletteColorLookupTableDescriptor = [4, 0, 16]\n"
                             "ds.GreenPaletteColorLookupTableDescriptor = [4, 0, 16]\n"
                             "ds.BluePaletteColorLookupTableDescriptor = [4, 0, 16]\n"
                             "ds.RedPaletteColorLookupTableData = b'\\x00\\x00\\x00\\x40\\x00\\x80\\x00\\xff'\n"
                             "ds.GreenPaletteColorLookupTableData = b'\\x00\\x00'\n"
                             "ds.BluePaletteColorLookupTableData = b'\\x00\\x00\\x00\\x40\\x00\\x80\\x00\\xff'\n"}}) {
        SCOPED_TRACE(c.name);
        // Not one of these holds a whole image as its tags describe it.
        EXPECT_EQ(pixelCount(c.name, c.body), 0);
        readEverything(dir.file(std::string(c.name) + ".dcm"));
    }
    // Impossible bit layouts fall back to the allocated bits; frame counts below 1 count as one.
    const std::string small = std::string(common) + "ds.Rows = 4\nds.Columns = 4\nds.SamplesPerPixel = 1\n";
    for (const Case& c : {Case{"badbits", small + "ds.BitsAllocated = 16\nds.BitsStored = 40\nds.HighBit = 60\n"
                                                  "ds.PixelData = b'\\xff' * 32\n"},
                          Case{"zero", small + "ds.BitsAllocated = 8\nds.BitsStored = 8\nds.HighBit = 7\n"
                                               "ds.NumberOfFrames = '0'\nds.PixelData = b'\\1' * 16\n"},
                          Case{"negative", small + "ds.BitsAllocated = 8\nds.BitsStored = 8\nds.HighBit = 7\n"
                                                   "ds.NumberOfFrames = '-3'\nds.PixelData = b'\\1' * 16\n"}}) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(pixelCount(c.name, c.body), 16);
    }
}

TEST(ReadHostile, RandomlyDamagedFilesNeverCrashTheReader)
{
    // Byte flips, length fields set to huge values and cut tails over files of every codec.
    // Damage kept as regression cases lives beside this test (read_damaged_*.dcm).
    qptest::TempDir dir;
    std::mt19937 rng(20261207);
    const int rounds = getenv("QP_FUZZ_ROUNDS") ? atoi(getenv("QP_FUZZ_ROUNDS")) : 60;
    for (const char* name : {"CT_small.dcm", "MR_small_RLE.dcm", "MR_small_jpeg_ls_lossless.dcm",
                             "MR_small_jp2klossless.dcm", "SC_rgb_jpeg_dcmtk.dcm", "SC_rgb_rle.dcm",
                             "ExplVR_BigEnd.dcm", "SC_ybr_full_422_uncompressed.dcm"}) {
        const std::string whole = qptest::readFile(readtest::pydicomFile(name));
        ASSERT_FALSE(whole.empty());
        for (int round = 0; round < rounds; ++round) {
            std::string bytes = whole;
            int edits = 1 + static_cast<int>(rng() % 8);
            for (int e = 0; e < edits; ++e) {
                size_t at = rng() % bytes.size();
                switch (rng() % 4) {
                case 0: bytes[at] = static_cast<char>(rng()); break;
                case 1: bytes[at] ^= static_cast<char>(1u << (rng() % 8)); break;
                case 2: // a 32-bit length-like field made huge
                    for (size_t k = 0; k < 4 && at + k < bytes.size(); ++k)
                        bytes[at + k] = static_cast<char>(k == 3 ? 0x7F : 0xFF);
                    break;
                default: bytes.resize(at + 1); break;
                }
            }
            SCOPED_TRACE(std::string(name) + " round " + std::to_string(round));
            ASSERT_TRUE(qptest::writeFile(dir.file("damaged.dcm"), bytes));
            readEverything(dir.file("damaged.dcm"));
        }
    }
    for (const auto& entry : fs::directory_iterator(qptest::sourceDir() + "/tests/dicom")) {
        const std::string file = entry.path().filename().string();
        if (file.rfind("read_damaged_", 0) == 0) {
            SCOPED_TRACE(file);
            readEverything(entry.path().string());
        }
    }
}
