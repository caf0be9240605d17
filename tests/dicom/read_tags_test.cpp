// Tag values, tag lists and file records agree with what pydicom reads from the same files.

#include "read_helpers.h"

#include "dcmCallbacks.h"
#include "dcmFileRecord.h"
#include "dcmReadTag.h"
#include "dcmReader.h"

#include <gtest/gtest.h>

#include <iconv.h>

#include <cstring>
#include <map>
#include <sstream>
#include <string>
#include <vector>

using namespace dcmSDK;
using readtest::makeDicom;
using readtest::pydicomFile;

namespace {

// Every top-level text or number element pydicom reads, as "gggg,eeee<TAB>value" lines,
// several values joined by "\".
std::map<std::string, std::string> pydicomTags(const std::string& path)
{
    std::string script = R"(
import pydicom
from pydicom.multival import MultiValue
d = pydicom.dcmread(r')" + path + R"(')
for e in d:
    if e.VR not in ('CS','LO','SH','PN','DA','TM','UI','DS','IS','US','AS','DT') or e.value is None:
        continue
    v = '\\'.join(str(x) for x in e.value) if isinstance(e.value, (MultiValue, list)) else str(e.value)
    if '\t' in v or '\n' in v:
        continue
    print('%04x,%04x\t%s' % (e.tag.group, e.tag.element, v))
)";
    std::map<std::string, std::string> tags;
    std::istringstream in(readtest::runPython(script));
    std::string line;
    while (std::getline(in, line)) {
        size_t tab = line.find('\t');
        if (tab != std::string::npos)
            tags[line.substr(0, tab)] = line.substr(tab + 1);
    }
    return tags;
}

std::string readString(dcmReader& r, unsigned short g, unsigned short e)
{
    char buf[1024];
    return r.readDicomTagString(g, e, buf, sizeof buf) ? std::string(buf) : std::string("<absent>");
}

// GB18030 to UTF-8 with iconv, as the host's conversion callback does.
void gbToUtf8(const char* in, char* out, int size)
{
    memset(out, 0, size);
    iconv_t cd = iconv_open("UTF-8", "GB18030");
    if (cd == (iconv_t)-1)
        return;
    char* src = const_cast<char*>(in);
    size_t srcLeft = strlen(in);
    char* dst = out;
    size_t dstLeft = size - 1;
    iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    iconv_close(cd);
}

} // namespace

TEST(ReadTags, TextAndNumberValuesAgreeWithPydicom)
{
    for (const char* name : {"CT_small.dcm", "MR_small_bigendian.dcm", "MR_small_implicit.dcm", "rtplan.dcm",
                             "JPEG2000.dcm", "SC_rgb_rle.dcm", "ExplVR_BigEnd.dcm", "image_dfl.dcm"}) {
        SCOPED_TRACE(name);
        std::map<std::string, std::string> expected = pydicomTags(pydicomFile(name));
        ASSERT_GT(expected.size(), 5u);
        dcmReader r;
        ASSERT_TRUE(r.setFile(pydicomFile(name)));
        for (const auto& kv : expected) {
            unsigned g = 0, e = 0;
            sscanf(kv.first.c_str(), "%x,%x", &g, &e);
            std::string ours = readString(r, static_cast<unsigned short>(g), static_cast<unsigned short>(e));
            // pydicom shows numbers in its own canonical form; compare those as numbers.
            char* end = nullptr;
            double theirs = strtod(kv.second.c_str(), &end);
            if (*end == 0 && !kv.second.empty() && kv.second.find('\\') == std::string::npos &&
                ours.find('\\') == std::string::npos && ours != "<absent>")
                EXPECT_DOUBLE_EQ(strtod(ours.c_str(), nullptr), theirs) << kv.first;
            else
                EXPECT_EQ(ours, kv.second) << kv.first;
        }
    }
}

