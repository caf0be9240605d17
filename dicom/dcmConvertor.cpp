#include "dcmConvertor.h"

#include "dcmCallbacks.h"
#include "detail/DicomFile.h"
#include "detail/PathSafety.h"

#include <dcmtk/dcmdata/dcuid.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

namespace dcmSDK {

namespace {
// A slot's text, or empty when it is not terminated inside its slot.
std::string slotText(const char* slot, size_t size)
{
    size_t n = strnlen(slot, size);
    return n < size ? std::string(slot, n) : std::string();
}

std::string trimmed(const std::string& s)
{
    size_t a = s.find_first_not_of(' ');
    size_t b = s.find_last_not_of(' ');
    return a == std::string::npos ? std::string() : s.substr(a, b - a + 1);
}

bool isUid(const std::string& s, size_t maxLen)
{
    if (s.empty() || s.size() > maxLen || s.front() == '.' || s.back() == '.')
        return false;
    for (size_t i = 0; i < s.size(); ++i) {
        char c = s[i];
        if (!(c == '.' || (c >= '0' && c <= '9')))
            return false;
        if (c == '.' && s[i + 1] == '.')
            return false;
    }
    return true;
}

std::string numbers(const float* v, int n)
{
    std::string out;
    char buf[32];
    for (int i = 0; i < n; ++i) {
        snprintf(buf, sizeof buf, "%.6g", static_cast<double>(v[i]));
        if (i)
            out += '\\';
        out += buf;
    }
    return out;
}

bool allFinite(const float* v, int n)
{
    for (int i = 0; i < n; ++i)
        if (!std::isfinite(v[i]))
            return false;
    return true;
}

bool nonZero(const float* v, int n)
{
    for (int i = 0; i < n; ++i)
        if (v[i] != 0.0f)
            return true;
    return false;
}

void copyTag(const DicomFile& src, DcmDataset* ds, const DcmTagKey& key, const char* fallback)
{
    std::string v;
    if (src.isLoaded())
        src.getString(key.getGroup(), key.getElement(), v);
    if (v.empty() && fallback)
        v = fallback;
    if (!v.empty())
        ds->putAndInsertString(key, v.c_str());
}
} // namespace

bool dcmConvertor::convert(const PIXEL_Mem_ConvertorData& d)
{
    const std::string out = slotText(d.outputPath, sizeof d.outputPath);
    const std::string samplesText = trimmed(slotText(d.samplesPerPixel, sizeof d.samplesPerPixel));
    const std::string framesText = trimmed(slotText(d.numberOfFrames, sizeof d.numberOfFrames));
    if (out.empty() || !d.pixels || d.rows == 0 || d.columns == 0 || d.rows > 65535 || d.columns > 65535) {
        dcmLog("convert: record without output path, pixels or size");
        return false;
    }
    const bool rgb = samplesText == "3";
    if (!rgb && samplesText != "1") {
        dcmLog("convert: samples per pixel '%s' not supported", samplesText.c_str());
        return false;
    }
    if (!framesText.empty() && framesText != "1") {
        dcmLog("convert: only single-frame images are written (frames '%s')", framesText.c_str());
        return false;
    }
    if (!rgb && d.highBit != 15) {
        dcmLog("convert: grey images are written as 16-bit samples (high bit %u)", d.highBit);
        return false;
    }

    DicomFile source;
    const std::string sourcePath = slotText(d.sourcePath, sizeof d.sourcePath);
    if (!sourcePath.empty())
        source.load(sourcePath);

    DcmFileFormat ff;
    DcmDataset* ds = ff.getDataset();
    char uid[100];
    ds->putAndInsertString(DCM_SpecificCharacterSet, "ISO_IR 192");
    ds->putAndInsertString(DCM_SOPClassUID, UID_SecondaryCaptureImageStorage);
    std::string root = slotText(d.sopUIDRoot, sizeof d.sopUIDRoot);
    dcmGenerateUniqueIdentifier(uid, isUid(root, 30) ? root.c_str() : SITE_INSTANCE_UID_ROOT);
    ds->putAndInsertString(DCM_SOPInstanceUID, uid);
    std::string series = slotText(d.seriesUID, sizeof d.seriesUID);
    if (!isUid(series, 64))
        series = dcmGenerateUniqueIdentifier(uid, SITE_SERIES_UID_ROOT);
    ds->putAndInsertString(DCM_SeriesInstanceUID, series.c_str());

    copyTag(source, ds, DCM_PatientName, "ANONYMOUS");
    copyTag(source, ds, DCM_PatientID, "EmptyID");
    copyTag(source, ds, DCM_PatientBirthDate, nullptr);
    copyTag(source, ds, DCM_PatientSex, nullptr);
    copyTag(source, ds, DCM_StudyInstanceUID, dcmGenerateUniqueIdentifier(uid, SITE_STUDY_UID_ROOT));
    copyTag(source, ds, DCM_StudyDate, nullptr);
    copyTag(source, ds, DCM_StudyTime, nullptr);
    copyTag(source, ds, DCM_StudyID, nullptr);
    copyTag(source, ds, DCM_AccessionNumber, nullptr);
    copyTag(source, ds, DCM_StudyDescription, nullptr);
    copyTag(source, ds, DCM_Modality, "OT");
    ds->putAndInsertString(DCM_ConversionType, "WSD");
    std::string seriesNumber = trimmed(slotText(d.seriesNumber, sizeof d.seriesNumber));
    ds->putAndInsertString(DCM_SeriesNumber, seriesNumber.empty() ? "9000" : seriesNumber.c_str());
    ds->putAndInsertString(DCM_InstanceNumber, "1");

    ds->putAndInsertUint16(DCM_Rows, static_cast<Uint16>(d.rows));
    ds->putAndInsertUint16(DCM_Columns, static_cast<Uint16>(d.columns));
    if (d.pixelSpacingX > 0.0f && d.pixelSpacingY > 0.0f && std::isfinite(d.pixelSpacingX) &&
        std::isfinite(d.pixelSpacingY)) {
        float spacing[2] = {d.pixelSpacingY, d.pixelSpacingX}; // row spacing first
        ds->putAndInsertString(DCM_PixelSpacing, numbers(spacing, 2).c_str());
    }
    if (allFinite(d.imagePosition, 3) && allFinite(d.rowDirection, 3) && allFinite(d.columnDirection, 3) &&
        nonZero(d.rowDirection, 3) && nonZero(d.columnDirection, 3)) {
        float orient[6] = {d.rowDirection[0], d.rowDirection[1], d.rowDirection[2],
                           d.columnDirection[0], d.columnDirection[1], d.columnDirection[2]};
        ds->putAndInsertString(DCM_ImagePositionPatient, numbers(d.imagePosition, 3).c_str());
        ds->putAndInsertString(DCM_ImageOrientationPatient, numbers(orient, 6).c_str());
    }

    const unsigned long pixels = static_cast<unsigned long>(d.rows) * d.columns;
    OFCondition put;
    if (rgb) {
        ds->putAndInsertUint16(DCM_SamplesPerPixel, 3);
        ds->putAndInsertString(DCM_PhotometricInterpretation, "RGB");
        ds->putAndInsertUint16(DCM_PlanarConfiguration, 0);
        ds->putAndInsertUint16(DCM_BitsAllocated, 8);
        ds->putAndInsertUint16(DCM_BitsStored, 8);
        ds->putAndInsertUint16(DCM_HighBit, 7);
        ds->putAndInsertUint16(DCM_PixelRepresentation, 0);
        put = ds->putAndInsertUint8Array(DCM_PixelData, static_cast<const Uint8*>(d.pixels), pixels * 3);
    } else {
        ds->putAndInsertUint16(DCM_SamplesPerPixel, 1);
        ds->putAndInsertString(DCM_PhotometricInterpretation, "MONOCHROME2");
        ds->putAndInsertUint16(DCM_BitsAllocated, 16);
        ds->putAndInsertUint16(DCM_BitsStored, 16);
        ds->putAndInsertUint16(DCM_HighBit, 15);
        ds->putAndInsertUint16(DCM_PixelRepresentation, d.pixelSigned ? 1 : 0);
        float slope = std::isfinite(d.rescaleSlope) && d.rescaleSlope != 0.0f ? d.rescaleSlope : 1.0f;
        float intercept = std::isfinite(d.rescaleIntercept) ? d.rescaleIntercept : 0.0f;
        ds->putAndInsertString(DCM_RescaleIntercept, numbers(&intercept, 1).c_str());
        ds->putAndInsertString(DCM_RescaleSlope, numbers(&slope, 1).c_str());
        if (d.windowWidth >= 1.0f && std::isfinite(d.windowWidth) && std::isfinite(d.windowCenter)) {
            ds->putAndInsertString(DCM_WindowCenter, numbers(&d.windowCenter, 1).c_str());
            ds->putAndInsertString(DCM_WindowWidth, numbers(&d.windowWidth, 1).c_str());
        }
        put = ds->putAndInsertUint16Array(DCM_PixelData, static_cast<const Uint16*>(d.pixels), pixels);
    }
    if (put.bad()) {
        dcmLog("convert: pixels not taken: %s", put.text());
        return false;
    }
    // Written under a temporary name first so that a failed write leaves no broken file.
    const std::string part = temporarySibling(out);
    OFCondition cond = ff.saveFile(part.c_str(), EXS_LittleEndianExplicit);
    if (cond.bad() || rename(part.c_str(), out.c_str()) != 0) {
        remove(part.c_str());
        dcmLog("convert: cannot write %s: %s", out.c_str(), cond.bad() ? cond.text() : "rename failed");
        return false;
    }
    return true;
}

} // namespace dcmSDK
