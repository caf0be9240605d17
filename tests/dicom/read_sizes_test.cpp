// Small files are parsed from one read in memory, large ones lazily from disk: both ways must
// give the same tags and pixels, and image attributes come from the top level only.

#include "dcmReader.h"
#include "read_helpers.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

using namespace dcmSDK;

namespace {

// A signed 12-bit image whose stored words carry junk in their top four bits; sample i is
// ((i * 37) % 4096) - 2048 after masking and sign extension.
std::string twelveBitImage(int rows, int columns, const std::string& extra = "")
{
    return "import numpy as np\n"
           "ds.Modality = 'CT'\n"
           "ds.SeriesDescription = 'sizes'\n" +
           extra +
           "ds.Rows = " + std::to_string(rows) + "\n"
           "ds.Columns = " + std::to_string(columns) + "\n"
           "ds.SamplesPerPixel = 1\n"
           "ds.PhotometricInterpretation = 'MONOCHROME2'\n"
           "ds.BitsAllocated = 16\n"
           "ds.BitsStored = 12\n"
           "ds.HighBit = 11\n"
           "ds.PixelRepresentation = 1\n"
           "n = ds.Rows * ds.Columns\n"
           "v = (np.arange(n, dtype=np.int64) * 37) % 4096\n"
           "words = (v | 0xA000).astype(np.uint16)\n"
           "ds.PixelData = words.tobytes()\n";
}

// Masked to 12 bits and sign-extended: values 0..2047 stay, 2048..4095 become negative.
int16_t masked(int i)
{
    const int v = (i * 37) % 4096;
    return static_cast<int16_t>(v >= 2048 ? v - 4096 : v);
}

void expectImage(const std::string& path, int rows, int columns)
{
    dcmReader reader;
    ASSERT_TRUE(reader.setFile(path)) << path;
    unsigned short value = 0;
    ASSERT_TRUE(reader.readDicomTagUint16(0x0028, 0x0010, value));
    EXPECT_EQ(value, rows);
    char text[64];
    ASSERT_TRUE(reader.readDicomTagString(0x0008, 0x103E, text, sizeof text));
    EXPECT_STREQ(text, "sizes");
    PixelType type;
    int count = 0;
    const auto* samples = static_cast<const int16_t*>(reader.readDicomPixelPointer(type, count));
    ASSERT_NE(samples, nullptr) << path;
    EXPECT_EQ(type, PIXEL_GRAY16);
    ASSERT_EQ(count, rows * columns);
    for (int i : {0, 1, 55, 56, count / 2, count - 1}) {
        if (i < count) {
            EXPECT_EQ(samples[i], masked(i)) << path << " sample " << i;
        }
    }
}

} // namespace

TEST(ReadSizes, SmallAndLargeFilesGiveTheSameTagsAndPixels)
{
    qptest::TempDir dir;
    const std::string small = dir.file("small.dcm");
    const std::string large = dir.file("large.dcm");
    ASSERT_TRUE(readtest::makeDicom(small, twelveBitImage(64, 48)));
    ASSERT_TRUE(readtest::makeDicom(large, twelveBitImage(512, 400))); // 400 KB: read lazily
    ASSERT_LT(std::filesystem::file_size(small), 64u * 1024);
    ASSERT_GT(std::filesystem::file_size(large), 300u * 1024);
    expectImage(small, 64, 48);
    expectImage(large, 512, 400);

    // One reader going back and forth between the two ways keeps nothing of the previous file.
    dcmReader reader;
    PixelType type;
    int count = 0;
    for (const std::string& path : {large, small, large}) {
        ASSERT_TRUE(reader.setFile(path));
        ASSERT_NE(reader.readDicomPixelPointer(type, count), nullptr);
        EXPECT_EQ(count, path == small ? 64 * 48 : 512 * 400);
    }
}

TEST(ReadSizes, ImageAttributesInsideASequenceDoNotStandForMissingOnes)
{
    qptest::TempDir dir;
    // A referenced image (group 0008, before the image's own group 0028) carries other sizes.
    const std::string nested = "ref = Dataset()\n"
                               "ref.Rows = 2\n"
                               "ref.Columns = 2\n"
                               "ref.BitsStored = 16\n"
                               "ref.ReferencedSOPInstanceUID = '1.2.3'\n"
                               "ds.ReferencedImageSequence = Sequence([ref])\n";
    const std::string path = dir.file("nested.dcm");
    ASSERT_TRUE(readtest::makeDicom(path, twelveBitImage(4, 6, nested)));
    expectImage(path, 4, 6);

    // Without top-level Rows there is no image, whatever the sequence says.
    const std::string headless = dir.file("headless.dcm");
    ASSERT_TRUE(readtest::makeDicom(headless, twelveBitImage(4, 6, nested) + "del ds.Rows\n"));
    dcmReader reader;
    ASSERT_TRUE(reader.setFile(headless));
    PixelType type;
    int count = 5;
    EXPECT_EQ(reader.readDicomPixelPointer(type, count), nullptr);
    EXPECT_EQ(count, 0);
    EXPECT_FALSE(reader.readDicomPixelType(type));
}

TEST(ReadSizes, FilesCutShortAndPathsThatAreNotFilesAreRefused)
{
    qptest::TempDir dir;
    const std::string full = dir.file("full.dcm");
    ASSERT_TRUE(readtest::makeDicom(full, twelveBitImage(16, 16)));
    const std::string bytes = qptest::readFile(full);
    ASSERT_GT(bytes.size(), 600u);

    // Cut inside the header: refused. Cut inside the pixel value: no pixels beyond the data.
    const std::string header = dir.file("header.dcm");
    ASSERT_TRUE(qptest::writeFile(header, bytes.substr(0, 200)));
    dcmReader reader;
    EXPECT_FALSE(reader.setFile(header));
    const std::string pixels = dir.file("pixels.dcm");
    ASSERT_TRUE(qptest::writeFile(pixels, bytes.substr(0, bytes.size() - 100)));
    PixelType type;
    int count = 0;
    if (reader.setFile(pixels)) {
        const void* p = reader.readDicomPixelPointer(type, count);
        EXPECT_TRUE(p == nullptr || count < 16 * 16);
    }

    // A folder or a missing path is no DICOM file; nothing is left open of the last good one.
    EXPECT_FALSE(reader.setFile(dir.path()));
    EXPECT_FALSE(reader.setFile(dir.file("missing.dcm")));
    EXPECT_EQ(reader.readDicomPixelPointer(type, count), nullptr);
    ASSERT_TRUE(reader.setFile(full));
    EXPECT_NE(reader.readDicomPixelPointer(type, count), nullptr);
}
