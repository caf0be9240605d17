// Times one oblique reslice (45 degrees about z, through the volume's centre, output spacing = the
// input's pixel spacing) and prints {"ms_per_reslice":...} as one JSON line.

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "BenchVolume.h"
#include "imaging/core/reslice/isResliceKernel.h"

using namespace isImageSDK;

int main(int argc, char** argv)
{
    BenchVolume volume;
    if (!volume.load(argc, argv)) return 1;
    const std::string interp = benchOption(argc, argv, "--interp", "linear");
    const int slab = std::max(1, std::atoi(benchOption(argc, argv, "--slab", "1").c_str()));
    const int threads = std::atoi(benchOption(argc, argv, "--threads", "1").c_str());
    const int iterations = std::max(1, std::atoi(benchOption(argc, argv, "--iterations", "10").c_str()));
    if (threads != 1) {
        std::fprintf(stderr, "reslicing runs on the calling thread: use --threads 1\n");
        return 1;
    }

    const isSliceStack stack = isSliceStack::fromContiguous(volume.voxels.data(), volume.dims, volume.spacing, 1);
    const float c = std::cos(float(M_PI) / 4), s = std::sin(float(M_PI) / 4);
    float centre[3];
    for (int k = 0; k < 3; ++k) centre[k] = (volume.dims[k] - 1) * volume.spacing[k] * 0.5f;
    // "diagonal": rows along (c, s, 0), columns along z, normal (s, -c, 0), through the centre.
    // "tilted": rows along x, columns along (0, c, s), normal (0, -s, c).
    const std::string plane = benchOption(argc, argv, "--plane", "diagonal");
    float axes[16] = {c, s, 0, 0, 0, 0, 1, 0, s, -c, 0, 0, centre[0], centre[1], centre[2], 1};
    if (plane == "tilted") {
        const float tilted[12] = {1, 0, 0, 0, 0, c, s, 0, 0, -s, c, 0};
        std::copy(tilted, tilted + 12, axes);
    }
    isResliceParams p;
    if (!computeResliceGeometry(volume.dims, volume.spacing, axes, p.geometry)) return 1;
    // The same pixel pitch as the input's rows, as a viewer would show it.
    const float pitch = volume.spacing[0];
    p.geometry.columns = int(std::lround(p.geometry.columns * p.geometry.spacingX / pitch));
    p.geometry.rows = int(std::lround(p.geometry.rows * p.geometry.spacingY / pitch));
    p.geometry.spacingX = p.geometry.spacingY = pitch;
    p.interpolation = interp == "cubic" ? 2 : 1;
    p.slabSampleCount = slab;
    p.slabMode = 1;
    p.geometry.slabSpacing = pitch;
    p.background = -1024;

    std::vector<int16_t> out(size_t(p.geometry.columns) * p.geometry.rows);
    resliceVolume(stack, p, out.data()); // warm the caches
    std::vector<double> times;
    for (int i = 0; i < iterations; ++i) {
        const auto t0 = std::chrono::steady_clock::now();
        resliceVolume(stack, p, out.data());
        const auto t1 = std::chrono::steady_clock::now();
        times.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
    }
    std::sort(times.begin(), times.end());
    const std::string dump = benchOption(argc, argv, "--write-out", "");
    if (!dump.empty()) std::ofstream(dump, std::ios::binary).write(reinterpret_cast<const char*>(out.data()),
                                                                  std::streamsize(out.size() * 2));
    std::printf("{\"ms_per_reslice\":%.3f,\"columns\":%d,\"rows\":%d,\"interp\":\"%s\",\"slab\":%d,\"threads\":1,"
                "\"plane\":\"%s\",\"origin\":[%.4f,%.4f,%.4f]}\n",
                times[times.size() / 2], p.geometry.columns, p.geometry.rows, interp.c_str(), slab,
                plane.c_str(), p.geometry.axes[12], p.geometry.axes[13], p.geometry.axes[14]);
    return 0;
}
