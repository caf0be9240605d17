// PNG pictures of grey, colour and JPEG images read back with libpng.

#include "read_helpers.h"

#include "dcmCallbacks.h"
#include "dcmReader.h"

#include <gtest/gtest.h>
#include <png.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

using namespace dcmSDK;

namespace {

struct Picture {
    bool ok = false;
    png_uint_32 width = 0, height = 0;
    int colourType = -1, depth = 0;
    std::vector<uint8_t> rgb;
};

Picture readPng(const std::string& path)
{
    Picture p;
    png_image img;
    memset(&img, 0, sizeof img);
    img.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&img, path.c_str()))
        return p;
    p.width = img.width;
    p.height = img.height;
    p.colourType = (img.format & PNG_FORMAT_FLAG_COLOR) ? PNG_COLOR_TYPE_RGB : PNG_COLOR_TYPE_GRAY;
    img.format = PNG_FORMAT_RGB;
    p.rgb.resize(PNG_IMAGE_SIZE(img));
    p.ok = png_image_finish_read(&img, nullptr, p.rgb.data(), 0, nullptr) != 0;
    return p;
}

bool greyEverywhere(const Picture& p)
{
    for (size_t i = 0; i + 2 < p.rgb.size(); i += 3)
        if (p.rgb[i] != p.rgb[i + 1] || p.rgb[i] != p.rgb[i + 2])
            return false;
    return true;
}

int distinctValues(const Picture& p)
{
    std::vector<bool> seen(256);
    int n = 0;
    for (size_t i = 0; i < p.rgb.size(); i += 3)
        if (!seen[p.rgb[i]]) {
            seen[p.rgb[i]] = true;
            ++n;
        }
    return n;
}

int g_callbackCalls = 0;
bool countingSave(int w, int h, char* rgb, const char* path)
{
    ++g_callbackCalls;
    FILE* f = fopen(path, "wb");
    if (!f)
        return false;
    fprintf(f, "%d %d %d", w, h, static_cast<unsigned char>(rgb[0]));
    fclose(f);
    return true;
}

} // namespace

TEST(ReadPng, GreyColourAndJpegImagesBecomeReadablePictures)
{
    qptest::TempDir dir;
    struct Case { const char* name; png_uint_32 w, h; bool grey; };
    for (const Case& c : {Case{"CT_small.dcm", 128, 128, true},           // signed 16-bit grey
                          Case{"MR_small_RLE.dcm", 64, 64, true},         // compressed 16-bit grey
                          Case{"SC_rgb_rle.dcm", 100, 100, false},        // colour
                          Case{"SC_rgb_jpeg_dcmtk.dcm", 100, 100, false}, // colour JPEG
                          Case{"JPEG-lossy.dcm", 256, 1024, true}}) {     // grey JPEG
        SCOPED_TRACE(c.name);
        dcmReader r;
        ASSERT_TRUE(r.setFile(readtest::pydicomFile(c.name)));
        const std::string out = dir.file(std::string(c.name) + ".png");
        ASSERT_TRUE(r.convertToPngFile(out, true));
        Picture p = readPng(out);
        ASSERT_TRUE(p.ok);
        EXPECT_EQ(p.width, c.w);
        EXPECT_EQ(p.height, c.h);
        EXPECT_EQ(greyEverywhere(p), c.grey);
        // A real picture, not a flat one (the colour files are a few colour bars).
        EXPECT_GT(distinctValues(p), c.grey ? 16 : 3);
    }
}

TEST(ReadPng, ColourPixelsArePassedThroughUnchanged)
{
    qptest::TempDir dir;
    dcmReader r;
    ASSERT_TRUE(r.setFile(readtest::pydicomFile("SC_rgb_rle.dcm")));
    PixelType t;
    int count = 0;
    const uint8_t* px = static_cast<const uint8_t*>(r.readDicomPixelPointer(t, count));
    ASSERT_NE(px, nullptr);
    std::vector<uint8_t> first(px, px + count * 3);
    ASSERT_TRUE(r.convertToPngFile(dir.file("c.png")));
    Picture p = readPng(dir.file("c.png"));
    ASSERT_TRUE(p.ok);
    EXPECT_TRUE(p.rgb == first);
}