TEST(ReadTags, DeclaredCharacterSetsBecomeUtf8)
{
    std::string script = R"(
import pydicom
for f in ('chrArab','chrFren','chrFrenMulti','chrGerm','chrGreek','chrHbrw','chrRuss','chrX1','chrX2'):
    d = pydicom.dcmread(r')" + readtest::charsetFile("") + R"(' + f + '.dcm')
    print(f + '\t' + str(d.PatientName))
)";
    std::istringstream in(readtest::runPython(script));
    std::string line;
    int checked = 0;
    while (std::getline(in, line)) {
        size_t tab = line.find('\t');
        std::string file = line.substr(0, tab), name = line.substr(tab + 1);
        SCOPED_TRACE(file);
        dcmReader r;
        ASSERT_TRUE(r.setFile(readtest::charsetFile(file + ".dcm")));
        // pydicom drops empty trailing component groups ("...="); the file's value keeps them.
        std::string ours = readString(r, 0x0010, 0x0010);
        while (!ours.empty() && ours.back() == '=')
            ours.pop_back();
        EXPECT_EQ(ours, name);
        ++checked;
    }
    EXPECT_EQ(checked, 9);
}

TEST(ReadTags, TextWithoutDeclaredCharacterSetGoesThroughTheHostConversion)
{
    qptest::TempDir dir;
    // "王小明" in GB18030, with no (0008,0005).
    ASSERT_TRUE(makeDicom(dir.file("gb.dcm"), "ds.PatientName = b'\\xcd\\xf5\\xd0\\xa1\\xc3\\xf7'\n"
                                              "ds.PatientID = 'ID1'\n"));
    dcmReader r;
    ASSERT_TRUE(r.setFile(dir.file("gb.dcm")));
    // Without a callback the bytes are read as Latin-1 and still give valid UTF-8.
    setgb2utf8Callback(nullptr);
    EXPECT_EQ(readString(r, 0x0010, 0x0010), "\xc3\x8d\xc3\xb5\xc3\x90\xc2\xa1\xc3\x83\xc3\xb7");
    setgb2utf8Callback(gbToUtf8);
    EXPECT_EQ(readString(r, 0x0010, 0x0010), "\xe7\x8e\x8b\xe5\xb0\x8f\xe6\x98\x8e");
    EXPECT_EQ(readString(r, 0x0010, 0x0020), "ID1");
    setgb2utf8Callback(nullptr);
}

TEST(ReadTags, AbsentEmptyAndCutValues)
{
    qptest::TempDir dir;
    ASSERT_TRUE(makeDicom(dir.file("t.dcm"), "ds.WindowWidth = ''\n"
                                             "ds.PatientName = 'Doe^John'\n"
                                             "ds.StudyDescription = '\\u00e9t\\u00e9'\n"
                                             "ds.SpecificCharacterSet = 'ISO_IR 192'\n"
                                             "ds.Rows = 7\n"
                                             "ds.SliceThickness = '2.5'\n"));
    dcmReader r;
    ASSERT_TRUE(r.setFile(dir.file("t.dcm")));
    char buf[16];
    EXPECT_FALSE(r.readDicomTagString(0x0028, 0x1050, buf, sizeof buf)); // absent
    EXPECT_TRUE(r.readDicomTagString(0x0028, 0x1051, buf, sizeof buf));  // present but empty
    EXPECT_STREQ(buf, "");
    EXPECT_TRUE(r.readDicomTagString(0x0010, 0x0010, buf, 5));
    EXPECT_STREQ(buf, "Doe^");
    // A cut never splits a UTF-8 character: "é" is two bytes.
    EXPECT_TRUE(r.readDicomTagString(0x0008, 0x1030, buf, 5));
    EXPECT_STREQ(buf, "\xc3\xa9t");
    EXPECT_FALSE(r.readDicomTagString(0x0010, 0x0010, nullptr, 10));
    EXPECT_FALSE(r.readDicomTagString(0x0010, 0x0010, buf, 0));

    unsigned short v = 0;
    EXPECT_TRUE(r.readDicomTagUint16(0x0028, 0x0010, v));
    EXPECT_EQ(v, 7);
    EXPECT_TRUE(r.readDicomTagUint16(0x0018, 0x0050, v)); // a number given as text
    EXPECT_EQ(v, 2);
    EXPECT_FALSE(r.readDicomTagUint16(0x0028, 0x0011, v));
    EXPECT_FALSE(r.readDicomTagUint16(0x0028, 0x1051, v)); // empty

    dcmReader none;
    EXPECT_FALSE(none.readDicomTagString(0x0010, 0x0010, buf, sizeof buf));
    EXPECT_FALSE(none.readDicomTagUint16(0x0028, 0x0010, v));
}

