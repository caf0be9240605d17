#pragma once
// The 256-entry transfer table made from a colour table and the 256 x 256 pre-integration table
// made from it, through which the ray caster classifies samples.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace isImageSDK {

class isTransferTables {
public:
    enum Kind { Averaged = 0, Numerical = 1, Accumulated = 2 };

    isTransferTables();

    /// Entry i = (i, R_i, G_i, B_i) from 256 RGB triplets; marks the pre-integration stale.
    void setColors(const uint8_t rgb[768]);
    /// Rebuilds the pre-integration table when the transfer table changed since the last build.
    void buildPreIntegration();

    int kind = Averaged;
    int dirty = 1;
    float transfer[256][4];                 // opacity, red, green, blue; each 0..255
    std::vector<float> preIntegration;      // 256 * 256 * 4; row = back value, column = front value

    // The pieces of the numerical method, exposed for its tests.
    float opacityAt(int front, int back, float t) const;
    float integrateOpacity(int front, int back) const;
    void attenuatedColourAt(int front, int back, float t, float out[3]) const;
    void integrateColour(int front, int back, float out[3]) const;
    void preIntegrateSegment(int front, int back, float out[4]) const;

private:
    void buildAveraged();
    void buildNumerical();
    void buildAccumulated();
    float* entry(int row, int column) { return &preIntegration[(size_t(row) * 256 + size_t(column)) * 4]; }
};

} // namespace isImageSDK
