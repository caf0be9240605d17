#include "imaging/core/io/DicomImageTags.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "cocos2d.h"
#include "dicom/dcmReader.h"

namespace isImageSDK {

namespace {

constexpr int kTagBufferSize = 1024;

bool readFloat(dcmSDK::dcmReader& reader, unsigned short group, unsigned short element, float& out)
{
    std::string text;
    if (!readTagText(reader, group, element, text)) return false;
    const float value = static_cast<float>(std::strtod(text.c_str(), nullptr));
    // "NaN", "inf" or a value beyond float range would spread into every sample or size derived
    // from it; such a field counts as absent.
    if (!std::isfinite(value)) {
        cocos2d::log("isDcmReader: tag (%04x,%04x) holds no finite number: \"%s\"", group, element, text.c_str());
        return false;
    }
    out = value;
    return true;
}

int toInt(const std::string& text, size_t from, size_t count)
{
    if (from >= text.size()) return 0;
    return std::atoi(text.substr(from, count).c_str());
}

void parseDate(const std::string& text, isDateTime& dt)
{
    dt.year = toInt(text, 0, 4);
    dt.month = toInt(text, 4, 2);
    dt.day = toInt(text, 6, 2);
}

void parseTime(const std::string& text, isDateTime& dt)
{
    dt.hour = toInt(text, 0, 2);
    dt.minute = toInt(text, 2, 2);
    dt.second = toInt(text, 4, 2);
}

void parseDateTime(const std::string& text, isDateTime& dt)
{
    parseDate(text, dt);
    dt.hour = toInt(text, 8, 2);
    dt.minute = toInt(text, 10, 2);
    dt.second = toInt(text, 12, 2);
}

bool readDatePair(dcmSDK::dcmReader& reader, unsigned short dateElement, unsigned short timeElement,
                  isDateTime& dt)
{
    std::string date, time;
    if (!readTagText(reader, 0x0008, dateElement, date) || date.size() != 8) return false;
    if (!readTagText(reader, 0x0008, timeElement, time) || time.size() < 6) return false;
    parseDate(date, dt);
    parseTime(time, dt);
    return true;
}

void readPetTimes(dcmSDK::dcmReader& reader, isSliceInfo& slice)
{
    slice.petTimesValid = 1;
    std::string text;
    isDateTime& acq = slice.acquisitionTime;
    if (readTagText(reader, 0x0008, 0x002A, text) && text.size() >= 14) {
        parseDateTime(text, acq);
    } else if (!readDatePair(reader, 0x0022, 0x0032, acq) && !readDatePair(reader, 0x0021, 0x0031, acq) &&
               !readDatePair(reader, 0x0020, 0x0030, acq)) {
        acq.year = 1900;
        slice.petTimesValid = 0;
    }
    isDateTime& inj = slice.injectionTime;
    if (readTagText(reader, 0x0018, 0x1078, text) && text.size() >= 14) {
        parseDateTime(text, inj);
    } else if (readTagText(reader, 0x0018, 0x1072, text) && text.size() >= 6) {
        inj.year = acq.year;
        inj.month = acq.month;
        inj.day = acq.day;
        parseTime(text, inj);
    } else {
        slice.petTimesValid = 0;
    }
}

int modalityCode(const std::string& text)
{
    if (text == "CT") return kModalityCT;
    if (text == "PT") return kModalityPT;
    if (text == "US") return kModalityUS;
    if (text == "MR") return kModalityMR;
    if (text == "DR" || text == "DX") return kModalityDX;
    if (text == "NM") return kModalityNM;
    if (text == "XA") return kModalityXA;
    return kModalityOther;
}

bool hasFraction(float value)
{
    return std::trunc(value) != value;
}

} // namespace

bool readTagText(dcmSDK::dcmReader& reader, unsigned short group, unsigned short element, std::string& out)
{
    char buffer[kTagBufferSize];
    buffer[0] = '\0';
    if (!reader.readDicomTagString(group, element, buffer, kTagBufferSize)) return false;
    buffer[kTagBufferSize - 1] = '\0';
    out.assign(buffer);
    return true;
}

/// The number of backslash-separated values, the first `capacity` of them stored; 0 when one of
/// the stored values is not a finite number, so that the caller keeps its default.
int parseNumbers(const std::string& text, double* out, int capacity)
{
    int parts = 0;
    size_t start = 0;
    while (true) {
        const size_t end = text.find('\\', start);
        const std::string part = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (parts < capacity) {
            const double value = std::strtod(part.c_str(), nullptr);
            if (!std::isfinite(value) || !std::isfinite(static_cast<float>(value))) {
                cocos2d::log("isDcmReader: \"%s\" holds no finite number", text.c_str());
                return 0;
            }
            out[parts] = value;
        }
        ++parts;
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return parts;
}

bool parsePatientPosition(const std::string& text, int& facing, int& headFeet)
{
    static const struct {
        const char* text;
        int facing, headFeet;
    } table[] = {{"HFS", 0, 0}, {"HFP", 1, 0}, {"HFDR", 2, 0}, {"HFDL", 3, 0},
                 {"FFS", 0, 1}, {"FFP", 1, 1}, {"FFDR", 2, 1}, {"FFDL", 3, 1}};
    for (const auto& entry : table) {
        if (text == entry.text) {
            facing = entry.facing;
            headFeet = entry.headFeet;
            return true;
        }
    }
    facing = 0;
    headFeet = 2;
    return false;
}

cocos2d::Mat4 sliceMatrix(const double r[3], const double c[3], const double p[3], int facing, int headFeet)
{
    // Patient axes to display axes; an unstated head/feet direction is shown as head first supine.
    double rm[3], cm[3], pm[3];
    auto map = [&](const double v[3], double o[3]) {
        if (headFeet == 1) {
            switch (facing) {
            case 1: o[0] = v[0]; o[1] = -v[2]; o[2] = v[1]; return;
            case 2: o[0] = -v[1]; o[1] = -v[2]; o[2] = v[0]; return;
            case 3: o[0] = v[1]; o[1] = -v[2]; o[2] = -v[0]; return;
            default: o[0] = -v[0]; o[1] = -v[2]; o[2] = -v[1]; return;
            }
        }
        if (headFeet == 0) {
            switch (facing) {
            case 1: o[0] = -v[0]; o[1] = v[2]; o[2] = v[1]; return;
            case 2: o[0] = v[1]; o[1] = v[2]; o[2] = v[0]; return;
            case 3: o[0] = -v[1]; o[1] = v[2]; o[2] = -v[0]; return;
            default: break;
            }
        }
        o[0] = v[0];
        o[1] = v[2];
        o[2] = -v[1];
    };
    map(r, rm);
    map(c, cm);
    map(p, pm);
    const double n[3] = {rm[1] * cm[2] - rm[2] * cm[1], rm[2] * cm[0] - rm[0] * cm[2],
                         rm[0] * cm[1] - rm[1] * cm[0]};
    cocos2d::Mat4 m;
    for (int i = 0; i < 3; ++i) {
        m.m[0 + i] = static_cast<float>(rm[i]);
        m.m[4 + i] = static_cast<float>(cm[i]);
        m.m[8 + i] = static_cast<float>(n[i]);
        m.m[12 + i] = static_cast<float>(pm[i]);
    }
    m.m[3] = m.m[7] = m.m[11] = 0.0f;
    m.m[15] = 1.0f;
    return m;
}

int choosePixelType(int bitsAllocated, int libraryType, int modality, float slope, float intercept,
                    int displayCode)
{
    if (bitsAllocated == 8) {
        if (libraryType == dcmSDK::PIXEL_GRAY8) return kPixelU8;
        if (libraryType == dcmSDK::PIXEL_RGB) return kPixelRGB8;
        return -1;
    }
    if (bitsAllocated == 24) return kPixelRGB8;
    if (bitsAllocated == 16 && libraryType == dcmSDK::PIXEL_GRAY16) {
        if (modality == kModalityPT) return kPixelF32;
        if (hasFraction(slope) || hasFraction(intercept) || slope > 1.0f) return kPixelF32;
        if (displayCode == 1 || displayCode == 3 || intercept < 0.0f || slope < 0.0f) return kPixelS16;
        return kPixelU16;
    }
    return -1;
}

void readImageTags(dcmSDK::dcmReader& reader, TagRules rules, isSliceInfo& slice, DicomImageTags& tags)
{
    const bool scan = rules == TagRules::SeriesScan;
    std::string text;
    unsigned short u16 = 0;

    tags.modalityPresent = readTagText(reader, 0x0008, 0x0060, text);
    slice.modality = tags.modalityPresent ? modalityCode(text) : (scan ? kModalityCT : kModalityOther);

    if (readTagText(reader, 0x0018, 0x5100, text)) {
        int facing = 0, headFeet = 2;
        if (!parsePatientPosition(text, facing, headFeet) && !scan) slice.geometryValid = 0;
        slice.facing = facing;
        slice.headFeet = headFeet;
    } else {
        slice.facing = 0;
        slice.headFeet = 2;
        const int m = slice.modality;
        if (m != kModalityCT && m != kModalityPT && m != kModalityMR) slice.geometryValid = 0;
    }

    double position[3] = {0, 0, 0};
    tags.positionValid = readTagText(reader, 0x0020, 0x0032, text) && parseNumbers(text, position, 3) == 3;
    if (!tags.positionValid) {
        position[0] = position[1] = position[2] = 0.0;
        slice.geometryValid = 0;
    }
    double orientation[6] = {1, 0, 0, 0, 1, 0};
    tags.orientationValid = readTagText(reader, 0x0020, 0x0037, text) && parseNumbers(text, orientation, 6) == 6;
    if (!tags.orientationValid) {
        const double fallback[6] = {1, 0, 0, 0, 1, 0};
        std::memcpy(orientation, fallback, sizeof fallback);
        slice.geometryValid = 0;
    }
    slice.matrix = sliceMatrix(orientation, orientation + 3, position, slice.facing, slice.headFeet);

    tags.columnsPresent = reader.readDicomTagUint16(0x0028, 0x0011, u16);
    slice.columns = tags.columnsPresent ? u16 : 0;
    tags.rowsPresent = reader.readDicomTagUint16(0x0028, 0x0010, u16);
    slice.rows = tags.rowsPresent ? u16 : 0;

    slice.frames = 1;
    if (readTagText(reader, 0x0028, 0x0008, text)) {
        const long frames = std::strtol(text.c_str(), nullptr, 10);
        // The record keeps frames in 16 bits; a count beyond that cannot be described.
        slice.frames = static_cast<int16_t>(frames < 1 ? 1 : (frames > INT16_MAX ? INT16_MAX : frames));
    }

    slice.spacingX = slice.spacingY = 1.0f;
    if (readTagText(reader, 0x0028, 0x0030, text)) {
        double spacing[2] = {1.0, 1.0};
        if (parseNumbers(text, spacing, 2) == 2) {
            slice.spacingX = static_cast<float>(spacing[1]);
            slice.spacingY = static_cast<float>(spacing[0]);
        }
    } else {
        slice.spacingValid = 0;
    }

    slice.sex = 3;
    if (readTagText(reader, 0x0010, 0x0040, text)) slice.sex = text == "M" ? 1 : (text == "F" ? 2 : 3);
    const float absent = scan ? 0.0f : -1.0f;
    if (!readFloat(reader, 0x0010, 0x1030, slice.weight)) slice.weight = absent;
    if (!readFloat(reader, 0x0010, 0x1020, slice.size)) slice.size = absent;

    if (slice.modality == kModalityCT && readTagText(reader, 0x0018, 0x0022, text))
        slice.scanOptions = text.substr(0, 9);
    if (slice.modality == kModalityPT && reader.readDicomTagUint16(0x0018, 0x1060, u16)) slice.triggerValue = u16;

    tags.bitsAllocated = reader.readDicomTagUint16(0x0028, 0x0100, u16) ? u16 : 8;
    if (!readFloat(reader, 0x0028, 0x1052, slice.intercept)) slice.intercept = 0.0f;
    if (!readFloat(reader, 0x0028, 0x1053, slice.slope)) slice.slope = 1.0f;
    tags.pixelRepresentation = reader.readDicomTagUint16(0x0028, 0x0103, u16) ? u16 : 0;
    slice.displayCode = tags.pixelRepresentation > 1 ? 1 : tags.pixelRepresentation;
    if (readTagText(reader, 0x0028, 0x0004, text) && text == "MONOCHROME1") slice.displayCode += 2;

    const bool pet = slice.modality == kModalityPT;
    double window = 0.0;
    slice.windowCenter = pet ? 10000.0f : 128.0f;
    if (readTagText(reader, 0x0028, 0x1050, text) && parseNumbers(text, &window, 1) >= 1)
        slice.windowCenter = static_cast<float>(window);
    slice.windowWidth = pet ? 20000.0f : 255.0f;
    if (readTagText(reader, 0x0028, 0x1051, text) && parseNumbers(text, &window, 1) >= 1)
        slice.windowWidth = static_cast<float>(window);

    if (!pet) return;
    if (!readFloat(reader, 0x0054, 0x1321, slice.decayFactor)) slice.decayFactor = 0.0f;
    slice.decayCorrection = 4;
    if (readTagText(reader, 0x0054, 0x1102, text))
        slice.decayCorrection = text == "ADMIN" ? 1 : (text == "START" ? 2 : (text == "NONE" ? 3 : 4));
    if (!readFloat(reader, 0x0018, 0x1074, slice.totalDose)) slice.totalDose = 0.0f;
    if (!readFloat(reader, 0x7053, 0x1000, slice.suvFactor)) slice.suvFactor = 0.0f;
    if (!readFloat(reader, 0x0018, 0x1075, slice.halfLife)) slice.halfLife = 0.0f;
    slice.units = 3;
    if (readTagText(reader, 0x0054, 0x1001, text)) slice.units = text == "BQML" ? 1 : (text == "CNTS" ? 2 : 3);
    readPetTimes(reader, slice);
}

} // namespace isImageSDK
