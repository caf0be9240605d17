// Decoded pixels of real files agree across transfer syntaxes and with pydicom.

#include "read_helpers.h"

#include "dcmReader.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

using namespace dcmSDK;
using readtest::pydicomFile;

namespace {

struct Decoded {
    bool ok = false;
    PixelType type = PIXEL_GRAY8;
    int count = 0;
    std::string bytes;
};

size_t bytesPerPixel(PixelType t) { return t == PIXEL_RGB ? 3 : (t == PIXEL_GRAY16 ? 2 : 1); }

Decoded decode(const std::string& path)
{
    Decoded d;
    dcmReader r;
    if (!r.setFile(path))
        return d;
    PixelType announced;
    bool typeOk = r.readDicomPixelType(announced);
    const void* p = r.readDicomPixelPointer(d.type, d.count);
    if (!p || d.count <= 0)
        return d;
    EXPECT_TRUE(typeOk) << path;
    EXPECT_EQ(announced, d.type) << "type announced before decoding differs: " << path;
    d.bytes.assign(static_cast<const char*>(p), d.count * bytesPerPixel(d.type));
    d.ok = true;
    return d;
}

// pydicom's pixel array as raw bytes (little-endian), colour converted to RGB, 16-bit colour
// reduced to 8 bits as the library does.
std::string pydicomPixels(const std::string& path)
{
    std::string script = R"(
import sys, pydicom, numpy as np
from pydicom.pixel_data_handlers.util import convert_color_space
d = pydicom.dcmread(r')" + path + R"(')
a = d.pixel_array
pi = d.PhotometricInterpretation
if d.SamplesPerPixel == 3:
    if pi.startswith('YBR'):
        a = convert_color_space(a, 'YBR_FULL', 'RGB')
    if d.BitsAllocated == 16:
        a = (a >> (d.BitsStored - 8)).astype('u1')
    a = a.astype('u1')
elif d.BitsAllocated == 16:
    a = a.astype('<i2' if d.PixelRepresentation == 1 else '<u2')
else:
    a = a.astype('u1')
sys.stdout.buffer.write(np.ascontiguousarray(a).tobytes())
)";
    return readtest::runPython(script);
}

int maxDifference(const std::string& a, const std::string& b)
{
    int worst = 0;
    for (size_t i = 0; i < a.size() && i < b.size(); ++i)
        worst = std::max(worst, std::abs(static_cast<unsigned char>(a[i]) - static_cast<unsigned char>(b[i])));
    return worst;
}

double meanDifference(const std::string& a, const std::string& b)
{
    double sum = 0;
    for (size_t i = 0; i < a.size() && i < b.size(); ++i)
        sum += std::abs(static_cast<unsigned char>(a[i]) - static_cast<unsigned char>(b[i]));
    return a.empty() ? 0 : sum / a.size();
}

} // namespace

TEST(ReadPixels, EveryLosslessMrSmallVariantEqualsTheUncompressedOne)
{
    Decoded ref = decode(pydicomFile("MR_small.dcm"));
    ASSERT_TRUE(ref.ok);
    EXPECT_EQ(ref.type, PIXEL_GRAY16);
    EXPECT_EQ(ref.count, 64 * 64);
    for (const char* name : {"MR_small_implicit.dcm", "MR_small_bigendian.dcm", "MR_small_expb.dcm",
                             "MR_small_padded.dcm", "MR_small_RLE.dcm", "MR_small_jpeg_ls_lossless.dcm",
                             "MR_small_jp2klossless.dcm"}) {
        SCOPED_TRACE(name);
        Decoded d = decode(pydicomFile(name));
        ASSERT_TRUE(d.ok);
        EXPECT_EQ(d.type, ref.type);
        EXPECT_EQ(d.count, ref.count);
        EXPECT_TRUE(d.bytes == ref.bytes);
    }
}

