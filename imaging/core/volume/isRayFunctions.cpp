#include "imaging/core/volume/isRayFunctions.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <type_traits>

namespace isImageSDK {

bool clipSegmentToBox(const float s[3], const float f[3], const float box[6], float entry[3], float exit[3])
{
    double tEnter = 0.0, tLeave = 1.0;
    for (int a = 0; a < 3; ++a) {
        if (box[a * 2] > box[a * 2 + 1]) return false;
        const double lo = box[a * 2], hi = box[a * 2 + 1];
        const double d = double(f[a]) - double(s[a]);
        if (d == 0.0) {
            if (s[a] < lo || s[a] > hi) return false;
            continue;
        }
        double t0 = (lo - s[a]) / d, t1 = (hi - s[a]) / d;
        if (t0 > t1) std::swap(t0, t1);
        tEnter = std::max(tEnter, t0);
        tLeave = std::min(tLeave, t1);
        if (tEnter > tLeave) return false;
    }
    for (int a = 0; a < 3; ++a) {
        const double d = double(f[a]) - double(s[a]);
        entry[a] = float(std::clamp(s[a] + tEnter * d, double(box[a * 2]), double(box[a * 2 + 1])));
        exit[a] = float(std::clamp(s[a] + tLeave * d, double(box[a * 2]), double(box[a * 2 + 1])));
    }
    return true;
}

namespace {

// Samplers read the volume's own type; indices are clamped so no position can read outside.
template <typename T>
struct Nearest {
    static float at(const isRayVolume& v, const float p[3])
    {
        const int x = std::min(v.dims[0] - 1, std::max(0, int(p[0] + 0.5f)));
        const int y = std::min(v.dims[1] - 1, std::max(0, int(p[1] + 0.5f)));
        const int z = std::min(v.dims[2] - 1, std::max(0, int(p[2] + 0.5f)));
        return float(static_cast<const T*>(v.slices[size_t(z)])[y * v.dims[0] + x]);
    }
    static float unrounded(const isRayVolume& v, const float p[3]) { return at(v, p); }
    static float rounded(float value) { return value; }
    static constexpr bool interpolates = false;
};

template <typename T>
struct Trilinear {
    static constexpr bool interpolates = true;

    static float at(const isRayVolume& v, const float p[3]) { return rounded(unrounded(v, p)); }

    // Integer volumes give whole values, as their voxels do; rounding (not truncation) keeps a
    // uniform region at its own value. Rounding is monotonic, so a maximum can round once at the end.
    static float rounded(float value)
    {
        if constexpr (std::is_floating_point_v<T>) return value;
        else return std::floor(value + 0.5f);
    }