TEST(ReadTags, ValuesInsideSequencesAreFoundWhenNotAtTheTopLevel)
{
    qptest::TempDir dir;
    ASSERT_TRUE(makeDicom(dir.file("pet.dcm"), R"(
ds.Modality = 'PT'
ds.SeriesTime = '101010'
item = Dataset()
item.RadionuclideTotalDose = '370000000'
item.RadionuclideHalfLife = '6586.2'
item.RadiopharmaceuticalStartTime = '093000'
item.SeriesTime = '999999'
ds.RadiopharmaceuticalInformationSequence = Sequence([item])
)"));
    dcmReader r;
    ASSERT_TRUE(r.setFile(dir.file("pet.dcm")));
    EXPECT_EQ(readString(r, 0x0018, 0x1074), "370000000");
    EXPECT_EQ(readString(r, 0x0018, 0x1075), "6586.2");
    EXPECT_EQ(readString(r, 0x0018, 0x1072), "093000");
    EXPECT_EQ(readString(r, 0x0008, 0x0031), "101010"); // the top-level value wins

    dcmReadTag t;
    ASSERT_TRUE(t.setFile(dir.file("pet.dcm")));
    EXPECT_STREQ(t.getTag(0x0018, 0x1074), "370000000");
    EXPECT_STREQ(t.getTag(0x0010, 0x0010), "");
}

TEST(ReadTags, TagListHoldsEveryElementInFileOrder)
{
    dcmReadTag t;
    int count = -1;
    EXPECT_EQ(t.getTagList(count), nullptr);
    EXPECT_EQ(count, 0);
    ASSERT_TRUE(t.setFile(pydicomFile("CT_small.dcm")));
    const DCM_TAG_ENTRY* list = t.getTagList(count);
    ASSERT_NE(list, nullptr);

    std::string script = R"(
import pydicom
d = pydicom.dcmread(r')" + pydicomFile("CT_small.dcm") + R"(')
n = len(d.file_meta)
for e in d.iterall():
    n += 1
print(n)
)";
    EXPECT_EQ(count, std::stoi(readtest::runPython(script)));

    int patientName = -1, lastMeta = -1, firstData = -1, nested = 0;
    for (int i = 0; i < count; ++i) {
        const DCM_TAG_ENTRY& e = list[i];
        ASSERT_LT(strnlen(e.tag, sizeof e.tag), sizeof e.tag);
        ASSERT_LT(strnlen(e.value, sizeof e.value), sizeof e.value);
        ASSERT_LT(strnlen(e.description, sizeof e.description), sizeof e.description);
        std::string tag = e.tag;
        if (tag.compare(0, 5, "(0002") == 0) {
            lastMeta = i;
            EXPECT_EQ(e.flag, 1);
        } else if (firstData < 0) {
            firstData = i;
        }
        if (tag == "(0010,0010)") {
            patientName = i;
            EXPECT_STREQ(e.value, "CompressedSamples^CT1");
            EXPECT_STREQ(e.description, "PatientName");
            EXPECT_EQ(e.flag, 0);
        }
        if (tag[0] == '>') {
            ++nested;
            EXPECT_EQ(e.flag, 1);
        }
        if (tag == "(7FE0,0010)") {
            EXPECT_STREQ(e.value, "(binary data, 32768 bytes)");
        }
    }
    EXPECT_GE(patientName, 0);
    EXPECT_LT(lastMeta, firstData);
    EXPECT_GT(nested, 0);
    // The list stays put while the reader lives; asking again gives the same array.
    int again = 0;
    EXPECT_EQ(t.getTagList(again), list);
    EXPECT_EQ(again, count);
}