TEST(ReadPixels, UncompressedAndRleFilesMatchPydicom)
{
    // Grey 16-bit signed and unsigned, RGB interleaved and planar (RLE), two frames, 16-bit
    // colour, big-endian colour, subsampled YBR.
    struct Case { const char* name; PixelType type; int count; int tolerance; };
    for (const Case& c : {Case{"CT_small.dcm", PIXEL_GRAY16, 128 * 128, 0},
                          Case{"MR_small.dcm", PIXEL_GRAY16, 64 * 64, 0},
                          Case{"SC_rgb_rle.dcm", PIXEL_RGB, 100 * 100, 0},
                          Case{"SC_rgb_rle_2frame.dcm", PIXEL_RGB, 2 * 100 * 100, 0},
                          Case{"SC_rgb_rle_16bit.dcm", PIXEL_RGB, 100 * 100, 0},
                          Case{"SC_rgb_rle_16bit_2frame.dcm", PIXEL_RGB, 2 * 100 * 100, 0},
                          Case{"ExplVR_BigEnd.dcm", PIXEL_RGB, 60 * 80, 0},
                          Case{"SC_rgb_small_odd.dcm", PIXEL_RGB, 3 * 3, 0},
                          Case{"image_dfl.dcm", PIXEL_GRAY8, 512 * 512, 0},
                          Case{"SC_ybr_full_422_uncompressed.dcm", PIXEL_RGB, 100 * 100, 2}}) {
        SCOPED_TRACE(c.name);
        Decoded d = decode(pydicomFile(c.name));
        ASSERT_TRUE(d.ok);
        EXPECT_EQ(d.type, c.type);
        EXPECT_EQ(d.count, c.count);
        std::string expected = pydicomPixels(pydicomFile(c.name));
        ASSERT_EQ(expected.size(), d.bytes.size());
        if (c.tolerance == 0)
            EXPECT_TRUE(expected == d.bytes);
        else
            EXPECT_LE(maxDifference(expected, d.bytes), c.tolerance);
    }
}

TEST(ReadPixels, JpegColourFilesComeOutAsRgbCloseToTheLosslessOne)
{
    Decoded ref = decode(pydicomFile("SC_rgb_rle.dcm"));
    ASSERT_TRUE(ref.ok);
    // Baseline JPEG in YBR and RGB, with and without the colour transform, from several encoders.
    for (const char* name : {"SC_rgb_dcmtk_+eb+cy+np.dcm", "SC_rgb_dcmtk_+eb+cy+n1.dcm", "SC_rgb_dcmtk_+eb+cy+n2.dcm",
                             "SC_rgb_dcmtk_+eb+cy+s2.dcm", "SC_rgb_dcmtk_+eb+cy+s4.dcm", "SC_rgb_dcmtk_+eb+cr.dcm",
                             "SC_rgb_jpeg_dcmtk.dcm", "SC_rgb_jpeg_gdcm.dcm", "SC_rgb_gdcm_KY.dcm",
                             "SC_rgb_jpeg_lossy_gdcm.dcm"}) {
        SCOPED_TRACE(name);
        Decoded d = decode(pydicomFile(name));
        ASSERT_TRUE(d.ok);
        EXPECT_EQ(d.type, PIXEL_RGB);
        ASSERT_EQ(d.count, ref.count);
        EXPECT_LT(meanDifference(d.bytes, ref.bytes), 3.0);
    }
}

TEST(ReadPixels, RgbJpegWithoutColourTransformIsNotConverted)
{
    // Streams in RGB without a colour transform, with and without an Adobe marker, against
    // the same tiles as decoded by another toolkit and stored again.
    for (auto pair : {std::make_pair("SC_jpeg_no_color_transform.dcm", "SC_rgb_jpeg_dcmd.dcm"),
                      std::make_pair("SC_jpeg_no_color_transform_2.dcm", "SC_rgb_jpeg_app14_dcmd.dcm")}) {
        SCOPED_TRACE(pair.first);
        Decoded a = decode(pydicomFile(pair.first));
        Decoded b = decode(pydicomFile(pair.second));
        ASSERT_TRUE(a.ok);
        ASSERT_TRUE(b.ok);
        ASSERT_EQ(a.count, b.count);
        EXPECT_LT(meanDifference(a.bytes, b.bytes), 1.0);
    }
}

TEST(ReadPixels, LossyGreyJpegVariantsAgreeWithEachOther)
{
    // Baseline 8-bit and extended 12-bit JPEG of the same picture, and the JPEG 2000 files.
    Decoded lossy = decode(pydicomFile("JPEG-lossy.dcm"));
    Decoded extended = decode(pydicomFile("JPGExtended.dcm"));
    ASSERT_TRUE(lossy.ok);
    ASSERT_TRUE(extended.ok);
    EXPECT_EQ(lossy.type, PIXEL_GRAY16);
    EXPECT_EQ(lossy.count, 1024 * 256);
    EXPECT_TRUE(lossy.bytes == extended.bytes);
    for (const char* name : {"JPEG2000.dcm", "693_J2KI.dcm", "GDCMJ2K_TextGBR.dcm", "J2K_pixelrep_mismatch.dcm"}) {
        SCOPED_TRACE(name);
        Decoded d = decode(pydicomFile(name));
        EXPECT_TRUE(d.ok);
    }
}