    // The blend of the eight neighbours; never above the largest of them.
    static float unrounded(const isRayVolume& v, const float p[3])
    {
        const float px = std::max(0.0f, p[0]), py = std::max(0.0f, p[1]), pz = std::max(0.0f, p[2]);
        int x = int(px), y = int(py), z = int(pz);
        float fx = px - float(x), fy = py - float(y), fz = pz - float(z);
        // The upper corner is the next voxel; at the last voxel the lower corner steps back.
        if (x >= v.dims[0] - 1) { x = std::max(0, v.dims[0] - 2); fx = v.dims[0] > 1 ? 1.0f : 0.0f; }
        if (y >= v.dims[1] - 1) { y = std::max(0, v.dims[1] - 2); fy = v.dims[1] > 1 ? 1.0f : 0.0f; }
        if (z >= v.dims[2] - 1) { z = std::max(0, v.dims[2] - 2); fz = v.dims[2] > 1 ? 1.0f : 0.0f; }
        const int dx = v.dims[0] > 1 ? 1 : 0, dy = v.dims[1] > 1 ? v.dims[0] : 0;
        const T* s0 = static_cast<const T*>(v.slices[size_t(z)]) + y * v.dims[0] + x;
        const T* s1 = static_cast<const T*>(v.slices[size_t(std::min(z + 1, v.dims[2] - 1))]) + y * v.dims[0] + x;
        // Weights computed in place: cheaper than a weight table that does not stay in cache.
        const float a0 = float(s0[0]) + fx * (float(s0[dx]) - float(s0[0]));
        const float a1 = float(s0[dy]) + fx * (float(s0[dy + dx]) - float(s0[dy]));
        const float a2 = float(s1[0]) + fx * (float(s1[dx]) - float(s1[0]));
        const float a3 = float(s1[dy]) + fx * (float(s1[dy + dx]) - float(s1[dy]));
        const float b0 = a0 + fy * (a1 - a0), b1 = a2 + fy * (a3 - a2);
        return b0 + fz * (b1 - b0);
    }
};

void writePixel(uint8_t* out, const float c[3])
{
    for (int k = 0; k < 3; ++k) out[k] = uint8_t(std::min(255.0f, std::max(0.0f, c[k])));
}

void writeBackground(const isRayContext& ctx, uint8_t* out)
{
    for (int k = 0; k < 3; ++k) out[k] = ctx.shading->background[k];
}

// Clips the ray to the grid's box; gives the first sample position, `offset` steps past the
// entry, and the number of samples, which all lie inside the clipped segment.
bool setupSegment(const isRayContext& ctx, const isRay& ray, float offset, float p[3], int& steps)
{
    const float len = std::sqrt(ray.step[0] * ray.step[0] + ray.step[1] * ray.step[1] + ray.step[2] * ray.step[2]);
    if (!(len > 0.0f)) return false;
    float far[3], entry[3], exit[3];
    for (int a = 0; a < 3; ++a) far[a] = ray.start[a] + float(ctx.maxSteps) * ray.step[a] / len * len;
    if (!clipSegmentToBox(ray.start, far, ctx.grid->getBox(), entry, exit)) return false;
    const float dx = exit[0] - entry[0], dy = exit[1] - entry[1], dz = exit[2] - entry[2];
    const float segment = std::sqrt(dx * dx + dy * dy + dz * dz);
    steps = int((segment - 0.01f) / len);
    if (steps < 0) steps = 0;
    for (int a = 0; a < 3; ++a) p[a] = entry[a] + ray.step[a] / len * 0.005f + ray.step[a] * offset;
    return true;
}

// A ray stops once what it could still add is below half a grey level (255 * (1 - A) < 0.5):
// the pixel then cannot change by more than one, and rays through dense tissue end far sooner
// than they would waiting for the opacity to round to exactly 1.
constexpr float kOpaque = 1.0f - 0.5f / 255.0f;

// Mode 0 classification: one table look-up from the raw sample (integers) or its windowed value.
template <typename T>
const float* classify(const isRayShading& s, float v)
{
    if constexpr (std::is_floating_point_v<T>) {
        const float i = (v - s.windowLow) * s.windowScale + 0.5f;
        return s.lookup + (!(i > 0.0f) ? 0 : (i >= 255.0f ? 255 : int(i))) * 4;
    } else {
        return s.lookup + (int(v) + s.lookupBias) * 4;
    }
}

template <typename T, typename Sampler>
void castComposite(const isRayContext& ctx, const isRay& ray, cuLight&)
{
    // Interpolated samples start at the ray's own offset past the entry. With one common start,
    // every ray of a view square to the volume would sample on the voxel planes, at one phase
    // against any surface, and the rows of samples would show as stripes along the surface.
    // Nearest samples (the small interactive picture) keep the common start: they snap to whole
    // voxels, and an offset would only turn the voxels' steps into noise there.
    float p[3];
    int n = 0;
    if (!setupSegment(ctx, ray, Sampler::interpolates ? ray.offset : 0.0f, p, n))
        return writeBackground(ctx, ray.out);
    const isRayVolume& vol = *ctx.volume;
    const vrSpaceLeapingBase& grid = *ctx.grid;
    float A = 0.0f, C[3] = {0.0f, 0.0f, 0.0f};
    for (int k = 0; k < n && A < kOpaque; ++k, p[0] += ray.step[0], p[1] += ray.step[1], p[2] += ray.step[2]) {
        // Blocks whose maximum is below the window hold only transparent samples.
        if (grid.isEmptyAt(p)) continue;
        const float* e = classify<T>(*ctx.shading, Sampler::at(vol, p));
        if (e[0] > 0.0f) {
            const float w = (1.0f - A) * e[0];
            A += w;
            C[0] += w * e[1];
            C[1] += w * e[2];
            C[2] += w * e[3];
        }
    }
    writePixel(ray.out, C);
}

// The least unrounded maximum whose rounded value takes the table's top entry, so a ray can stop
// there. Integer samples round half up, so the whole value that saturates is reached from half a
// unit below it.
template <typename T>
float saturatingValue(float low, float scale)
{
    const float guess = low + 255.0f / scale;
    if (!std::isfinite(guess)) return std::numeric_limits<float>::infinity();
    if constexpr (std::is_floating_point_v<T>) {
        // The guess is off by rounding only: a few representable values either way. A ray that
        // never stops early still gives the same pixel, so an unexpected case just stops nowhere.
        const float inf = std::numeric_limits<float>::infinity();
        float v = guess;
        for (int i = 0; i < 64 && windowedIndex(v, low, scale) < 255; ++i) v = std::nextafter(v, inf);
        if (windowedIndex(v, low, scale) < 255) return inf;
        for (int i = 0; i < 64 && windowedIndex(std::nextafter(v, -inf), low, scale) >= 255; ++i)
            v = std::nextafter(v, -inf);
        return v;
    } else {
        // Beyond the type's range nothing saturates.
        if (guess > float(std::numeric_limits<T>::max()) + 2.0f) return std::numeric_limits<float>::infinity();
        float v = std::floor(std::max(guess, float(std::numeric_limits<T>::lowest())) - 2.0f);
        while (windowedIndex(v, low, scale) < 255) v += 1.0f;
        return v - 0.5f;
    }
}

template <typename T, typename Sampler>
void castMip(const isRayContext& ctx, const isRay& ray, cuLight&)
{
    float p[3];
    int n = 0;
    // Maximum projection keeps the common start: an interpolated maximum lies on a voxel plane,
    // where a view square to the volume samples.
    if (!setupSegment(ctx, ray, 0.0f, p, n) || n < 1) return writeBackground(ctx, ray.out);
    const isRayVolume& vol = *ctx.volume;
    const vrSpaceLeapingBase& grid = *ctx.grid;
    const isRayShading& s = *ctx.shading;
    const float low = s.windowLow, scale = s.windowScale;
    // Blocks that cannot raise the maximum, or lie below the window, are skipped. The maximum is
    // kept unrounded and rounded once at the end: the same value, without rounding every sample.
    // Once it reaches the value that saturates the table the ray is done.
    const float top = saturatingValue<T>(low, scale);
    const float threshold = grid.threshold;
    float M = -1.0e7f;
    for (int k = 0; k < n; ++k, p[0] += ray.step[0], p[1] += ray.step[1], p[2] += ray.step[2]) {
        const float cell = grid.cellMax(p);
        if (cell <= M || cell < threshold) continue;
        M = std::max(M, Sampler::unrounded(vol, p));
        if (M >= top) break;
    }
    const int entry = windowedIndex(Sampler::rounded(M), low, scale);
    const float* e = s.transfer + entry * 4;
    const float c[3] = {e[1], e[2], e[3]};
    writePixel(ray.out, c);
}

bool insideForTrilinear(const isRayVolume& v, const float p[3])
{
    // The +1 corner of a trilinear sample must stay inside: 0 .. dimension - 2.
    for (int a = 0; a < 3; ++a)
        if (!(p[a] >= 0.0f && p[a] <= float(std::max(0, v.dims[a] - 2)))) return false;
    return true;
}

template <typename T, typename Sampler, bool Shaded>
void castPreIntegrated(const isRayContext& ctx, const isRay& ray, cuLight& light)
{
    const isRayVolume& vol = *ctx.volume;
    const isRayShading& s = *ctx.shading;
    float p[3] = {ray.start[0], ray.start[1], ray.start[2]};
    int k = 0;
    auto advance = [&] { p[0] += ray.step[0]; p[1] += ray.step[1]; p[2] += ray.step[2]; ++k; };
    // Jump to just before the ray meets the volume instead of walking up to the step limit one
    // step at a time: a ray that misses would otherwise cost 100,000 steps.
    float box[6], far[3], entry[3], exit[3];
    for (int a = 0; a < 3; ++a) {
        box[a * 2] = 0.0f;
        box[a * 2 + 1] = float(std::max(0, vol.dims[a] - 2));
        far[a] = ray.start[a] + float(ctx.maxSteps) * ray.step[a];
    }
    if (!clipSegmentToBox(ray.start, far, box, entry, exit)) return writeBackground(ctx, ray.out);
    double along = 0.0, beyond = 0.0, length = 0.0;
    for (int a = 0; a < 3; ++a) {
        along += double(entry[a] - ray.start[a]) * ray.step[a];
        beyond += double(exit[a] - ray.start[a]) * ray.step[a];
        length += double(ray.step[a]) * ray.step[a];
    }
    if (!(length > 0.0)) return writeBackground(ctx, ray.out);
    const int skip = std::max(0, int(along / length) - 1);
    // A ray grazing an edge may pass between its step positions; it gives up past the exit.
    const int lastEntry = int(std::min(double(ctx.maxSteps), beyond / length + 2.0));
    if (skip > 0) {
        for (int a = 0; a < 3; ++a) p[a] = ray.start[a] + float(skip) * ray.step[a];
        k = skip;
    }
    while (k < lastEntry && !insideForTrilinear(vol, p)) advance();
    if (k >= lastEntry) return writeBackground(ctx, ray.out);
    if (k >= ctx.maxSteps) return writeBackground(ctx, ray.out);
    int front = windowedIndex(Sampler::at(vol, p), s.windowLow, s.windowScale);
    advance();
    if (k >= ctx.maxSteps) return writeBackground(ctx, ray.out);
    const float h = std::sqrt(ray.step[0] * ray.step[0] + ray.step[1] * ray.step[1] + ray.step[2] * ray.step[2]);
    double A = 0.0, C[3] = {0, 0, 0};
    bool composited = false;
    for (; k < ctx.maxSteps; advance()) {
        // The volume is convex: a ray that has left it does not come back.
        if (!insideForTrilinear(vol, p)) break;
        const float value = Sampler::at(vol, p);
        const int back = windowedIndex(value, s.windowLow, s.windowScale);
        const float* e = s.lookup + (back * 256 + front) * 4;
        const double w = (1.0 - A) * double(e[0]);
        float shaded[3] = {e[1], e[2], e[3]};
        if constexpr (Shaded) {
            // Central differences; the sampler clamps positions that leave the volume.
            float g[3];
            for (int a = 0; a < 3; ++a) {
                float lo[3] = {p[0], p[1], p[2]}, hi[3] = {p[0], p[1], p[2]};
                lo[a] -= h;
                hi[a] += h;
                g[a] = Sampler::at(vol, lo) - Sampler::at(vol, hi);
            }
            if (std::fabs(g[0]) + std::fabs(g[1]) + std::fabs(g[2]) >= 0.0001f) {
                const float len = std::sqrt(g[0] * g[0] + g[1] * g[1] + g[2] * g[2]);
                const float normal[3] = {g[0] / len, g[1] / len, g[2] / len};
                const float material[3] = {e[1] / 255.0f, e[2] / 255.0f, e[3] / 255.0f};
                light.setMaterial(material);
                float lit[3];
                light.shade(p, normal, lit);
                for (int c = 0; c < 3; ++c) shaded[c] = lit[c] * 255.0f;
            }
        }
        A += w;
        for (int c = 0; c < 3; ++c) C[c] += w * shaded[c];
        composited = true;
        front = back;
        if (A >= 1.0) break;
    }
    if (!composited) return writeBackground(ctx, ray.out);
    const float c[3] = {float(C[0]), float(C[1]), float(C[2])};
    writePixel(ray.out, c);
}

void castBackground(const isRayContext& ctx, const isRay& ray, cuLight&) { writeBackground(ctx, ray.out); }

template <typename T>
isRayFunction selectTyped(int mode, int interpolation)
{
    const bool lin = interpolation != 0;
    switch (mode) {
    case 0: return lin ? castComposite<T, Trilinear<T>> : castComposite<T, Nearest<T>>;
    case 1: return lin ? castPreIntegrated<T, Trilinear<T>, false> : castPreIntegrated<T, Nearest<T>, false>;
    case 2: return lin ? castPreIntegrated<T, Trilinear<T>, true> : castPreIntegrated<T, Nearest<T>, true>;
    case 3: return lin ? castMip<T, Trilinear<T>> : castMip<T, Nearest<T>>;
    default: return castBackground;
    }
}

} // namespace

isRayFunction selectRayFunction(int mode, int pixelType, int interpolation)
{
    switch (pixelType) {
    case 0: return selectTyped<uint8_t>(mode, interpolation);
    case 1: return selectTyped<int16_t>(mode, interpolation);
    case 2: return selectTyped<float>(mode, interpolation);
    case 3: return selectTyped<uint16_t>(mode, interpolation);
    default: return castBackground;
    }
}

} // namespace isImageSDK
