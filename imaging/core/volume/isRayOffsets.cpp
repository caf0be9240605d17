#include "imaging/core/volume/isRayOffsets.h"

#include <cmath>
#include <cstdint>

namespace isImageSDK {

namespace {

constexpr int N = isRayOffsets::kSize;
constexpr int kCells = N * N;

// Void-and-cluster ranking on a torus: the energy of a cell is the Gaussian-weighted count of
// set cells around it, so the most crowded set cell and the emptiest free one are found by it.
class VoidAndCluster {
public:
    VoidAndCluster() : energy(kCells, 0.0f), set(kCells, 0)
    {
        for (int dy = -kReach; dy <= kReach; ++dy)
            for (int dx = -kReach; dx <= kReach; ++dx)
                kernel[dy + kReach][dx + kReach] = std::exp(-float(dx * dx + dy * dy) / (2.0f * 1.5f * 1.5f));
    }

    std::vector<int> ranks()
    {
        // A fixed sparse start (a tenth of the cells), relaxed until moving its most crowded
        // cell to the emptiest place would put it back.
        uint32_t seed = 12345u;
        for (int placed = 0; placed < kCells / 10;) {
            seed = seed * 1664525u + 1013904223u;
            const int c = int((seed >> 8) % uint32_t(kCells));
            if (!set[size_t(c)]) {
                toggle(c);
                ++placed;
            }
        }
        for (int i = 0; i < kCells; ++i) {
            const int crowded = extreme(true);
            toggle(crowded);
            const int empty = extreme(false);
            toggle(empty);
            if (empty == crowded) break;
        }
        const std::vector<uint8_t> startSet = set;
        const std::vector<float> startEnergy = energy;
        int ones = 0;
        for (uint8_t s : set) ones += s;

        std::vector<int> rank(kCells, 0);
        // Ranks below the start: take away the most crowded cell each time.
        for (int r = ones - 1; r >= 0; --r) {
            const int c = extreme(true);
            rank[size_t(c)] = r;
            toggle(c);
        }
        // Ranks above: fill the emptiest cell each time.
        set = startSet;
        energy = startEnergy;
        for (int r = ones; r < kCells; ++r) {
            const int c = extreme(false);
            rank[size_t(c)] = r;
            toggle(c);
        }
        return rank;
    }

private:
    void toggle(int c)
    {
        const float sign = set[size_t(c)] ? -1.0f : 1.0f;
        set[size_t(c)] ^= 1;
        const int cx = c % N, cy = c / N;
        for (int dy = -kReach; dy <= kReach; ++dy) {
            float* e = &energy[size_t((cy + dy) & (N - 1)) * N];
            for (int dx = -kReach; dx <= kReach; ++dx)
                e[(cx + dx) & (N - 1)] += sign * kernel[dy + kReach][dx + kReach];
        }
    }

    // The set cell of the highest energy, or the free cell of the lowest.
    int extreme(bool ofSet) const
    {
        int best = -1;
        for (int c = 0; c < kCells; ++c) {
            if (bool(set[size_t(c)]) != ofSet) continue;
            const float e = energy[size_t(c)];
            if (best < 0 || (ofSet ? e > energy[size_t(best)] : e < energy[size_t(best)])) best = c;
        }
        return best;
    }

    // The Gaussian (sigma 1.5 cells) is below 1e-4 of its peak beyond this reach.
    static constexpr int kReach = 6;
    float kernel[2 * kReach + 1][2 * kReach + 1];
    std::vector<float> energy;
    std::vector<uint8_t> set;
};

} // namespace

const std::vector<float>& isRayOffsets::tile()
{
    static const std::vector<float> offsets = [] {
        const std::vector<int> rank = VoidAndCluster().ranks();
        std::vector<float> t(kCells);
        for (int c = 0; c < kCells; ++c) t[size_t(c)] = (float(rank[size_t(c)]) + 0.5f) / float(kCells);
        return t;
    }();
    return offsets;
}

} // namespace isImageSDK
