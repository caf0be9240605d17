#pragma once
// Per-block maxima of a volume for skipping empty space, and the box of the blocks that reach a
// threshold, to which every ray is clipped. Blocks are 4 voxels wide and overlap their next
// neighbour by one voxel, so a block's maximum covers every trilinear sample whose lower corner
// lies in it.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "imaging/core/volume/isVolumeRecord.h"

namespace isImageSDK {

class vrSpaceLeapingBase {
public:
    explicit vrSpaceLeapingBase(int kind) : kind(kind) {}
    virtual ~vrSpaceLeapingBase() = default;

    /// Binds a volume: sizes the grid and marks it unbuilt; the box becomes the whole volume.
    virtual void bind(const isVolumeRecord* record);
    /// Fills the maxima once per binding (nothing for a pixel type this grid does not read).
    virtual void build();
    /// Blocks whose maximum lies below the threshold are empty.
    virtual void setThreshold(float threshold);
    /// True when the block holding lattice point p (voxel i at i) is empty.
    bool isEmptyAt(const float p[3]) const { return cellMax(p) < threshold; }
    const float* getBox() const { return box; }
    void copyBox(float out[6]) const;

    /// Maximum of the block holding lattice point p (p inside the volume).
    float cellMax(const float p[3]) const
    {
        const int cx = int(p[0] * 0.25f), cy = int(p[1] * 0.25f), cz = int(p[2] * 0.25f);
        return maxima[size_t(cz) * size_t(sliceCells) + size_t(cy) * size_t(blocks[0]) + size_t(cx)];
    }

    /// Whether this grid reads volumes of a pixel type.
    virtual bool accepts(int pixelType) const = 0;

    const int kind;                 // 1 integer volumes, 2 float volumes
    int sliceCells = 0;             // blocks x * blocks y
    int blocks[3] = {0, 0, 0};
    std::vector<float> maxima;      // x fastest
    bool built = false;
    const isVolumeRecord* volume = nullptr;
    float threshold = 200.0f;
    float box[6] = {0, 0, 0, 0, 0, 0}; // x min, x max, y min, y max, z min, z max (lattice units)

protected:
    void updateBox();
};

} // namespace isImageSDK
