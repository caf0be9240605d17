#include "Phantom.h"

#include <cmath>
#include <random>

namespace samplemaker {

namespace {
// Inside an axis-aligned ellipse given in fractions of the image (centre and radii).
bool inEllipse(double x, double y, double cx, double cy, double rx, double ry)
{
    double dx = (x - cx) / rx, dy = (y - cy) / ry;
    return dx * dx + dy * dy <= 1.0;
}

double frac(int i, int n) { return (i + 0.5) / n; }
} // namespace

std::vector<int16_t> Phantom::ctSlice(int w, int h, int z, int slices, unsigned seed)
{
    std::vector<int16_t> px(static_cast<size_t>(w) * h);
    std::mt19937 rng(seed * 7919u + static_cast<unsigned>(z));
    std::normal_distribution<double> noise(0.0, 4.0);
    const double t = slices > 1 ? static_cast<double>(z) / (slices - 1) : 0.5; // 0 head end, 1 feet end
    const bool chest = t < 0.55;
    for (int j = 0; j < h; ++j) {
        for (int i = 0; i < w; ++i) {
            double x = frac(i, w), y = frac(j, h);
            double hu = -1000.0;
            if (inEllipse(x, y, 0.5, 0.52, 0.40, 0.30)) {
                hu = 40.0; // soft tissue
                if (inEllipse(x, y, 0.5, 0.52, 0.37, 0.27) && !inEllipse(x, y, 0.5, 0.52, 0.35, 0.25))
                    hu = -90.0; // subcutaneous fat
                if (chest && (inEllipse(x, y, 0.33, 0.48, 0.12, 0.17) || inEllipse(x, y, 0.67, 0.48, 0.12, 0.17)))
                    hu = -820.0; // lungs
                if (inEllipse(x, y, 0.5, 0.74, 0.055, 0.05))
                    hu = 700.0; // vertebral body
                if (inEllipse(x, y, 0.5, 0.74, 0.03, 0.025))
                    hu = 250.0; // its marrow
                if (inEllipse(x, y, 0.46, 0.62, 0.025, 0.025))
                    hu = 300.0; // contrast in the aorta
                if (!chest && (inEllipse(x, y, 0.36, 0.64, 0.05, 0.07) || inEllipse(x, y, 0.64, 0.64, 0.05, 0.07)))
                    hu = 180.0; // enhancing kidneys
                if (chest && std::fabs(std::fmod(y * 18.0 + t * 3.0, 2.0) - 1.0) < 0.12 &&
                    !inEllipse(x, y, 0.5, 0.52, 0.36, 0.26) && inEllipse(x, y, 0.5, 0.52, 0.38, 0.28))
                    hu = 900.0; // ribs at the body wall
            }
            px[static_cast<size_t>(j) * w + i] = static_cast<int16_t>(std::lround(hu + (hu > -1000.0 ? noise(rng) : 0.0)));
        }
    }
    return px;
}

std::vector<uint16_t> Phantom::mrSlice(int w, int h, int z, int slices, unsigned seed)
{
    std::vector<uint16_t> px(static_cast<size_t>(w) * h);
    std::mt19937 rng(seed * 104729u + static_cast<unsigned>(z));
    std::normal_distribution<double> noise(0.0, 6.0);
    const double t = slices > 1 ? static_cast<double>(z) / (slices - 1) : 0.5;
    const double shrink = 1.0 - 0.5 * std::fabs(t - 0.5); // the head narrows towards its ends
    for (int j = 0; j < h; ++j) {
        for (int i = 0; i < w; ++i) {
            double x = frac(i, w), y = frac(j, h);
            double s = 0.0;
            if (inEllipse(x, y, 0.5, 0.5, 0.36 * shrink, 0.44 * shrink)) {
                s = 300.0; // scalp and skull rim
                if (inEllipse(x, y, 0.5, 0.5, 0.33 * shrink, 0.41 * shrink))
                    s = 620.0; // grey matter
                if (inEllipse(x, y, 0.5, 0.5, 0.25 * shrink, 0.32 * shrink))
                    s = 820.0; // white matter
                if (inEllipse(x, y, 0.45, 0.47, 0.03, 0.10 * shrink) || inEllipse(x, y, 0.55, 0.47, 0.03, 0.10 * shrink))
                    s = 180.0; // ventricles
            }
            double v = s + noise(rng) + 20.0;
            px[static_cast<size_t>(j) * w + i] = static_cast<uint16_t>(v < 0.0 ? 0.0 : v);
        }
    }
    return px;
}

std::vector<float> Phantom::petSlice(int w, int h, int z, int slices, unsigned seed)
{
    std::vector<float> px(static_cast<size_t>(w) * h);
    std::mt19937 rng(seed * 15485863u + static_cast<unsigned>(z));
    std::gamma_distribution<double> counts(20.0, 1.0);
    const double t = slices > 1 ? static_cast<double>(z) / (slices - 1) : 0.5;
    for (int j = 0; j < h; ++j) {
        for (int i = 0; i < w; ++i) {
            double x = frac(i, w), y = frac(j, h);
            double a = 0.0;
            if (inEllipse(x, y, 0.5, 0.52, 0.40, 0.30)) {
                a = 2000.0 * counts(rng) / 20.0;
                if (inEllipse(x, y, 0.40, 0.45, 0.04, 0.04) && std::fabs(t - 0.3) < 0.15)
                    a = 25000.0; // a hot lesion over a few slices
                if (inEllipse(x, y, 0.62, 0.55, 0.03, 0.03) && std::fabs(t - 0.6) < 0.1)
                    a = 15000.0;
                if (inEllipse(x, y, 0.5, 0.6, 0.08, 0.06) && t > 0.85)
                    a = 60000.0; // bladder
            }
            px[static_cast<size_t>(j) * w + i] = static_cast<float>(a);
        }
    }
    return px;
}

std::vector<uint8_t> Phantom::colourPicture(int w, int h)
{
    std::vector<uint8_t> px(static_cast<size_t>(w) * h * 3);
    static const uint8_t bars[8][3] = {{255, 255, 255}, {255, 255, 0}, {0, 255, 255}, {0, 255, 0},
                                       {255, 0, 255},   {255, 0, 0},   {0, 0, 255},   {0, 0, 0}};
    for (int j = 0; j < h; ++j) {
        for (int i = 0; i < w; ++i) {
            uint8_t* p = &px[(static_cast<size_t>(j) * w + i) * 3];
            double x = frac(i, w), y = frac(j, h);
            if (y < 0.5) {
                const uint8_t* b = bars[std::min(7, static_cast<int>(x * 8))];
                p[0] = b[0], p[1] = b[1], p[2] = b[2];
            } else {
                p[0] = static_cast<uint8_t>(255 * x);
                p[1] = static_cast<uint8_t>(255 * (y - 0.5) * 2);
                p[2] = static_cast<uint8_t>(255 * (1 - x));
            }
            if (inEllipse(x, y, 0.5, 0.5, 0.15, 0.15 * w / std::max(1, h)))
                p[0] = 255, p[1] = 128, p[2] = 0;
        }
    }
    return px;
}

std::vector<uint8_t> Phantom::cineFrame(int w, int h, int frame, int frames)
{
    std::vector<uint8_t> px(static_cast<size_t>(w) * h, 16);
    const double pos = frames > 1 ? static_cast<double>(frame) / (frames - 1) : 0.5;
    for (int j = 0; j < h; ++j)
        for (int i = 0; i < w; ++i)
            if (inEllipse(frac(i, w), frac(j, h), 0.15 + 0.7 * pos, 0.5, 0.1, 0.1))
                px[static_cast<size_t>(j) * w + i] = 230;
    return px;
}

} // namespace samplemaker
