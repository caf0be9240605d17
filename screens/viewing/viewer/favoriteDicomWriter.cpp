#include "viewer/favoriteDicomWriter.h"

#include <fcntl.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstring>

#include "PIXEL_Mem_ConvertorData.h"
#include "cocos2d.h"
#include "data/PixelType.h"
#include "data/isSliceInfo.h"
#include "dcmConvertor.h"
#include "notify/NSNotificationCenter.h"
#include "notify/NSNotificationData.h"
#include "util/TimeUtils.h"
#include "window/PatientAxes.h"

using isImageSDK::isSliceInfo;

namespace {

const unsigned kFavoriteSavedId = 9104;
// The program's own UIDs: the series every favourite belongs to, and the root of their instances.
const char* const kFavoriteSeriesUID = "1.2.826.0.1.3680043.10.1207.1.1";
const char* const kFavoriteInstanceRoot = "1.2.826.0.1.3680043.10.1207.2";
const float kFloatTarget = 32000.0f;

void copyText(char* slot, size_t size, const std::string& text)
{
    std::snprintf(slot, size, "%s", text.c_str());
}

void mappedColumn(const isSliceInfo& slice, int column, float out[3])
{
    const float* m = slice.matrix.m;
    cocos2d::Vec3 v(m[column * 4], m[column * 4 + 1], m[column * 4 + 2]);
    isImageSDK::mapVectorToSliceAxes(slice, v);
    out[0] = v.x;
    out[1] = v.y;
    out[2] = v.z;
}

} // namespace

float favoriteDicomWriter::scaleFloatPixels(const float* values, size_t count, std::vector<int16_t>& out)
{
    float lo = 99999.0f, hi = -99999.0f;
    for (size_t i = 0; i < count; ++i) {
        if (!std::isfinite(values[i]))
            continue;
        lo = std::min(lo, values[i]);
        hi = std::max(hi, values[i]);
    }
    float m = std::max(std::fabs(lo), std::fabs(hi));
    // Nothing finite, or values too small to scale up: keep them as they are.
    if (count == 0 || lo > hi || m < 0.01f)
        m = kFloatTarget;
    const float scale = kFloatTarget / m;
    out.resize(count);
    for (size_t i = 0; i < count; ++i) {
        float v = std::isfinite(values[i]) ? values[i] * scale : 0.0f;
        v = std::max(-kFloatTarget, std::min(v, kFloatTarget));
        out[i] = static_cast<int16_t>(v);
    }
    return scale;
}

float favoriteDicomWriter::spacingRatio(const isSliceInfo& slice)
{
    const float ratio = slice.spacingY != 0.0f ? slice.spacingX / slice.spacingY : 0.0f;
    return std::isfinite(ratio) && ratio > 0.0f ? ratio : 1.0f;
}

void favoriteDicomWriter::fillRecord(const isSliceInfo& slice, const std::string& outputPath,
                                     dcmSDK::PIXEL_Mem_ConvertorData& record, std::vector<uint16_t>& samples)
{
    std::memset(&record, 0, sizeof record);
    copyText(record.outputPath, sizeof record.outputPath, outputPath);
    copyText(record.sourcePath, sizeof record.sourcePath, slice.filePath);
    copyText(record.seriesUID, sizeof record.seriesUID, kFavoriteSeriesUID);
    copyText(record.sopUIDRoot, sizeof record.sopUIDRoot, kFavoriteInstanceRoot);
    // Colour images are written as colour; everything else as one 16-bit sample.
    copyText(record.samplesPerPixel, sizeof record.samplesPerPixel,
             slice.pixelType == isImageSDK::kPixelRGB8 ? "3" : "1");
    copyText(record.numberOfFrames, sizeof record.numberOfFrames, "1");
    copyText(record.seriesNumber, sizeof record.seriesNumber, "9000");
    record.rows = static_cast<uint32_t>(std::max(slice.rows, 0));
    record.columns = static_cast<uint32_t>(std::max(slice.columns, 0));
    record.windowWidth = slice.windowWidth;
    record.windowCenter = slice.windowCenter;
    record.pixelSpacingX = slice.spacingX;
    record.pixelSpacingY = slice.spacingY;
    mappedColumn(slice, 3, record.imagePosition);
    mappedColumn(slice, 0, record.rowDirection);
    mappedColumn(slice, 1, record.columnDirection);
    record.highBit = 15;
    record.rescaleSlope = 1.0f;
    record.rescaleIntercept = 0.0f;
    record.pixelSigned = slice.pixelType == isImageSDK::kPixelS16 || slice.pixelType == isImageSDK::kPixelF32;

    const size_t count = static_cast<size_t>(record.rows) * record.columns;
    samples.clear();
    record.pixels = slice.pixels;
    if (!slice.pixels || count == 0)
        return;
    if (slice.pixelType == isImageSDK::kPixelF32) {
        std::vector<int16_t> scaled;
        const float scale = scaleFloatPixels(reinterpret_cast<const float*>(slice.pixels), count, scaled);
        samples.assign(reinterpret_cast<const uint16_t*>(scaled.data()),
                       reinterpret_cast<const uint16_t*>(scaled.data()) + count);
        record.rescaleSlope = 1.0f / scale;
        record.pixels = samples.data();
    } else if (slice.pixelType == isImageSDK::kPixelU8) {
        samples.assign(slice.pixels, slice.pixels + count);
        record.pixels = samples.data();
    }
}

std::string favoriteDicomWriter::reserveOutputPath(const std::string& folder, const std::string& stamp)
{
    for (int n = 0; n < 1000; ++n) {
        std::string path = folder + stamp + (n ? "-" + std::to_string(n) : std::string()) + ".dcm";
        int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
        if (fd >= 0) {
            ::close(fd);
            return path;
        }
        if (errno != EEXIST)
            break;
    }
    cocos2d::log("favoriteDicomWriter: no file name free in %s", folder.c_str());
    return {};
}

std::string favoriteDicomWriter::save(const isSliceInfo& slice, const std::string& storeRoot)
{
    const std::string folder = storeRoot + "../favorite/";
    cocos2d::FileUtils::getInstance()->createDirectory(folder);
    const std::string path = reserveOutputPath(folder, getTimestampString());
    if (path.empty())
        return {};
    dcmSDK::PIXEL_Mem_ConvertorData record;
    std::vector<uint16_t> samples;
    fillRecord(slice, path, record, samples);
    if (!dcmSDK::dcmConvertor::convert(record)) {
        ::unlink(path.c_str());
        return {};
    }
    auto* data = new NSUI::NSNotificationData();
    data->text = path;
    data->floatValue = spacingRatio(slice);
    NSUI::NSNotificationCenter::getInstance()->postNotification(nullptr, kFavoriteSavedId, data, nullptr, false);
    data->release();
    return path;
}
