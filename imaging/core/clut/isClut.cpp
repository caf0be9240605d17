#include "imaging/core/clut/isClut.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>

#include "framework/json/UIJson.h"
#include "framework/notify/NSNotificationCenter.h"

namespace isImageSDK {

namespace {
constexpr unsigned int kWindowChanged = 9072;
}

isClut* isClut::create()
{
    return createObject<isClut>();
}

isClut::~isClut()
{
    clear();
}

bool isClut::init()
{
    if (!isObject::init()) return false;
    clear();
    pixelType = 0;
    tableSize = 256;
    outputMax = 255;
    outputMin = 0;
    inputMax = 255;
    inputMin = 0;
    windowLevel = 128.0f;
    windowWidth = 255.0f;
    colors = new (std::nothrow) uint32_t[256];
    if (!colors) return false;
    for (uint32_t v = 0; v < 256; ++v) colors[v] = v << 24 | v << 16 | v << 8 | 255u;
    curve = kLinear;
    dirty = 1;
    autoRebuild = 1;
    buildLut();
    return true;
}

void isClut::clear()
{
    delete[] colors;
    colors = nullptr;
    delete[] lut;
    lut = nullptr;
}

void isClut::getRGBTable(uint8_t* out) const
{
    for (int v = 0; v < 256; ++v) {
        const uint32_t c = colors ? colors[v] : 0u;
        out[3 * v] = static_cast<uint8_t>(c >> 24);
        out[3 * v + 1] = static_cast<uint8_t>(c >> 16);
        out[3 * v + 2] = static_cast<uint8_t>(c >> 8);
    }
}

void isClut::postWindow(const char* format, double width, double level)
{
    char ww[64], wl[64];
    if (std::strcmp(format, "%i") == 0) {
        std::snprintf(ww, sizeof ww, "%i", static_cast<int>(width));
        std::snprintf(wl, sizeof wl, "%i", static_cast<int>(level));
    } else {
        std::snprintf(ww, sizeof ww, "%.1f", width);
        std::snprintf(wl, sizeof wl, "%.1f", level);
    }
    std::string json;
    NSUI::UIJson::setJsonString(json, "ww", ww);
    NSUI::UIJson::setJsonString(json, "wl", wl);
    NSUI::NSNotificationCenter::getInstance()->postNotificationWithString(this, kWindowChanged, json,
                                                                          notificationObject, false);
}

void isClut::setWindowLevel(float width, float level)
{
    // A window from a file or a long drag may be any float; NaN has no place on the table and
    // a value outside int range has no defined integer.
    if (!std::isfinite(width) || !std::isfinite(level)) return;
    if (pixelType == kPixelF32) {
        windowWidth = width;
        windowLevel = level;
        // Only the latest window of a drag matters to the texts that show it.
        NSUI::NSNotificationCenter::getInstance()->cancelNotification(this, kWindowChanged, notificationObject);
        postWindow("%.1f", width, level);
        return;
    }
    constexpr float kIntLimit = 1.0e9f;
    setWindowLevelInt(static_cast<int>(std::clamp(width, -kIntLimit, kIntLimit)),
                      static_cast<int>(std::clamp(level, -kIntLimit, kIntLimit)));
}

void isClut::setWindowLevelInt(int width, int level)
{
    if (std::fabs(windowLevel - level) >= 0.01f || std::fabs(windowWidth - width) >= 0.01f) {
        windowWidth = static_cast<float>(width);
        windowLevel = static_cast<float>(level);
        dirty = 1;
        if (autoRebuild) buildLut();
    }
    postWindow("%i", width, level);
}

void isClut::configureForPixelType(int32_t code)
{
    pixelType = code;
    if (code == kPixelU8) {
        inputMin = 0;
        inputMax = 255;
        tableSize = 256;
    } else if (code == kPixelS16) {
        inputMin = -32768;
        inputMax = 32767;
        tableSize = 65536;
    } else {
        inputMin = 0;
        inputMax = 65535;
        tableSize = 65536;
    }
    markDirty();
}

void isClut::setCurve(int32_t newCurve)
{
    curve = newCurve;
    markDirty();
}

void isClut::markDirty()
{
    dirty = 1;
    if (autoRebuild) buildLut();
}

void isClut::buildLut()
{
    if (!dirty) return;
    delete[] lut;
    lut = new (std::nothrow) uint8_t[static_cast<size_t>(tableSize > 0 ? tableSize : 1)]();
    if (!lut || pixelType == kPixelF32 || tableSize <= 0) {
        dirty = 0;
        return;
    }
    int64_t lo = static_cast<int64_t>(std::trunc(double(windowLevel) - double(windowWidth) / 2.0));
    int64_t hi = static_cast<int64_t>(std::trunc(double(windowLevel) + double(windowWidth) / 2.0));
    if (lo < inputMin) lo = inputMin;
    if (hi > inputMax) hi = inputMax;
    if (hi <= lo) hi = lo + 1;
    auto put = [&](int64_t value, int64_t entry) {
        const int64_t index = value - inputMin;
        if (index >= 0 && index < tableSize) lut[index] = static_cast<uint8_t>(entry);
    };
    for (int64_t index = 0; index < lo - inputMin && index < tableSize; ++index) lut[index] = 0;
    for (int64_t index = std::max<int64_t>(hi - inputMin + 1, 0); index < tableSize; ++index) lut[index] = 255;
    const int64_t n = hi - lo;
    if (curve == kLogarithmic || curve == kInverseLogarithmic) {
        const float k = static_cast<float>(9.0 / double(n));
        for (int64_t i = 0; i <= n; ++i) {
            // The step is a float product, so the far end lands on exactly 1 + 9 = 10.
            if (curve == kLogarithmic)
                put(lo + i, static_cast<int64_t>(255.0 * std::log10(1.0 + double(static_cast<float>(i) * k))));
            else
                put(lo + i, static_cast<int64_t>(
                                255.0 * (1.0 - std::log10(1.0 + double(static_cast<float>(n - i) * k)))));
        }
    } else {
        for (int64_t x = lo; x <= hi; ++x) {
            const double v = (double(x) * (outputMax - outputMin) + double(outputMin) * hi - double(outputMax) * lo) /
                             double(n);
            put(x, static_cast<int64_t>(v));
        }
    }
    dirty = 0;
}

} // namespace isImageSDK
