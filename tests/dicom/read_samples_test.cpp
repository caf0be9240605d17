// The sample-data maker's series read back as the images they claim to be.

#include "read_helpers.h"

#include "dcmFileRecord.h"
#include "dcmReader.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <set>
#include <sstream>
#include <string>

using namespace dcmSDK;
namespace fs = std::filesystem;

namespace {

std::string maker() { return qptest::binaryDir() + "/tools/samplemaker"; }

int runMaker(const std::string& args)
{
    return system((maker() + " " + args + " >/dev/null 2>&1").c_str());
}

// Modality value (stored x slope + intercept) of one pixel of a 16-bit signed image.
double valueAt(dcmReader& r, int x, int y)
{
    PixelType t;
    int count = 0;
    const int16_t* p = static_cast<const int16_t*>(r.readDicomPixelPointer(t, count));
    unsigned short columns = 0;
    r.readDicomTagUint16(0x0028, 0x0011, columns);
    char buf[64] = "1";
    double slope = r.readDicomTagString(0x0028, 0x1053, buf, sizeof buf) ? atof(buf) : 1.0;
    double intercept = r.readDicomTagString(0x0028, 0x1052, buf, sizeof buf) ? atof(buf) : 0.0;
    if (!p || t != PIXEL_GRAY16)
        return -1e9;
    return p[y * columns + x] * slope + intercept;
}

} // namespace

class ReadSamples : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!fs::exists(maker()))
            GTEST_SKIP() << "the sample-data maker is not built";
    }
    qptest::TempDir dir;
};

TEST_F(ReadSamples, CtPhantomHoldsAirSoftTissueLungAndBoneInHounsfieldUnits)
{
    ASSERT_EQ(runMaker("--ct 128x96x5 " + dir.file("ct")), 0);
    int files = 0;
    for (const auto& e : fs::directory_iterator(dir.file("ct")))
        files += e.path().extension() == ".dcm";
    EXPECT_EQ(files, 5);
    dcmReader r;
    ASSERT_TRUE(r.setFile(dir.file("ct/IM0001.dcm")));
    PixelType t;
    ASSERT_TRUE(r.readDicomPixelType(t));
    EXPECT_EQ(t, PIXEL_GRAY16);
    char buf[128];
    ASSERT_TRUE(r.readDicomTagString(0x0028, 0x0030, buf, sizeof buf));
    EXPECT_STREQ(buf, "0.7\\0.7");
    ASSERT_TRUE(r.readDicomTagString(0x0028, 0x0103, buf, sizeof buf));
    EXPECT_STREQ(buf, "1");
    EXPECT_NEAR(valueAt(r, 0, 0), -1000, 1);         // air in the corner
    EXPECT_NEAR(valueAt(r, 64, 36), 40, 25);         // soft tissue between the lungs
    EXPECT_LT(valueAt(r, 42, 46), -700);             // left lung
    EXPECT_GT(valueAt(r, 69, 71), 600);              // vertebral body beside its marrow
    EXPECT_NEAR(valueAt(r, 64, 71), 250, 25);        // marrow
    ASSERT_TRUE(r.setFile(dir.file("ct/IM0002.dcm")));
    ASSERT_TRUE(r.readDicomTagString(0x0020, 0x0032, buf, sizeof buf));
    EXPECT_STREQ(buf, "-44.45\\-33.25\\-1"); // centred, one millimetre below the first slice
}

TEST_F(ReadSamples, PetMrColourAndMultiFrameSeriesHaveTheirKinds)
{
    ASSERT_EQ(runMaker("--patient TEST^ONE --id T1 --pet 64x64x4 " + dir.file("pet") + " --mr 64x48x3 " +
                       dir.file("mr") + " --sc 40x30 " + dir.file("sc") + " --multiframe 32x32x7 " +
                       dir.file("cine")),
              0);
    dcmReader r;
    char buf[128];
    ASSERT_TRUE(r.setFile(dir.file("pet/IM0002.dcm")));
    ASSERT_TRUE(r.readDicomTagString(0x0054, 0x1001, buf, sizeof buf));
    EXPECT_STREQ(buf, "BQML");
    ASSERT_TRUE(r.readDicomTagString(0x0018, 0x1074, buf, sizeof buf)); // inside the sequence
    EXPECT_STREQ(buf, "370000000");
    ASSERT_TRUE(r.readDicomTagString(0x0028, 0x1053, buf, sizeof buf));
    EXPECT_NE(atof(buf), 1.0); // a real float scale
    ASSERT_TRUE(r.readDicomTagString(0x0010, 0x0010, buf, sizeof buf));
    EXPECT_STREQ(buf, "TEST^ONE");

    PixelType t;
    int count = 0;
    ASSERT_TRUE(r.setFile(dir.file("mr/IM0003.dcm")));
    ASSERT_NE(r.readDicomPixelPointer(t, count), nullptr);
    EXPECT_EQ(t, PIXEL_GRAY16);
    EXPECT_EQ(count, 64 * 48);
    ASSERT_TRUE(r.setFile(dir.file("sc/IM0001.dcm")));
    ASSERT_NE(r.readDicomPixelPointer(t, count), nullptr);
    EXPECT_EQ(t, PIXEL_RGB);
    EXPECT_EQ(count, 40 * 30);
    ASSERT_TRUE(r.setFile(dir.file("cine/IM0001.dcm")));
    ASSERT_NE(r.readDicomPixelPointer(t, count), nullptr);
    EXPECT_EQ(t, PIXEL_GRAY8);
    EXPECT_EQ(count, 32 * 32 * 7);

    EXPECT_EQ(runMaker("--ct 0x10x10 " + dir.file("bad")), 2 << 8);
    EXPECT_EQ(runMaker("--bogus"), 2 << 8);
}

TEST_F(ReadSamples, ExampleArchiveHoldsThreePatientsOfAFewMegabytes)
{
    const std::string zip = dir.file("example.zip");
    ASSERT_EQ(runMaker("--example " + zip), 0);
    const auto size = fs::file_size(zip);
    EXPECT_GT(size, 1u << 20);
    EXPECT_LT(size, 8u << 20);
    std::string script = "import zipfile, sys\n"
                         "z = zipfile.ZipFile(r'" + zip + "')\n"
                         "z.extractall(r'" + dir.file("x") + "')\n"
                         "print(len(z.namelist()))\n";
    int entries = std::stoi(readtest::runPython(script));
    EXPECT_GT(entries, 50);
    std::set<std::string> patients;
    for (const auto& e : fs::recursive_directory_iterator(dir.file("x"))) {
        if (!e.is_regular_file())
            continue;
        DCM_MESSAGE msg;
        ASSERT_TRUE(fillDcmMessage(e.path().string(), msg)) << e.path();
        patients.insert(msg.patientID);
    }
    EXPECT_EQ(patients.size(), 3u);
}
