#include "imaging/display/actor/RegionStatistics.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "imaging/core/data/isSliceInfo.h"
#include "imaging/core/roi/ROIData.h"
#include "util/StringUtils.h"

namespace isImageSDK {

namespace {

bool finite(double v) {
    return std::isfinite(v);
}

bool spacingUsable(const isSliceInfo& slice) {
    return slice.spacingX > 0.0f && slice.spacingY > 0.0f && finite(slice.spacingX) && finite(slice.spacingY);
}

bool isGreyType(int32_t type) {
    return type == kPixelU8 || type == kPixelS16 || type == kPixelF32 || type == kPixelU16;
}

double sampleAt(const isSliceInfo& slice, int64_t index) {
    switch (slice.pixelType) {
    case kPixelU8:
        return slice.pixels[index];
    case kPixelS16:
        return reinterpret_cast<const int16_t*>(slice.pixels)[index];
    case kPixelU16:
        return reinterpret_cast<const uint16_t*>(slice.pixels)[index];
    default:
        return reinterpret_cast<const float*>(slice.pixels)[index];
    }
}

std::string number(double v) {
    return floatToString(static_cast<float>(v), 2);
}

// The pixel range [first, last] of a box in pixel units, cut to the image; empty when
// first > last. Cutting first keeps a huge region from costing more than the image itself.
void clipSpan(double from, double to, int size, int& first, int& last) {
    first = static_cast<int>(std::clamp(std::trunc(from), 0.0, double(size)));
    last = static_cast<int>(std::clamp(std::floor(to), -1.0, double(size - 1)));
}

struct Statistics {
    int64_t count = 0;
    double total = 0.0, mean = 0.0, deviation = 0.0, minimum = 0.0, maximum = 0.0;
};

// Statistics of the pixels of the box [x0, x1] x [y0, y1] (pixel units) that belong.
template <class Belongs>
Statistics gather(const isSliceInfo& slice, double x0, double y0, double x1, double y1, Belongs belongs) {
    Statistics s;
    int c0, c1, r0, r1;
    clipSpan(x0, x1, slice.columns, c0, c1);
    clipSpan(y0, y1, slice.rows, r0, r1);
    if (c0 > c1 || r0 > r1)
        return s;
    std::vector<double> samples;
    samples.reserve(size_t(c1 - c0 + 1) * size_t(r1 - r0 + 1));
    for (int row = r0; row <= r1; ++row) {
        for (int column = c0; column <= c1; ++column) {
            if (!belongs(column, row))
                continue;
            const double v = sampleAt(slice, int64_t(row) * slice.columns + column);
            // The range starts from the first sample: no fixed start value bounds real data.
            if (samples.empty())
                s.minimum = s.maximum = v;
            s.minimum = std::min(s.minimum, v);
            s.maximum = std::max(s.maximum, v);
            s.total += v;
            samples.push_back(v);
        }
    }
    s.count = int64_t(samples.size());
    if (s.count == 0)
        return s;
    s.mean = s.total / double(s.count);
    double squares = 0.0;
    for (double v : samples)
        squares += (v - s.mean) * (v - s.mean);
    s.deviation = std::sqrt(squares / double(s.count >= 2 ? s.count - 1 : 1));
    return s;
}

std::string areaReply(double area, double width, double height, const Statistics& s) {
    return formatString("Area:%s,W:%s H:%s Unit:cm\nAvg:%s,StdDev:%s,Total:%s\nMin:%s,Max:%s",
                        number(area).c_str(), number(width).c_str(), number(height).c_str(),
                        number(s.mean).c_str(), number(s.deviation).c_str(), number(s.total).c_str(),
                        number(s.minimum).c_str(), number(s.maximum).c_str());
}

bool describeCircle(const isSliceInfo& slice, const ROIData& roi, std::string& reply) {
    const cocos2d::Vec3 centre = roi.getPoint(0);
    const double r = centre.distance(roi.getPoint(1));
    const cocos2d::Vec3 local = sliceLocalPosition(slice, centre);
    const double cx = local.x, cy = local.y, sx = slice.spacingX, sy = slice.spacingY;
    if (!finite(cx) || !finite(cy) || !finite(r))
        return false;
    const Statistics s = gather(slice, (cx - r) / sx + 0.5, (cy - r) / sy + 0.5, (cx + r) / sx + 0.5,
                                (cy + r) / sy + 0.5, [&](int column, int row) {
                                    const double dx = column * sx - cx, dy = row * sy - cy;
                                    return dx * dx + dy * dy <= r * r;
                                });
    reply = areaReply(r * 3.1415926 * r * 0.01, 2.0 * r * 0.1, 2.0 * r * 0.1, s);
    return true;
}

bool describePolygon(const isSliceInfo& slice, const ROIData& roi, std::string& reply) {
    const int count = roi.getPointCount();
    std::vector<float> mm, px;
    double minX = 0.0, minY = 0.0, maxX = 0.0, maxY = 0.0;
    for (int i = 0; i < count; ++i) {
        const cocos2d::Vec3 local = sliceLocalPosition(slice, roi.getPoint(i));
        if (!finite(local.x) || !finite(local.y))
            return false;
        minX = i == 0 ? local.x : std::min(minX, double(local.x));
        maxX = i == 0 ? local.x : std::max(maxX, double(local.x));
        minY = i == 0 ? local.y : std::min(minY, double(local.y));
        maxY = i == 0 ? local.y : std::max(maxY, double(local.y));
        mm.push_back(local.x);
        mm.push_back(local.y);
        px.push_back(local.x / slice.spacingX + 0.5f);
        px.push_back(local.y / slice.spacingY + 0.5f);
    }
    const double sx = slice.spacingX, sy = slice.spacingY;
    Statistics s;
    if (count > 0)
        s = gather(
            slice, minX / sx + 0.5, minY / sy + 0.5, maxX / sx + 0.5, maxY / sy + 0.5,
            [&](int column, int row) { return pointInPolygon(px.data(), count, float(column), float(row)); });
    reply = areaReply(polygonArea(mm.data(), count) * 0.01, (maxX - minX) * 0.1, (maxY - minY) * 0.1, s);
    return true;
}

} // namespace

double polygonArea(const float* points, int count) {
    double sum = 0.0;
    for (int i = 0; i < count; ++i) {
        const int j = (i + 1) % count;
        sum += double(points[2 * i]) * points[2 * j + 1] - double(points[2 * j]) * points[2 * i + 1];
    }
    return std::fabs(sum) / 2.0;
}

bool pointInPolygon(const float* points, int count, float x, float y) {
    bool inside = false;
    for (int i = 0, j = count - 1; i < count; j = i++) {
        const float xi = points[2 * i], yi = points[2 * i + 1];
        const float xj = points[2 * j], yj = points[2 * j + 1];
        if (((yi <= y && y < yj) || (yj <= y && y < yi)) && x < (xj - xi) * (y - yi) / (yj - yi) + xi)
            inside = !inside;
    }
    return inside;
}

cocos2d::Vec3 sliceLocalPosition(const isSliceInfo& slice, const cocos2d::Vec3& world) {
    cocos2d::Vec3 local;
    slice.matrix.getInversed().transformPoint(world, &local);
    return local;
}

bool slicePixelValueAt(const isSliceInfo& slice, const cocos2d::Vec3& world, float& value) {
    if (!slice.pixels || !spacingUsable(slice) || !isGreyType(slice.pixelType))
        return false;
    const cocos2d::Vec3 local = sliceLocalPosition(slice, world);
    // Floor, not truncation: a point just left of or above the image must not land on pixel 0.
    const double column = std::floor(local.x / slice.spacingX + 0.5);
    const double row = std::floor(local.y / slice.spacingY + 0.5);
    if (!(column >= 0.0 && column < slice.columns && row >= 0.0 && row < slice.rows))
        return false;
    value = static_cast<float>(sampleAt(slice, int64_t(row) * slice.columns + int64_t(column)));
    return true;
}

bool describeRegion(const isSliceInfo& slice, const ROIData& roi, std::string& reply) {
    if (!slice.pixels || !isGreyType(slice.pixelType) || !spacingUsable(slice))
        return false;
    switch (roi.type) {
    case ROIData::kPoint: {
        const cocos2d::Vec3 p = roi.getPoint(0);
        float value = 0.0f;
        if (!slicePixelValueAt(slice, p, value)) {
            reply = "Unknown";
            return true;
        }
        reply = formatString("Value:%s\nx=%s,y=%s,z=%s", number(value).c_str(), number(p.x).c_str(),
                             number(p.y).c_str(), number(p.z).c_str());
        return true;
    }
    case ROIData::kCircle:
        return describeCircle(slice, roi, reply);
    case ROIData::kPolygon:
        return describePolygon(slice, roi, reply);
    default:
        return false;
    }
}

} // namespace isImageSDK
