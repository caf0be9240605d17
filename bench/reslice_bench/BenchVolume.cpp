#include "BenchVolume.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>

#ifdef QP_HAVE_SAMPLEMAKER
#include "Phantom.h"
#endif

namespace {

#ifndef QP_HAVE_SAMPLEMAKER
// A stand-in when the sample-data maker is not built: body, lungs, spine and contrast.
std::vector<int16_t> fallbackSlice(int w, int h, int z, int slices)
{
    std::vector<int16_t> px(size_t(w) * h, -1000);
    const double t = slices > 1 ? double(z) / (slices - 1) : 0.5;
    auto in = [](double x, double y, double cx, double cy, double rx, double ry) {
        const double dx = (x - cx) / rx, dy = (y - cy) / ry;
        return dx * dx + dy * dy <= 1.0;
    };
    for (int j = 0; j < h; ++j)
        for (int i = 0; i < w; ++i) {
            const double x = (i + 0.5) / w, y = (j + 0.5) / h;
            int v = -1000;
            if (in(x, y, 0.5, 0.52, 0.40, 0.30)) {
                v = 40 + ((i * 7 + j * 13 + z * 3) % 9) - 4;
                if (t < 0.55 && (in(x, y, 0.33, 0.48, 0.12, 0.17) || in(x, y, 0.67, 0.48, 0.12, 0.17))) v = -820;
                if (in(x, y, 0.5, 0.74, 0.055, 0.05)) v = 700;
                if (in(x, y, 0.46, 0.62, 0.025, 0.025)) v = 300;
            }
            px[size_t(j) * w + i] = int16_t(v);
        }
    return px;
}
#endif

} // namespace

std::string benchOption(int argc, char** argv, const std::string& name, const std::string& fallback)
{
    for (int i = 1; i + 1 < argc; ++i)
        if (name == argv[i]) return argv[i + 1];
    return fallback;
}

bool BenchVolume::load(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if ((a == "--dims" || a == "--spacing") && i + 3 < argc) {
            for (int k = 0; k < 3; ++k) {
                if (a == "--dims") dims[k] = std::atoi(argv[i + 1 + k]);
                else spacing[k] = float(std::atof(argv[i + 1 + k]));
            }
            i += 3;
        }
    }
    for (int k = 0; k < 3; ++k)
        if (dims[k] < 2 || dims[k] > 4096 || !(spacing[k] > 0.0f)) {
            std::fprintf(stderr, "bad --dims or --spacing\n");
            return false;
        }
    const size_t count = size_t(dims[0]) * dims[1] * dims[2];
    const std::string raw = benchOption(argc, argv, "--raw", "");
    if (!raw.empty()) {
        std::ifstream in(raw, std::ios::binary);
        voxels.resize(count);
        if (!in.read(reinterpret_cast<char*>(voxels.data()), std::streamsize(count * 2))) {
            std::fprintf(stderr, "cannot read %zu voxels from %s\n", count, raw.c_str());
            return false;
        }
    } else {
        voxels.reserve(count);
        for (int z = 0; z < dims[2]; ++z) {
#ifdef QP_HAVE_SAMPLEMAKER
            const auto slice = samplemaker::Phantom::ctSlice(dims[0], dims[1], z, dims[2], 1u);
#else
            const auto slice = fallbackSlice(dims[0], dims[1], z, dims[2]);
#endif
            voxels.insert(voxels.end(), slice.begin(), slice.end());
        }
    }
    const std::string out = benchOption(argc, argv, "--write-raw", "");
    if (!out.empty()) {
        std::ofstream o(out, std::ios::binary);
        o.write(reinterpret_cast<const char*>(voxels.data()), std::streamsize(count * 2));
        if (!o) {
            std::fprintf(stderr, "cannot write %s\n", out.c_str());
            return false;
        }
    }
    return true;
}
