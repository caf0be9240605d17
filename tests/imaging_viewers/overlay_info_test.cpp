// The patient and study texts of the slice viewer's corners, from tags given in code and from a
// real CT file.

#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "imaging/viewers/OverlayInfoReader.h"
#include "json/UIJson.h"

using isImageSDK::OverlayInfoReader;

namespace {

using Tags = std::map<uint32_t, std::string>;

// The JSON of the tags, and every tag the reader asked for.
std::string compose(const Tags& tags, bool withPatient, std::vector<uint32_t>* asked = nullptr) {
    return OverlayInfoReader::compose(
        [&](uint16_t group, uint16_t element, std::string& out) {
            const uint32_t key = uint32_t(group) << 16 | element;
            if (asked)
                asked->push_back(key);
            auto it = tags.find(key);
            if (it == tags.end())
                return false;
            out = it->second;
            return true;
        },
        withPatient);
}

std::string field(const std::string& json, const char* key) {
    return NSUI::UIJson::getJsonString(json, key);
}

} // namespace

TEST(OverlayInfo, TextsOfTheFirstFile) {
    const Tags tags = {{0x00080080, "General, North"}, {0x00080021, "20240305"},
                       {0x00080031, "141516.250"},     {0x00100040, "M"},
                       {0x00101010, "045Y"},           {0x00101030, "70"},
                       {0x00100010, "DOE^JOHN"},       {0x0008103E, "Chest"},
                       {0x00081030, "Study"}};
    const std::string json = compose(tags, true);
    EXPECT_EQ(field(json, "hospital"), "General_ North");
    EXPECT_EQ(field(json, "seriesTime"), "2024.03.05 14:15:16");
    EXPECT_EQ(field(json, "patientInfo"), "M 045Y W=70");
    EXPECT_EQ(field(json, "patient"), "DOE^JOHN");
    EXPECT_EQ(field(json, "imageDesc"), "Chest");

    // A sex of "0000" and no age: a blank and the birth date; a weight of "0" adds nothing.
    const std::string other = compose(
        {{0x00100040, "0000"}, {0x00100030, "19700101"}, {0x00101030, "0"}, {0x00080020, "20240305"}}, true);
    EXPECT_EQ(field(other, "patientInfo"), " 19700101");
    EXPECT_EQ(other.find("seriesTime"), std::string::npos) << "a date without any time";
    // The weight as written; zero in any spelling and an empty value mean unknown.
    for (const auto& [weight, text] : std::vector<std::pair<std::string, std::string>>{
             {"72.5", "M W=72.5"}, {"80.0000", "M W=80.0000"}, {"0.000000", "M"}, {"+0.0", "M"}, {"", "M"}})
        EXPECT_EQ(field(compose({{0x00100040, "M"}, {0x00101030, weight}, {0x00100030, ""}}, true), "patientInfo"),
                  text)
            << weight;
    // Short values are not read past their end.
    EXPECT_EQ(compose({{0x00080020, "2024"}, {0x00080030, "1415"}}, true).find("seriesTime"),
              std::string::npos);
}

TEST(OverlayInfo, IdentifyingTagsAreNotReadWhenHidden) {
    std::vector<uint32_t> asked;
    const std::string json = compose({{0x00100010, "DOE^JOHN"}, {0x00100040, "F"}}, false, &asked);
    for (uint32_t tag : {0x00100010u, 0x00080080u, 0x00200010u, 0x00200011u, 0x00181030u})
        EXPECT_EQ(std::count(asked.begin(), asked.end(), tag), 0) << std::hex << tag;
    EXPECT_EQ(json.find("patient\""), std::string::npos);
    EXPECT_EQ(field(json, "patientInfo"), "F");
}

TEST(OverlayInfo, ReadsARealFile) {
    std::string json;
    ASSERT_TRUE(OverlayInfoReader::read(std::string(QP_PYDICOM_DIR) + "/CT_small.dcm", true, json));
    EXPECT_EQ(field(json, "patient"), "CompressedSamples^CT1");
    EXPECT_EQ(field(json, "hospital"), "JFK IMAGING CENTER");
    EXPECT_EQ(field(json, "seriesTime"), "1997.04.30 11:27:49");
    EXPECT_EQ(field(json, "studyID"), "1CT1");
    EXPECT_EQ(field(json, "patientInfo"), "O 000Y") << "a weight of 0.000000 is unknown";
    ASSERT_TRUE(OverlayInfoReader::read(std::string(QP_PYDICOM_DIR) + "/MR_small.dcm", true, json));
    EXPECT_EQ(field(json, "patientInfo"), "F W=80.0000") << "an empty birth date adds nothing";
    EXPECT_FALSE(OverlayInfoReader::read(std::string(QP_PYDICOM_DIR) + "/README.txt", true, json));
}
