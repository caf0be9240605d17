#include "imaging/core/reslice/isResliceKernel.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <type_traits>

#include "imaging/core/reslice/CTriCubic.h"
#include "imaging/core/reslice/CTriLinear.h"
#include "imaging/core/reslice/isMatrixMath.h"
#include "imaging/core/reslice/isSampleCast.h"

namespace isImageSDK {

namespace {

// Outputs above this many pixels come only from degenerate axes; refuse them.
constexpr double kMaxOutputPixels = 64.0 * 1024.0 * 1024.0;

// Spacing along one axis column: the column scaled so that its largest step in voxel units is
// one voxel, so a unit axis along a volume axis gets that axis's voxel spacing.
double axisSpacing(const double* c, const float spacing[3])
{
    const double d[3] = {c[0] / spacing[0], c[1] / spacing[1], c[2] / spacing[2]};
    double m = d[0];
    if (std::fabs(d[1]) > std::fabs(m)) m = d[1];
    if (std::fabs(d[2]) > std::fabs(m)) m = d[2];
    if (m == 0.0) return 0.0;
    return std::sqrt(c[0] * c[0] + c[1] * c[1] + c[2] * c[2]) / std::fabs(m);
}

struct Frame {
    float o[3], dx[3], dy[3], dz[3]; // in voxel units
};

Frame voxelFrame(const isSliceStack& v, const isResliceGeometry& g)
{
    Frame f;
    for (int a = 0; a < 3; ++a) {
        const float r = 1.0f / v.spacing[a];
        f.o[a] = g.axes[12 + a] * r;
        f.dx[a] = g.spacingX * g.axes[a] * r;
        f.dy[a] = g.spacingY * g.axes[4 + a] * r;
        f.dz[a] = g.slabSpacing * g.axes[8 + a] * r;
    }
    return f;
}

template <typename T>
constexpr double largestStored()
{
    if constexpr (std::is_floating_point_v<T>) return 3.35e38;
    else return double(std::numeric_limits<T>::max());
}

// Positions of one output row: pixel c, slab sample k. Every caller computes positions through
// this one expression, so the interior test of the row ends holds for every pixel between them.
struct RowPositions {
    float start[3], dx[3], first[3], dz[3];
    void at(float c, float k, float out[3]) const
    {
        for (int a = 0; a < 3; ++a) out[a] = (start[a] + c * dx[a] + first[a]) + k * dz[a];
    }
};

// Columns [lo, hi] whose every slab sample lies in the interpolator's interior (fast path).
template <typename Interp>
void interiorColumns(const Interp& interp, const RowPositions& rp, int columns, int samples, int& lo, int& hi)
{
    double cmin = 0.0, cmax = double(columns - 1);
    const float last = float(samples - 1);
    for (int a = 0; a < 3 && cmin <= cmax; ++a) {
        const double low = Interp::interiorLow(), high = interp.interiorHigh(a);
        for (float k : {0.0f, last}) {
            const double base = double(rp.start[a]) + double(rp.first[a]) + double(k) * rp.dz[a];
            const double d = rp.dx[a];
            if (d == 0.0) {
                if (base < low || base >= high) cmax = -1.0;
                continue;
            }
            const double c0 = (low - base) / d, c1 = (high - base) / d;
            cmin = std::max(cmin, std::ceil(std::min(c0, c1)));
            cmax = std::min(cmax, std::floor(std::max(c0, c1)));
        }
    }
    lo = int(cmin);
    hi = int(cmax);
    // The bounds above are real-valued; nudge them until the float positions agree.
    auto inside = [&](int c) {
        for (float k : {0.0f, last}) {
            float q[3];
            rp.at(float(c), k, q);
            for (int a = 0; a < 3; ++a)
                if (!(q[a] >= Interp::interiorLow() && q[a] < interp.interiorHigh(a))) return false;
        }
        return true;
    };
    while (lo <= hi && !inside(lo)) ++lo;
    while (hi >= lo && !inside(hi)) --hi;
}

// True when neighbouring pixels of an output row lie a cache line or more apart in the volume
// (the row crosses volume rows or slices), so the hardware prefetcher cannot follow it.
template <typename T>
bool crossesLines(const Frame& f, const isSliceStack& v)
{
    const double bytes = double(sizeof(T));
    const double rowBytes = bytes * v.dims[0];
    const double step = std::fabs(f.dx[0]) * bytes + std::fabs(f.dx[1]) * rowBytes +
                        std::fabs(f.dx[2]) * rowBytes * v.dims[1];
    return step >= 64.0;
}

// Loads, once, voxels that the interior columns [lo, hi] of a row will read (for a slab, of
// its first plane). The loads do not depend on each other, so the core overlaps their cache and
// page-table misses; inside the sampling loop the same misses come one after another, behind the
// arithmetic of each sample. Prefetch instructions in their place gained nothing measurable.
template <typename Interp>
void touchColumns(const Interp& interp, const RowPositions& rp, int lo, int hi)
{
    for (int c = lo; c <= hi; ++c) {
        float q[3];
        rp.at(float(c), 0.0f, q);
        interp.touch(q[0], q[1], q[2]);
    }
}

template <typename T, bool Fast, typename Interp>
T slabSample(const Interp& interp, const RowPositions& rp, int c, const isResliceParams& p, int n)
{
    auto one = [&](float k) {
        float q[3];
        rp.at(float(c), k, q);
        return Fast ? interp.sampleInterior(q[0], q[1], q[2]) : interp.sample(q[0], q[1], q[2]);
    };
    const T first = one(0.0f);
    if (n == 1) return first;
    if (p.slabMode == 0 || p.slabMode == 1) {
        T acc = first;
        for (int k = 1; k < n; ++k) {
            const T s = one(float(k));
            acc = p.slabMode == 0 ? std::min(acc, s) : std::max(acc, s);
        }
        return acc;
    }
    if (p.slabMode == 2 || p.slabMode == 3) {
        double sum = double(first);
        for (int k = 1; k < n; ++k) sum += double(one(float(k)));
        if (p.slabMode == 2) sum *= 1.0 / double(n);
        else sum = std::min(sum, largestStored<T>());
        return saturateSample<T>(sum);
    }
    return first;
}

template <typename T, typename Interp>
void resliceWith(const Interp& interp, const Frame& f, const isResliceParams& p, bool touch, T* out)
{
    const int columns = p.geometry.columns, rows = p.geometry.rows;
    const int n = std::max(1, p.slabSampleCount);
    // Slab samples are centred on the plane: offsets -(n-1)/2 .. (n-1)/2 slab spacings.
    const float centre = float(n - 1) * 0.5f;
    constexpr int kAhead = 8; // columns between a prefetch and its use
    RowPositions rp;
    for (int a = 0; a < 3; ++a) {
        rp.dx[a] = f.dx[a];
        rp.dz[a] = f.dz[a];
        rp.first[a] = -centre * f.dz[a];
    }
    // Single planes and minimum or maximum slabs of 16-bit volumes go eight pixels at a time.
    const bool eights = (n == 1 || p.slabMode == 0 || p.slabMode == 1) && interp.samplesRowsInEights();
    // Measured on rows that cross volume rows: one at a time, trilinear samples gain from a
    // touching pass and tricubic ones lose (their arithmetic hides the misses); eight at a time it
    // is the other way round (trilinear gathers keep enough reads in flight, tricubic ones wait
    // on four slices). Slabs touch their first plane only: the others lie beside it and a full
    // pass would cost as much as the sampling.
    const bool touchRows = touch && (std::is_same_v<Interp, CTriLinear<T>> ? !eights : eights);
    // Rows go in pairs: the two sample streams of neighbouring rows mostly read the same cache
    // lines, and interleaving them keeps twice as many memory reads in flight.
    for (int r = 0; r < rows; r += 2) {
        const int count = std::min(2, rows - r);
        RowPositions row[2] = {rp, rp};
        T* dst[2];
        int lo[2] = {0, 0}, hi[2] = {-1, -1};
        for (int i = 0; i < count; ++i) {
            // Each position is the row start plus c steps (not a running sum), so rounding does
            // not accumulate along wide rows.
            for (int a = 0; a < 3; ++a) row[i].start[a] = f.o[a] + float(r + i) * f.dy[a];
            dst[i] = out + size_t(r + i) * size_t(columns);
            interiorColumns(interp, row[i], columns, n, lo[i], hi[i]);
                if (touchRows) touchColumns(interp, row[i], lo[i], hi[i]);
        }
        // Columns where every row of the pair is interior; elsewhere each row on its own.
        int plo = lo[0], phi = hi[0];
        for (int i = 1; i < count; ++i) {
            plo = std::max(plo, lo[i]);
            phi = std::min(phi, hi[i]);
        }
        auto single = [&](int i, int c) {
            dst[i][c] = (c >= lo[i] && c <= hi[i]) ? slabSample<T, true>(interp, row[i], c, p, n)
                                                   : slabSample<T, false>(interp, row[i], c, p, n);
        };
        const int pairedEnd = plo <= phi ? plo : columns;
        for (int i = 0; i < count; ++i)
            for (int c = 0; c < pairedEnd; ++c) single(i, c);
        if (plo > phi) continue;
        int from = plo;
        if (eights) { // one row after the other
            for (int i = 0; i < count; ++i) {
                const RowPositions& q = row[i];
                const isSimdRow simd{q.start, q.dx, q.first, q.dz, n, p.slabMode == 1, plo, phi, 0};
                const int done = interp.sampleRowInterior(simd, dst[i]);
                for (int c = done; c <= phi; ++c) dst[i][c] = slabSample<T, true>(interp, row[i], c, p, n);
            }
            from = phi + 1;
        }
        for (int c = from; c <= phi; ++c) {
            if (c + kAhead <= phi) {
                float q[3];
                row[0].at(float(c + kAhead), 0.0f, q);
                interp.prefetch(q[0], q[1], q[2]);
            }
            for (int i = 0; i < count; ++i) dst[i][c] = slabSample<T, true>(interp, row[i], c, p, n);
        }
        for (int i = 0; i < count; ++i)
            for (int c = phi + 1; c < columns; ++c) single(i, c);
    }
}

template <typename T>
void resliceTyped(const isSliceStack& v, const isResliceParams& p, T* out)
{
    const Frame f = voxelFrame(v, p.geometry);
    const T background = saturateSample<T>(double(p.background));
    const bool touch = crossesLines<T>(f, v);
    if (p.interpolation == 2) resliceWith(CTriCubic<T>(v, background), f, p, touch, out);
    else resliceWith(CTriLinear<T>(v, background), f, p, touch, out);
}

} // namespace

bool computeResliceGeometry(const int dims[3], const float spacing[3], const float axes[16],
                            isResliceGeometry& out)
{
    for (int a = 0; a < 3; ++a)
        if (dims[a] < 1 || !std::isfinite(spacing[a]) || !(spacing[a] > 0.0f)) return false;
    double m[16], inv[16];
    for (int i = 0; i < 16; ++i) {
        if (!std::isfinite(axes[i])) return false;
        m[i] = axes[i];
    }
    if (!invertMatrix4(m, inv)) return false;

    const double ex = (dims[0] - 1) * double(spacing[0]);
    const double ey = (dims[1] - 1) * double(spacing[1]);
    const double ez = (dims[2] - 1) * double(spacing[2]);
    const double corners[8][3] = {{0, 0, 0},   {ex, 0, 0},  {ex, ey, 0},  {0, ey, 0},
                                  {0, 0, ez},  {ex, 0, ez}, {ex, ey, ez}, {0, ey, ez}};
    double minX = 1e10, maxX = -1e10, minY = 1e10, maxY = -1e10;
    for (const auto& c : corners) {
        const double x = inv[0] * c[0] + inv[4] * c[1] + inv[8] * c[2] + inv[12];
        const double y = inv[1] * c[0] + inv[5] * c[1] + inv[9] * c[2] + inv[13];
        minX = std::min(minX, x);
        maxX = std::max(maxX, x);
        minY = std::min(minY, y);
        maxY = std::max(maxY, y);
    }
    const double sx = axisSpacing(m, spacing), sy = axisSpacing(m + 4, spacing),
                 sz = axisSpacing(m + 8, spacing);
    if (!(sx > 0.0) || !(sy > 0.0) || !(sz > 0.0)) return false;
    const double columns = std::trunc((maxX - minX) / sx + 0.5);
    const double rows = std::trunc((maxY - minY) / sy + 0.5);
    if (!std::isfinite(columns) || !std::isfinite(rows) ||
        std::max(columns, 1.0) * std::max(rows, 1.0) > kMaxOutputPixels)
        return false;

    for (int i = 0; i < 12; ++i) out.axes[i] = axes[i];
    // Post-multiplying by a translation (minX, minY, 0) moves only the origin column.
    for (int a = 0; a < 4; ++a)
        out.axes[12 + a] = float(m[12 + a] + m[a] * minX + m[4 + a] * minY);
    out.spacingX = float(sx);
    out.spacingY = float(sy);
    out.slabSpacing = float(sz);
    out.columns = int(columns);
    out.rows = int(rows);
    return true;
}

bool resliceVolume(const isSliceStack& volume, const isResliceParams& params, void* out)
{
    if (!out || !volume.isValid() || params.geometry.columns < 1 || params.geometry.rows < 1) return false;
    switch (volume.pixelType) {
    case 0: resliceTyped(volume, params, static_cast<uint8_t*>(out)); return true;
    case 1: resliceTyped(volume, params, static_cast<int16_t*>(out)); return true;
    case 2: resliceTyped(volume, params, static_cast<float*>(out)); return true;
    case 3: resliceTyped(volume, params, static_cast<uint16_t*>(out)); return true;
    default: return false;
    }
}

} // namespace isImageSDK
