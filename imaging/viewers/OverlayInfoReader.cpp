#include "imaging/viewers/OverlayInfoReader.h"

#include <charconv>

#include "dicom/dcmReader.h"
#include "json/UIJson.h"

namespace isImageSDK {

namespace {

// The first of the tags that can be read.
bool firstOf(const OverlayInfoReader::TagSource& tag, const uint16_t tags[][2], int count, std::string& out) {
    for (int i = 0; i < count; ++i)
        if (tag(tags[i][0], tags[i][1], out))
            return true;
    return false;
}

// A tag that is present but holds no text tells nothing either.
bool readText(const OverlayInfoReader::TagSource& tag, uint16_t group, uint16_t element, std::string& out) {
    return tag(group, element, out) && !out.empty();
}

// A weight of zero, written in any way ("0", "0.000000", "0e0"), means the weight is unknown.
bool isZeroNumber(const std::string& text) {
    double value = 1.0;
    const char* end = text.data() + text.size();
    const char* start = text.data() + (!text.empty() && text[0] == '+');
    const auto parsed = std::from_chars(start, end, value);
    return parsed.ec == std::errc() && parsed.ptr == end && value == 0.0;
}

} // namespace

bool OverlayInfoReader::read(const std::string& path, bool withPatient, std::string& json) {
    if (path.empty())
        return false;
    dcmSDK::dcmReader reader;
    if (!reader.setFile(path))
        return false;
    json = compose(
        [&reader](uint16_t group, uint16_t element, std::string& out) {
            char buffer[256] = {0};
            if (!reader.readDicomTagString(group, element, buffer, sizeof buffer))
                return false;
            out = buffer;
            return true;
        },
        withPatient);
    return true;
}

std::string OverlayInfoReader::compose(const TagSource& tag, bool withPatient) {
    std::string json, value;
    if (withPatient) {
        if (tag(0x0020, 0x0010, value))
            NSUI::UIJson::setJsonString(json, "studyID", value);
        if (tag(0x0020, 0x0011, value))
            NSUI::UIJson::setJsonString(json, "seriesID", value);
        std::string hospital;
        if (tag(0x0008, 0x0080, hospital))
            for (char& c : hospital)
                if (c == ',')
                    c = '_';
        NSUI::UIJson::setJsonString(json, "hospital", hospital);
    }
    static const uint16_t kDates[3][2] = {{0x0008, 0x0021}, {0x0008, 0x0020}, {0x0008, 0x0022}};
    static const uint16_t kTimes[3][2] = {{0x0008, 0x0031}, {0x0008, 0x0030}, {0x0008, 0x0032}};
    std::string date, time;
    const bool hasDate = firstOf(tag, kDates, 3, date);
    // A short date or time would be read past its end: such a value gives no series time.
    if (firstOf(tag, kTimes, 3, time) && hasDate && date.size() >= 8 && time.size() >= 6) {
        const std::string text = date.substr(0, 4) + "." + date.substr(4, 2) + "." + date.substr(6, 2) + " " +
                                 time.substr(0, 2) + ":" + time.substr(2, 2) + ":" + time.substr(4, 2);
        NSUI::UIJson::setJsonString(json, "seriesTime", text);
    }
    if (withPatient && tag(0x0010, 0x0010, value))
        NSUI::UIJson::setJsonString(json, "patient", value);
    std::string info;
    if (tag(0x0010, 0x0040, value) && value != "0000")
        info = value;
    if (readText(tag, 0x0010, 0x1010, value) || readText(tag, 0x0010, 0x0030, value))
        info += " " + value;
    // The weight as the file writes it (70, 72.5); an unknown weight shows nothing.
    if (readText(tag, 0x0010, 0x1030, value) && !isZeroNumber(value))
        info += " W=" + value;
    NSUI::UIJson::setJsonString(json, "patientInfo", info);
    static const uint16_t kDescriptions[3][2] = {{0x0018, 0x1030}, {0x0008, 0x103E}, {0x0008, 0x1030}};
    if (withPatient && firstOf(tag, kDescriptions, 3, value))
        NSUI::UIJson::setJsonString(json, "imageDesc", value);
    return json;
}

} // namespace isImageSDK