TEST(ReadPixels, StoredBitsAreMaskedAndSignExtended)
{
    // 12 bits stored in 16, high bit 11, with junk in the top nibble: signed and unsigned.
    qptest::TempDir dir;
    for (int isSigned = 0; isSigned < 2; ++isSigned)
        ASSERT_TRUE(readtest::makeDicom(dir.file(isSigned ? "signed.dcm" : "unsigned.dcm"),
                                        "import numpy as np\n"
                                        "ds.Rows, ds.Columns, ds.SamplesPerPixel = 1, 4, 1\n"
                                        "ds.PhotometricInterpretation = 'MONOCHROME2'\n"
                                        "ds.BitsAllocated, ds.BitsStored, ds.HighBit = 16, 12, 11\n"
                                        "ds.PixelRepresentation = " + std::to_string(isSigned) + "\n"
                                        "ds.PixelData = np.array([0xF7FF, 0x0800, 0xAFFF, 0x0001], dtype='<u2').tobytes()\n"));
    Decoded s = decode(dir.file("signed.dcm"));
    Decoded u = decode(dir.file("unsigned.dcm"));
    ASSERT_TRUE(s.ok);
    ASSERT_TRUE(u.ok);
    int16_t sv[4];
    uint16_t uv[4];
    memcpy(sv, s.bytes.data(), sizeof sv);
    memcpy(uv, u.bytes.data(), sizeof uv);
    EXPECT_EQ(sv[0], 2047);
    EXPECT_EQ(sv[1], -2048);
    EXPECT_EQ(sv[2], -1);
    EXPECT_EQ(sv[3], 1);
    EXPECT_EQ(uv[0], 0x7FF);
    EXPECT_EQ(uv[1], 0x800);
    EXPECT_EQ(uv[2], 0xFFF);
    EXPECT_EQ(uv[3], 1);
}

TEST(ReadPixels, FramesBeyondTheDataAreNotHandedOut)
{
    // The file claims more frames than its pixel data holds: only whole frames come back.
    qptest::TempDir dir;
    ASSERT_TRUE(readtest::makeDicom(dir.file("frames.dcm"),
                                    "ds.Rows, ds.Columns, ds.SamplesPerPixel, ds.NumberOfFrames = 2, 2, 1, 10\n"
                                    "ds.PhotometricInterpretation = 'MONOCHROME2'\n"
                                    "ds.BitsAllocated, ds.BitsStored, ds.HighBit, ds.PixelRepresentation = 8, 8, 7, 0\n"
                                    "ds.PixelData = bytes(range(10))\n"));
    Decoded d = decode(dir.file("frames.dcm"));
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.type, PIXEL_GRAY8);
    EXPECT_EQ(d.count, 8); // two whole frames of four pixels
}

TEST(ReadPixels, ConcurrentReadersDecodeAlike)
{
    // One reader per thread, as the series loaders and the thumbnail worker use them, over
    // every codec at once.
    const std::vector<std::string> names = {"MR_small.dcm", "MR_small_RLE.dcm", "MR_small_jpeg_ls_lossless.dcm",
                                            "MR_small_jp2klossless.dcm", "SC_rgb_jpeg_dcmtk.dcm"};
    std::vector<std::string> expected;
    for (const std::string& n : names)
        expected.push_back(decode(pydicomFile(n)).bytes);
    std::atomic<int> mismatches{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&, t] {
            for (int round = 0; round < 10; ++round)
                for (size_t i = 0; i < names.size(); ++i) {
                    size_t k = (i + t) % names.size();
                    if (decode(pydicomFile(names[k])).bytes != expected[k])
                        ++mismatches;
                }
        });
    for (std::thread& th : threads)
        th.join();
    EXPECT_EQ(mismatches.load(), 0);
}

TEST(ReadPixels, ImagesTheLibraryCannotDecodeGiveNoPixels)
{
    // 1-bit, 32-bit and 32-bit colour images, and files without any image.
    for (const char* name : {"liver_1frame.dcm", "rtdose.dcm", "SC_rgb_rle_32bit.dcm", "rtplan.dcm", "waveform_ecg.dcm"}) {
        SCOPED_TRACE(name);
        dcmReader r;
        ASSERT_TRUE(r.setFile(pydicomFile(name)));
        PixelType t;
        EXPECT_FALSE(r.readDicomPixelType(t));
        int count = 99;
        EXPECT_EQ(r.readDicomPixelPointer(t, count), nullptr);
        EXPECT_EQ(count, 0);
    }
}
