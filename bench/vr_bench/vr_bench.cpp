// Times ray-casting passes at scale 1.0 while the camera turns a little between frames and
// prints {"ms_per_frame":...} as one JSON line; --png saves the last frame.

#include <png.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "BenchVolume.h"
#include "imaging/core/volume/isVolumeRenderer.h"

using namespace isImageSDK;

namespace {

bool writePng(const std::string& path, const uint8_t* rgb, int width, int height)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(f);
        return false;
    }
    png_init_io(png, f);
    png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < height; ++y) png_write_row(png, rgb + size_t(y) * size_t(width) * 3);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return std::fclose(f) == 0;
}

// Looks at the volume's centre from the front (along +y), head up, turned by `degrees` about z.
isVolumeView frontView(const BenchVolume& v, int size, float degrees)
{
    isVolumeView view;
    view.width = view.height = float(size);
    float centre[3], extent = 0.0f;
    for (int k = 0; k < 3; ++k) {
        centre[k] = (v.dims[k] - 1) * v.spacing[k] * 0.5f;
        extent = std::max(extent, (v.dims[k] - 1) * v.spacing[k]);
    }
    view.zoom = extent * 1.1f / float(size);
    const float a = degrees * float(M_PI) / 180.0f;
    const float dir[3] = {std::sin(a), std::cos(a), 0.0f};
    const float distance = 1000.0f;
    for (int k = 0; k < 3; ++k) {
        view.focal[k] = centre[k];
        view.eye[k] = centre[k] - dir[k] * distance;
    }
    view.up[0] = 0.0f;
    view.up[1] = 0.0f;
    view.up[2] = -1.0f;
    view.nearPlane = 1.0f;
    view.farPlane = 3000.0f;
    return view;
}

} // namespace

int main(int argc, char** argv)
{
    BenchVolume volume;
    if (!volume.load(argc, argv)) return 1;
    const int size = std::max(16, std::atoi(benchOption(argc, argv, "--size", "512").c_str()));
    const int threads = std::atoi(benchOption(argc, argv, "--threads", "4").c_str());
    const std::string mode = benchOption(argc, argv, "--mode", "composite");
    const std::string interp = benchOption(argc, argv, "--interp", "nearest");
    const int frames = std::max(1, std::atoi(benchOption(argc, argv, "--frames", "20").c_str()));
    const float width = float(std::atof(benchOption(argc, argv, "--ww", "400").c_str()));
    const float level = float(std::atof(benchOption(argc, argv, "--wl", "40").c_str()));

    isVolumeRecord record;
    record.voxels = volume.voxels.data();
    for (int k = 0; k < 3; ++k) {
        record.dims[k] = volume.dims[k];
        record.spacing[k] = volume.spacing[k];
    }
    record.pixelType = 1;

    isVolumeRenderer renderer;
    renderer.setVolume(&record);
    uint8_t grey[768];
    for (int i = 0; i < 768; ++i) grey[i] = uint8_t(i / 3);
    renderer.setColorTable(grey);
    renderer.setWindow(width, level);
    renderer.setRenderMode(mode == "mip" ? 3 : 0);
    renderer.setInterpolation(interp == "linear" ? 1 : 0);
    renderer.setImageScale(1.0f);
    renderer.setScaleLocked(true);
    renderer.setWorkerLimit(threads);

    renderer.setView(frontView(volume, size, 10.0f), true);
    renderer.render(); // builds the grid and tables once, as the first pass of a viewer does
    std::vector<double> times;
    for (int f = 0; f < frames; ++f) {
        renderer.setView(frontView(volume, size, 10.0f + 2.0f * float(f + 1)), true);
        const auto t0 = std::chrono::steady_clock::now();
        renderer.render();
        const auto t1 = std::chrono::steady_clock::now();
        times.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
    }
    std::sort(times.begin(), times.end());
    const auto result = renderer.getResult();
    const std::string png = benchOption(argc, argv, "--png", "");
    if (!png.empty() && !writePng(png, result.pixels, result.width, result.height)) {
        std::fprintf(stderr, "cannot write %s\n", png.c_str());
        return 1;
    }
    std::printf("{\"ms_per_frame\":%.3f,\"size\":%d,\"threads\":%d,\"mode\":\"%s\",\"interp\":\"%s\",\"workers\":%d}\n",
                times[times.size() / 2], result.width, threads, mode.c_str(), interp.c_str(),
                renderer.getLastWorkerCount());
    return 0;
}
