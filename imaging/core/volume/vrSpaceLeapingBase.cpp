#include "imaging/core/volume/vrSpaceLeapingBase.h"

#include <algorithm>
#include <cstring>

namespace isImageSDK {

namespace {

// Row maxima per block of one row, then spread into the (up to four) cells that contain the row:
// a row on a block boundary also belongs to the previous block because blocks overlap by one.
template <typename T>
void accumulate(const isVolumeRecord& v, const int blocks[3], int sliceCells, float* maxima)
{
    const int nx = v.dims[0], ny = v.dims[1], nz = v.dims[2];
    std::vector<float> rowMax(static_cast<size_t>(blocks[0]));
    for (int z = 0; z < nz; ++z) {
        const T* slice = static_cast<const T*>(v.slice(z));
        const int cz0 = z >> 2, cz1 = (z > 0 && (z & 3) == 0) ? cz0 - 1 : cz0;
        for (int y = 0; y < ny; ++y) {
            const T* row = slice + size_t(y) * size_t(nx);
            for (int b = 0; b < blocks[0]; ++b) {
                const int x0 = b * 4, x1 = std::min(nx - 1, x0 + 4);
                T m = row[x0];
                for (int x = x0 + 1; x <= x1; ++x) m = std::max(m, row[x]);
                rowMax[size_t(b)] = float(m);
            }
            const int cy0 = y >> 2, cy1 = (y > 0 && (y & 3) == 0) ? cy0 - 1 : cy0;
            for (int cz = cz1; cz <= cz0; ++cz)
                for (int cy = cy1; cy <= cy0; ++cy) {
                    float* cells = maxima + size_t(cz) * size_t(sliceCells) + size_t(cy) * size_t(blocks[0]);
                    for (int b = 0; b < blocks[0]; ++b) cells[b] = std::max(cells[b], rowMax[size_t(b)]);
                }
        }
    }
}

} // namespace

void vrSpaceLeapingBase::bind(const isVolumeRecord* record)
{
    maxima.clear();
    blocks[0] = blocks[1] = blocks[2] = 0;
    sliceCells = 0;
    volume = record;
    built = false;
    if (!record || record->dims[0] < 1 || record->dims[1] < 1 || record->dims[2] < 1) return;
    for (int a = 0; a < 3; ++a) blocks[a] = (record->dims[a] - 1) / 4 + 1;
    sliceCells = blocks[0] * blocks[1];
    maxima.assign(size_t(sliceCells) * size_t(blocks[2]), kind == 2 ? -1.0e8f : -32700.0f);
    for (int a = 0; a < 3; ++a) {
        box[a * 2] = 0.0f;
        box[a * 2 + 1] = float(record->dims[a] - 1);
    }
}

void vrSpaceLeapingBase::build()
{
    if (built || !volume || maxima.empty() || !accepts(volume->pixelType) || !volume->isRenderable()) return;
    // Cells start below any value so that the first voxel of each block sets them.
    std::fill(maxima.begin(), maxima.end(), -3.0e38f);
    switch (volume->pixelType) {
    case 0: accumulate<uint8_t>(*volume, blocks, sliceCells, maxima.data()); break;
    case 1: accumulate<int16_t>(*volume, blocks, sliceCells, maxima.data()); break;
    case 2: accumulate<float>(*volume, blocks, sliceCells, maxima.data()); break;
    case 3: accumulate<uint16_t>(*volume, blocks, sliceCells, maxima.data()); break;
    default: return;
    }
    built = true;
    updateBox();
}

void vrSpaceLeapingBase::setThreshold(float t)
{
    if (t == threshold) return;
    threshold = t;
    updateBox();
}

void vrSpaceLeapingBase::copyBox(float out[6]) const { std::memcpy(out, box, sizeof(box)); }

void vrSpaceLeapingBase::updateBox()
{
    if (!volume || !built) return;
    int lo[3] = {9999, 9999, 9999}, hi[3] = {-9999, -9999, -9999};
    for (int cz = 0; cz < blocks[2]; ++cz)
        for (int cy = 0; cy < blocks[1]; ++cy) {
            const float* row = &maxima[size_t(cz) * size_t(sliceCells) + size_t(cy) * size_t(blocks[0])];
            for (int cx = 0; cx < blocks[0]; ++cx) {
                if (row[cx] < threshold) continue;
                lo[0] = std::min(lo[0], cx); hi[0] = std::max(hi[0], cx);
                lo[1] = std::min(lo[1], cy); hi[1] = std::max(hi[1], cy);
                lo[2] = std::min(lo[2], cz); hi[2] = std::max(hi[2], cz);
            }
        }
    for (int a = 0; a < 3; ++a) {
        if (lo[a] > hi[a]) { // nothing reaches the threshold: an empty box every ray misses
            box[a * 2] = 1.0f;
            box[a * 2 + 1] = 0.0f;
            continue;
        }
        box[a * 2] = float(lo[a] * 4);
        box[a * 2 + 1] = float(std::min(volume->dims[a] - 1, hi[a] * 4 + 4));
    }
}

} // namespace isImageSDK