TEST(ReadPng, HostCallbackWritesWhenInstalledAndFailuresAreReported)
{
    qptest::TempDir dir;
    dcmReader r;
    ASSERT_TRUE(r.setFile(readtest::pydicomFile("MR_small.dcm")));
    setSavePngCallback(countingSave);
    g_callbackCalls = 0;
    EXPECT_TRUE(r.convertToPngFile(dir.file("cb.png")));
    EXPECT_EQ(g_callbackCalls, 1);
    EXPECT_EQ(qptest::readFile(dir.file("cb.png")).substr(0, 6), "64 64 ");
    setSavePngCallback(nullptr);

    EXPECT_FALSE(r.convertToPngFile(dir.file("missing/folder/x.png")));
    EXPECT_FALSE(r.convertToPngFile(""));
    dcmReader noFile;
    EXPECT_FALSE(noFile.convertToPngFile(dir.file("y.png")));
    ASSERT_TRUE(noFile.setFile(readtest::pydicomFile("rtplan.dcm")));
    EXPECT_FALSE(noFile.convertToPngFile(dir.file("z.png")));
    EXPECT_FALSE(std::filesystem::exists(dir.file("z.png")));
}

TEST(ReadPng, MultiFramePreviewShowsTheFirstFrameAlone)
{
    // Copies of single-frame files with more frames: compressed ones whose later frames keep
    // their opening marker but cannot be decoded (with an offset table, or several fragments
    // per frame found by their markers), native ones whose later frames are black. The larger
    // copies exceed the size read whole, so their fragments and samples stay on disk.
    qptest::TempDir dir;
    const std::string script = R"(
import pydicom
from pydicom.encaps import encapsulate, generate_pixel_data_frame
src = r')" + readtest::pydicomFile("") + R"('
out = r')" + dir.file("") + R"('
def compressed(name, target, count, bot, per_frame):
    ds = pydicom.dcmread(src + name)
    first = next(generate_pixel_data_frame(ds.PixelData, int(ds.get('NumberOfFrames', 1))))
    bad = first[:2] + b'\xff' * (len(first) - 2)
    ds.PixelData = encapsulate([first] + [bad] * (count - 1), fragments_per_frame=per_frame, has_bot=bot)
    ds.NumberOfFrames = count
    ds.save_as(out + target)
def native(name, target, count):
    ds = pydicom.dcmread(src + name)
    ds.PixelData = ds.PixelData + bytes(len(ds.PixelData) * (count - 1))
    ds.NumberOfFrames = count
    ds.save_as(out + target)
compressed('MR_small_jp2klossless.dcm', 'j2k_bot.dcm', 70, True, 1)
compressed('MR_small_jp2klossless.dcm', 'j2k_split.dcm', 70, False, 2)
compressed('SC_rgb_rle_2frame.dcm', 'rle_bot.dcm', 3, True, 2)
compressed('SC_rgb_rle_2frame.dcm', 'rle.dcm', 3, False, 1)
compressed('SC_rgb_jpeg_dcmtk.dcm', 'jpeg_split.dcm', 3, False, 2)
native('MR_small.dcm', 'native_le.dcm', 40)
native('MR_small_bigendian.dcm', 'native_be.dcm', 40)
print('ok')
)";
    ASSERT_EQ(readtest::runPython(script), "ok\n");
    struct Case { const char* made; const char* source; int frames; };
    for (const Case& c : {Case{"j2k_bot.dcm", "MR_small_jp2klossless.dcm", 70},
                          Case{"j2k_split.dcm", "MR_small_jp2klossless.dcm", 70},
                          Case{"rle_bot.dcm", "SC_rgb_rle_2frame.dcm", 3},
                          Case{"rle.dcm", "SC_rgb_rle_2frame.dcm", 3},
                          Case{"jpeg_split.dcm", "SC_rgb_jpeg_dcmtk.dcm", 3},
                          Case{"native_le.dcm", "MR_small.dcm", 40},
                          Case{"native_be.dcm", "MR_small.dcm", 40}}) {
        SCOPED_TRACE(c.made);
        // The expected picture is drawn from the source's frames decoded all together.
        dcmReader expected, made;
        PixelType type;
        int count = 0;
        ASSERT_TRUE(expected.setFile(readtest::pydicomFile(c.source)));
        ASSERT_NE(expected.readDicomPixelPointer(type, count), nullptr);
        ASSERT_TRUE(expected.convertToPngFile(dir.file("expected.png")));
        ASSERT_TRUE(made.setFile(dir.file(c.made)));
        const std::string png = dir.file(std::string(c.made) + ".png");
        EXPECT_TRUE(made.convertToPngFile(png));
        const Picture want = readPng(dir.file("expected.png"));
        const Picture got = readPng(png);
        ASSERT_TRUE(want.ok);
        EXPECT_EQ(got.width, want.width);
        EXPECT_TRUE(got.rgb == want.rgb);
        // The preview leaves the reader's decoding of all frames as it was.
        const bool native = std::string(c.made).compare(0, 6, "native") == 0;
        EXPECT_EQ(made.readDicomPixelPointer(type, count) != nullptr, native);
        EXPECT_EQ(count, native ? c.frames * 64 * 64 : 0);
    }
}