TEST(ReadTags, ImageScaleIsColumnsOverRowsAndOneWithoutRows)
{
    dcmReadTag t;
    EXPECT_FLOAT_EQ(t.getImageScale(), 1.0f);
    ASSERT_TRUE(t.setFile(pydicomFile("ExplVR_BigEnd.dcm")));
    EXPECT_FLOAT_EQ(t.getImageScale(), 80.0f / 60.0f);
    qptest::TempDir dir;
    ASSERT_TRUE(makeDicom(dir.file("z.dcm"), "ds.Rows = 0\nds.Columns = 512\n"));
    ASSERT_TRUE(t.setFile(dir.file("z.dcm")));
    EXPECT_FLOAT_EQ(t.getImageScale(), 1.0f);
}

TEST(ReadTags, FileRecordTakesTagsAndTheirDefaults)
{
    DCM_MESSAGE msg;
    ASSERT_TRUE(fillDcmMessage(pydicomFile("CT_small.dcm"), msg));
    std::string script = R"(
import pydicom
d = pydicom.dcmread(r')" + pydicomFile("CT_small.dcm") + R"(')
for k in ('Modality','StudyInstanceUID','StudyID','StudyDate','StudyTime','SeriesInstanceUID','SOPInstanceUID','PatientName','PatientID','InstanceNumber'):
    print(str(d.get(k, '')))
)";
    std::istringstream in(readtest::runPython(script));
    std::vector<std::string> v;
    std::string line;
    while (std::getline(in, line))
        v.push_back(line);
    ASSERT_EQ(v.size(), 10u);
    EXPECT_EQ(msg.modality, v[0]);
    EXPECT_EQ(msg.studyInstanceUID, v[1]);
    EXPECT_EQ(msg.studyID, v[2]);
    EXPECT_EQ(msg.studyDate, v[3]);
    EXPECT_EQ(msg.studyTime, v[4].substr(0, 6));
    EXPECT_EQ(msg.seriesInstanceUID, v[5]);
    EXPECT_EQ(msg.sopInstanceUID, v[6]);
    EXPECT_EQ(msg.patientName, v[7]);
    EXPECT_EQ(msg.patientID, v[8]);
    EXPECT_EQ(msg.instanceNumber, v[9]);
    EXPECT_STREQ(msg.fileName, "");
    EXPECT_STREQ(msg.folder, "");

    qptest::TempDir dir;
    ASSERT_TRUE(makeDicom(dir.file("bare.dcm"), "ds.PatientSex = 'O'\n"
                                                "ds.StudyTime = '235959.123456'\n"
                                                "ds.StudyDescription = 'x' * 300\n"));
    ASSERT_TRUE(fillDcmMessage(dir.file("bare.dcm"), msg));
    EXPECT_STREQ(msg.studyInstanceUID, "unknownStudy");
    EXPECT_STREQ(msg.seriesInstanceUID, "unknownSeries");
    EXPECT_STREQ(msg.sopInstanceUID, "unknownImageUID");
    EXPECT_STREQ(msg.patientName, "ANONYMOUS");
    EXPECT_STREQ(msg.patientID, "EmptyID");
    EXPECT_STREQ(msg.instanceNumber, "0");
    EXPECT_STREQ(msg.sex, "U");
    EXPECT_STREQ(msg.studyTime, "235959");
    EXPECT_EQ(strlen(msg.studyDescription), 255u);

    EXPECT_FALSE(fillDcmMessage(dir.file("missing.dcm"), msg));
}
