#include "imaging/core/reslice/isPlaneKernel.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <type_traits>
#include <vector>

#include "imaging/core/reslice/isSampleCast.h"

namespace isImageSDK {

namespace {

// Pixels of N bytes; a memcpy of a constant size compiles to one move, not a call per pixel.
template <int N>
void copyPlaneOf(const isSliceStack& v, int orientation, int k, uint8_t* out)
{
    const size_t nx = size_t(v.dims[0]), ny = size_t(v.dims[1]), nz = size_t(v.dims[2]);
    const auto* slices = reinterpret_cast<const uint8_t* const*>(v.slices.data());
    if (orientation == 0) {
        std::memcpy(out, slices[k], nx * ny * N);
    } else if (orientation == 1) {
        // Output (c, r) = voxel (nx - 1 - k, r, c): columns run along z, rows along y.
        const size_t x = nx - 1 - size_t(k);
        for (size_t c = 0; c < nz; ++c)
            for (size_t r = 0; r < ny; ++r) std::memcpy(out + (r * nz + c) * N, slices[c] + (r * nx + x) * N, N);
    } else {
        // Orientation 2: output (c, r) = voxel (r, k, c): columns along z, rows along x.
        for (size_t c = 0; c < nz; ++c) {
            const uint8_t* src = slices[c] + size_t(k) * nx * N;
            for (size_t r = 0; r < nx; ++r) std::memcpy(out + (r * nz + c) * N, src + r * N, N);
        }
    }
}

// Copies plane k of one orientation into `out` (columns * rows samples of `bytes` bytes each).
void copyPlane(const isSliceStack& v, int orientation, int k, int bytes, uint8_t* out)
{
    switch (bytes) {
    case 1: copyPlaneOf<1>(v, orientation, k, out); break;
    case 2: copyPlaneOf<2>(v, orientation, k, out); break;
    case 3: copyPlaneOf<3>(v, orientation, k, out); break;
    default: copyPlaneOf<4>(v, orientation, k, out); break;
    }
}

template <typename T>
void combineSlab(const isSliceStack& v, const isPlaneParams& p, int first, int last, size_t count,
                 T* out)
{
    copyPlane(v, p.orientation, first, sizeof(T), reinterpret_cast<uint8_t*>(out));
    if (last == first) return;
    std::vector<T> plane(count);
    if (p.slabMode == 2 || p.slabMode == 3) {
        // Integer sums run in double so that nothing wraps; float data keeps float arithmetic.
        using Acc = std::conditional_t<std::is_floating_point_v<T>, float, double>;
        std::vector<Acc> sum(out, out + count);
        for (int k = first + 1; k <= last; ++k) {
            copyPlane(v, p.orientation, k, sizeof(T), reinterpret_cast<uint8_t*>(plane.data()));
            for (size_t i = 0; i < count; ++i) sum[i] += Acc(plane[i]);
        }
        if (p.slabMode == 2) {
            const Acc scale = Acc(1.0) / Acc(last - first + 1);
            for (size_t i = 0; i < count; ++i) out[i] = saturateSample<T>(sum[i] * scale);
        } else {
            for (size_t i = 0; i < count; ++i) out[i] = saturateSample<T>(sum[i]);
        }
        return;
    }
    for (int k = first + 1; k <= last; ++k) {
        copyPlane(v, p.orientation, k, sizeof(T), reinterpret_cast<uint8_t*>(plane.data()));
        if (p.slabMode == 0)
            for (size_t i = 0; i < count; ++i) out[i] = std::min(out[i], plane[i]);
        else
            for (size_t i = 0; i < count; ++i) out[i] = std::max(out[i], plane[i]);
    }
}

} // namespace

int planeCount(const isSliceStack& volume, int orientation)
{
    switch (orientation) {
    case 0: return volume.dims[2];
    case 1: return volume.dims[0];
    default: return volume.dims[1];
    }
}

void planeOutputSize(const isSliceStack& volume, int orientation, int& columns, int& rows)
{
    switch (orientation) {
    case 0: columns = volume.dims[0]; rows = volume.dims[1]; break;
    case 1: columns = volume.dims[2]; rows = volume.dims[1]; break;
    default: columns = volume.dims[2]; rows = volume.dims[0]; break;
    }
}

bool extractPlane(const isSliceStack& volume, const isPlaneParams& params, void* out)
{
    if (!out || !volume.isValid() || params.orientation < 0 || params.orientation > 2) return false;
    const int n = planeCount(volume, params.orientation);
    if (params.sliceIndex < 0 || params.sliceIndex >= n) return false;
    int columns = 0, rows = 0;
    planeOutputSize(volume, params.orientation, columns, rows);
    const size_t count = size_t(columns) * size_t(rows);

    // RGB planes are copied whole: averaging colour triples is not a meaningful slab.
    const int slabCount = volume.pixelType == 4 ? 1 : std::max(1, params.slabCount);
    const int half = slabCount > 1 ? slabCount / 2 : 0;
    const int first = std::clamp(params.sliceIndex - half, 0, n - 1);
    const int last = std::max(std::min(n - 1, params.sliceIndex - half + slabCount - 1), first);

    switch (volume.pixelType) {
    case 0: combineSlab(volume, params, first, last, count, static_cast<uint8_t*>(out)); break;
    case 1: combineSlab(volume, params, first, last, count, static_cast<int16_t*>(out)); break;
    case 2: combineSlab(volume, params, first, last, count, static_cast<float*>(out)); break;
    case 3: combineSlab(volume, params, first, last, count, static_cast<uint16_t*>(out)); break;
    case 4: copyPlane(volume, params.orientation, first, 3, static_cast<uint8_t*>(out)); break;
    default: return false;
    }
    return true;
}

} // namespace isImageSDK
