// Pictures of the viewing screen's tools: the quick tool bar's icons ("res/..."), the colour
// table swatches and opacity curves of the menus, and the radial tool menu's disk ("imgs/...").

#include "Pictures.h"

#include <cmath>
#include <utility>
#include <vector>

namespace uires {

namespace {

const float kPi = 3.14159265358979f;
const Rgba kGrey = {220, 222, 226, 255};
const Rgba kAccent = {21, 170, 254, 255};
const Rgba kPanel = {32, 34, 38, 246};
const Rgba kOutline = {58, 62, 68, 255};
// The bar's icons are drawn at 48 points and shown at half size: strokes of 4 become 2.
const float kBarLine = 2.0f;

Canvas::Coverage clip(Canvas::Coverage shape, float x0, float x1)
{
    return [shape, x0, x1](float x, float y) { return x >= x0 && x < x1 ? shape(x, y) : 0.0f; };
}

void polyline(Canvas& canvas, const std::vector<std::pair<float, float>>& points, float half, Rgba color)
{
    for (size_t i = 1; i < points.size(); ++i)
        canvas.paint(Canvas::stroke(points[i - 1].first, points[i - 1].second, points[i].first, points[i].second, half),
                     color);
}

// Four corner brackets, pointing out (enter full screen) or in (leave it).
Canvas corners(bool inwards)
{
    Canvas canvas(48, 48);
    const float a = 10, b = 38, arm = 9;
    for (float cx : {a, b})
        for (float cy : {a, b}) {
            const float sx = cx < 24 ? 1.0f : -1.0f, sy = cy < 24 ? 1.0f : -1.0f;
            const float px = inwards ? cx + sx * arm : cx, py = inwards ? cy + sy * arm : cy;
            const float dx = inwards ? -sx : sx, dy = inwards ? -sy : sy;
            canvas.paint(Canvas::stroke(px, py, px + dx * arm, py, kBarLine), kAccent);
            canvas.paint(Canvas::stroke(px, py, px, py + dy * arm, kBarLine), kAccent);
        }
    return canvas;
}
Canvas fullScreen() { return corners(false); }
Canvas fullScreenExit() { return corners(true); }

Canvas camera()
{
    Canvas canvas(48, 48);
    canvas.paint(Canvas::minus(Canvas::roundedRect(6, 14, 42, 38, 4), Canvas::roundedRect(10, 18, 38, 34, 2)), kAccent);
    canvas.paint(Canvas::roundedRect(17, 9, 31, 15, 2), kAccent);
    canvas.paint(Canvas::arc(24, 26, 4, 8, 0, 2 * kPi, 1.0f), kAccent);
    return canvas;
}

Canvas star()
{
    Canvas canvas(48, 48);
    std::vector<std::pair<float, float>> points;
    for (int i = 0; i <= 10; ++i) {
        const float r = i % 2 ? 7.5f : 17.0f;
        const float a = -kPi / 2 + i * kPi / 5;
        points.push_back({24 + r * std::cos(a), 25 + r * std::sin(a)});
    }
    polyline(canvas, points, kBarLine, kAccent);
    return canvas;
}

// An "i" in a ring: the image's DICOM information.
Canvas info()
{
    Canvas canvas(48, 48);
    canvas.paint(Canvas::arc(24, 24, 15, 19, 0, 2 * kPi, 1.0f), kAccent);
    canvas.paint(Canvas::disc(24, 15.5f, 2.6f), kAccent);
    canvas.paint(Canvas::stroke(24, 22, 24, 33, kBarLine), kAccent);
    return canvas;
}

struct Stop {
    float at;
    Rgba color;
};

// A colour table as a rounded bar, dark to bright from left to right.
Canvas swatch(const std::vector<Stop>& stops)
{
    const int w = 96, h = 28;
    Canvas canvas(w, h);
    canvas.paint(Canvas::roundedRect(0, 0, w, h, 5), kOutline);
    const Canvas::Coverage inner = Canvas::roundedRect(2, 2, w - 2, h - 2, 4);
    for (int x = 2; x < w - 2; ++x) {
        const float t = (x - 2.0f) / (w - 5.0f);
        size_t i = 1;
        while (i + 1 < stops.size() && stops[i].at < t)
            ++i;
        const Stop& a = stops[i - 1];
        const Stop& b = stops[i];
        const float f = std::fmin(1.0f, std::fmax(0.0f, (t - a.at) / (b.at - a.at)));
        auto mix = [f](uint8_t p, uint8_t q) { return static_cast<uint8_t>(p + (q - p) * f + 0.5f); };
        canvas.paint(clip(inner, x, x + 1),
                     {mix(a.color.r, b.color.r), mix(a.color.g, b.color.g), mix(a.color.b, b.color.b), 255});
    }
    return canvas;
}
Canvas bwInverse() { return swatch({{0, {255, 255, 255, 255}}, {1, {0, 0, 0, 255}}}); }
Canvas noClut() { return swatch({{0, {0, 0, 0, 255}}, {1, {255, 255, 255, 255}}}); }
Canvas hotMetal()
{
    return swatch({{0, {0, 0, 0, 255}}, {0.35f, {200, 30, 0, 255}}, {0.65f, {255, 150, 0, 255}}, {1, {255, 255, 235, 255}}});
}
Canvas geColor()
{
    return swatch({{0, {0, 0, 0, 255}},
                   {0.25f, {0, 80, 170, 255}},
                   {0.5f, {0, 180, 120, 255}},
                   {0.7f, {220, 200, 0, 255}},
                   {0.85f, {230, 60, 0, 255}},
                   {1, {255, 255, 255, 255}}});
}
Canvas perfusion()
{
    return swatch({{0, {0, 0, 0, 255}},
                   {0.2f, {60, 0, 120, 255}},
                   {0.4f, {0, 90, 255, 255}},
                   {0.6f, {0, 200, 80, 255}},
                   {0.8f, {255, 220, 0, 255}},
                   {1, {255, 0, 0, 255}}});
}

// An opacity curve in a framed 48-point box: input to the right, opacity upwards.
Canvas curve(float (*f)(float))
{
    Canvas canvas(48, 48);
    canvas.paint(Canvas::stroke(8, 40, 40, 40, 0.6f), kOutline);
    canvas.paint(Canvas::stroke(8, 8, 8, 40, 0.6f), kOutline);
    std::vector<std::pair<float, float>> points;
    for (int i = 0; i <= 16; ++i) {
        const float t = i / 16.0f;
        points.push_back({8 + 32 * t, 40 - 32 * f(t)});
    }
    polyline(canvas, points, 1.0f, kGrey);
    return canvas;
}
Canvas linear() { return curve([](float t) { return t; }); }
Canvas log10Curve() { return curve([](float t) { return std::log10(1 + 9 * t); }); }
Canvas log10Inverse() { return curve([](float t) { return 1 - std::log10(10 - 9 * t); }); }

// A curved arrow back: the radial menu's return to its first page.
Canvas returnArrow()
{
    Canvas canvas(40, 40);
    canvas.paint(Canvas::disc(20, 20, 19), {42, 45, 50, 255});
    canvas.paint(Canvas::arc(20, 21, 8, 10, -kPi * 0.95f, kPi * 0.5f, 1.0f), kAccent);
    canvas.paint(Canvas::triangle(6, 22, 16, 22, 11, 15), kAccent);
    return canvas;
}

// The radial menu's disk: a dark round panel with a faint ring where the items sit.
Canvas disk()
{
    Canvas canvas(340, 340);
    canvas.paint(Canvas::disc(170, 170, 169), kOutline);
    canvas.paint(Canvas::disc(170, 170, 167), kPanel);
    canvas.paint(Canvas::arc(170, 170, 109.5f, 110.5f, 0, 2 * kPi, 1.0f), {48, 51, 57, 255});
    return canvas;
}
Canvas hub()
{
    Canvas canvas(56, 56);
    canvas.paint(Canvas::arc(28, 28, 25, 27, 0, 2 * kPi, 1.0f), kOutline);
    canvas.paint(Canvas::disc(28, 28, 4), kOutline);
    return canvas;
}

} // namespace

const std::vector<Picture>& viewingToolPictures()
{
    static const std::vector<Picture> list = {
        {"res/fullscreen", fullScreen}, {"res/fullscreen_exit", fullScreenExit}, {"res/cameraBlue", camera},
        {"res/favoriteBlue", star},     {"res/dcmInfoBlue", info},               {"imgs/bwInverse", bwInverse},
        {"imgs/hotMetal", hotMetal},    {"imgs/geColor", geColor},               {"imgs/perfusion", perfusion},
        {"imgs/noClut", noClut},        {"imgs/Linear", linear},                 {"imgs/Log10", log10Curve},
        {"imgs/Log10Inv", log10Inverse}, {"imgs/return", returnArrow},           {"imgs/toolDisk", disk},
        {"imgs/toolDiskHub", hub},
    };
    return list;
}

} // namespace uires
