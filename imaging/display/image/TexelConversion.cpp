#include "imaging/display/image/TexelConversion.h"

#include <cmath>
#include <cstring>
#include <limits>

#include "imaging/core/clut/isClut.h"
#include "imaging/core/data/isSliceInfo.h"

namespace isImageSDK {

namespace {

// Larger textures than this are refused before any buffer is sized from them.
constexpr int64_t kMaxTexels = int64_t(1) << 28;

// Truncates an index computed in double to 0..255; NaN gives 0.
int clampIndex(double t) {
    if (!(t >= 0.0))
        return 0;
    if (t >= 255.0)
        return 255;
    return static_cast<int>(t);
}

int64_t texelCount(const isSliceInfo& slice) {
    if (slice.columns <= 0 || slice.rows <= 0)
        return 0;
    const int64_t n = int64_t(slice.columns) * int64_t(slice.rows);
    return n <= kMaxTexels ? n : 0;
}

int clampFrame(const isSliceInfo& slice, int frame) {
    const int frames = frameCountOf(slice);
    if (frame < 0)
        return 0;
    return frame < frames ? frame : frames - 1;
}

template <typename Sample>
void lookupGrey(const Sample* samples, int64_t n, const isClut& clut, uint8_t* out) {
    const int64_t last = clut.tableSize - 1;
    for (int64_t i = 0; i < n; ++i) {
        int64_t entry = int64_t(samples[i]) - clut.inputMin;
        entry = entry < 0 ? 0 : (entry > last ? last : entry);
        const uint32_t colour = clut.colors[clut.lut[entry]];
        out[3 * i] = uint8_t(colour >> 24);
        out[3 * i + 1] = uint8_t(colour >> 16);
        out[3 * i + 2] = uint8_t(colour >> 8);
    }
}

void floatGrey(const float* samples, int64_t n, const isClut& clut, uint8_t* out) {
    const double loD = double(clut.windowLevel) - double(clut.windowWidth) / 2.0;
    const float lo = float(loD);
    const float hi = float(loD + double(clut.windowWidth));
    for (int64_t i = 0; i < n; ++i) {
        const uint32_t colour =
            clut.colors[floatCurveIndex(samples[i], lo, hi, clut.windowWidth, clut.curve)];
        out[3 * i] = uint8_t(colour >> 24);
        out[3 * i + 1] = uint8_t(colour >> 16);
        out[3 * i + 2] = uint8_t(colour >> 8);
    }
}

void fillShaderFloat(const float* samples, int64_t n, TexelBuffer& out) {
    // The range covers the finite samples only: one infinite or NaN sample must not flatten
    // the whole image.
    float lo = std::numeric_limits<float>::infinity();
    float hi = -lo;
    for (int64_t i = 0; i < n; ++i) {
        const float v = samples[i];
        if (!std::isfinite(v))
            continue;
        if (v < lo)
            lo = v;
        if (v > hi)
            hi = v;
    }
    if (lo > hi) {
        lo = 0.0f;
        hi = 1.0f;
    }
    if (lo >= hi)
        hi = lo + 1.0f;
    const float range = hi - lo;
    out.valueOffset = -lo * 65535.0f / range;
    out.valueScale = 65535.0f / range;
    uint8_t* dst = out.owned.data();
    for (int64_t i = 0; i < n; ++i) {
        const double t = double(samples[i]) * out.valueScale + out.valueOffset;
        uint16_t value = 0;
        if (t >= 65535.0) {
            value = 65535;
        } else if (t > 0.0) {
            value = uint16_t(t);
        }
        dst[2 * i] = uint8_t(value & 0xff);
        dst[2 * i + 1] = uint8_t(value >> 8);
    }
}

} // namespace

int frameCountOf(const isSliceInfo& slice) {
    return slice.frames > 1 ? slice.frames : 1;
}

bool slicePixelsReadable(const isSliceInfo& slice) {
    return slice.loaded.load() != 0 && slice.pixels != nullptr && texelCount(slice) > 0;
}

int floatCurveIndex(float v, float lo, float hi, float width, int curve) {
    if (std::isnan(v))
        return 0;
    if (curve == isClut::kLogarithmic || curve == isClut::kInverseLogarithmic) {
        if (v >= hi)
            return 255;
        if (v <= lo)
            return 0;
        // Here lo < v < hi, so width > 0.
        if (curve == isClut::kLogarithmic) {
            return clampIndex(std::log10(1.0 + (double(v) - lo) * 9.0 / width) * 255.0);
        }
        return clampIndex((1.0 - std::log10(1.0 + (double(hi) - v) * 9.0 / width)) * 255.0);
    }
    if (!(width > 0.0f))
        return v > lo ? 255 : 0;
    return clampIndex((double(v) - lo) / width * 255.0);
}

TexelBuffer buildRgbTexels(const isSliceInfo& slice, int frame, const isClut& clut) {
    TexelBuffer out;
    const int64_t n = texelCount(slice);
    if (n < 1 || !clut.colors)
        return out;
    out.width = slice.columns;
    out.height = slice.rows;
    out.byteCount = n * 3;
    out.layout = TexelBuffer::Layout::Rgb888;
    frame = clampFrame(slice, frame);
    const bool readable = slicePixelsReadable(slice);
    if (slice.pixelType == kPixelRGB8 && readable) {
        out.data = slice.pixels + int64_t(frame) * n * 3;
        return out;
    }
    if (!readable) {
        out.owned.assign(size_t(n * 3), (slice.displayCode == 1 || slice.displayCode == 5) ? 255 : 0);
        out.data = out.owned.data();
        return out;
    }
    const bool needsLut =
        slice.pixelType == kPixelU8 || slice.pixelType == kPixelS16 || slice.pixelType == kPixelU16;
    if (needsLut && (!clut.lut || clut.tableSize < 1))
        return TexelBuffer();
    out.owned.resize(size_t(n * 3));
    uint8_t* dst = out.owned.data();
    const int64_t first = int64_t(frame) * n;
    switch (slice.pixelType) {
    case kPixelU8:
        lookupGrey(slice.pixels + first, n, clut, dst);
        break;
    case kPixelS16:
        lookupGrey(reinterpret_cast<const int16_t*>(slice.pixels) + first, n, clut, dst);
        break;
    case kPixelU16:
        lookupGrey(reinterpret_cast<const uint16_t*>(slice.pixels) + first, n, clut, dst);
        break;
    case kPixelF32:
        floatGrey(reinterpret_cast<const float*>(slice.pixels) + first, n, clut, dst);
        break;
    default:
        return TexelBuffer();
    }
    out.data = dst;
    return out;
}

TexelBuffer buildShaderTexels(const isSliceInfo& slice, int frame) {
    TexelBuffer out;
    const int64_t n = texelCount(slice);
    if (n < 1 || !isValidPixelType(slice.pixelType))
        return out;
    out.width = slice.columns;
    out.height = slice.rows;
    const bool rgb = slice.pixelType == kPixelRGB8;
    out.layout = rgb ? TexelBuffer::Layout::Rgb888 : TexelBuffer::Layout::Ai88;
    out.byteCount = n * (rgb ? 3 : 2);
    frame = clampFrame(slice, frame);
    if (!slicePixelsReadable(slice)) {
        out.owned.assign(size_t(out.byteCount), 0);
        out.data = out.owned.data();
        return out;
    }
    const int64_t first = int64_t(frame) * n;
    if (rgb) {
        out.data = slice.pixels + first * 3;
        return out;
    }
    if (slice.pixelType == kPixelU16) {
        // Little-endian samples are already low byte, high byte.
        out.data = slice.pixels + first * 2;
        return out;
    }
    out.owned.resize(size_t(out.byteCount));
    uint8_t* dst = out.owned.data();
    if (slice.pixelType == kPixelF32) {
        fillShaderFloat(reinterpret_cast<const float*>(slice.pixels) + first, n, out);
    } else if (slice.pixelType == kPixelS16) {
        const int16_t* src = reinterpret_cast<const int16_t*>(slice.pixels) + first;
        for (int64_t i = 0; i < n; ++i) {
            const uint16_t value = uint16_t(int32_t(src[i]) + 32768);
            dst[2 * i] = uint8_t(value & 0xff);
            dst[2 * i + 1] = uint8_t(value >> 8);
        }
    } else {
        const uint8_t* src = slice.pixels + first;
        for (int64_t i = 0; i < n; ++i) {
            dst[2 * i] = src[i];
            dst[2 * i + 1] = 0;
        }
    }
    out.data = dst;
    return out;
}

WindowUniforms computeWindowUniforms(int pixelType, float width, float level, int curve, float valueScale,
                                     float valueOffset) {
    WindowUniforms u;
    u.curve = (curve == isClut::kLogarithmic || curve == isClut::kInverseLogarithmic) ? curve : 0;
    u.pt = pixelType > kPixelU16 ? 2 : 1;
    const float lo = level - width / 2.0f;
    float span = width;
    if (pixelType == kPixelF32) {
        u.wwMin = valueScale * lo + valueOffset;
        u.wwMax = valueScale * (lo + width) + valueOffset;
        span = u.wwMax - u.wwMin;
    } else if (pixelType == kPixelU8) {
        u.wwMin = lo;
        u.wwMax = lo + width;
        span = u.wwMax - u.wwMin;
    } else {
        const float shifted = pixelType == kPixelS16 ? level + 32768.0f : level;
        u.wwMin = shifted - width / 2.0f;
        u.wwMax = shifted + width / 2.0f;
    }
    if (!(span >= 1.0f)) {
        // As the lookup table does (its top is at least one above its bottom).
        span = 1.0f;
        u.wwMax = u.wwMin + 1.0f;
    }
    u.wwLinear = 255.0f / span;
    u.wwLogRatio = 9.0f / span;
    return u;
}

} // namespace isImageSDK
