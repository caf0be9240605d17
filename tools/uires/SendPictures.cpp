// Pictures of the send panel ("imgs/<name>.png"): device kinds, the network state of a node,
// the saved-node star, the delete button and the help shown while no send is listed.

#include "Pictures.h"

#include <cmath>
#include <utility>
#include <vector>

namespace uires {

namespace {

const float kPi = 3.14159265358979f;
const Rgba kGrey = {220, 222, 226, 255};
const Rgba kDim = {150, 155, 162, 255};
const Rgba kAccent = {21, 170, 254, 255};
const Rgba kGreen = {70, 190, 110, 255};
const Rgba kRed = {230, 80, 70, 255};
const Rgba kAmber = {240, 180, 60, 255};
const float kLine = 1.0f; // half of the 2-point stroke

// Inside a closed polygon (even-odd rule).
Canvas::Coverage polygon(std::vector<std::pair<float, float>> points)
{
    return [points](float x, float y) {
        bool inside = false;
        for (size_t i = 0, j = points.size() - 1; i < points.size(); j = i++) {
            const auto& a = points[i];
            const auto& b = points[j];
            if ((a.second > y) != (b.second > y) &&
                x < (b.first - a.first) * (y - a.second) / (b.second - a.second) + a.first)
                inside = !inside;
        }
        return inside ? 1.0f : 0.0f;
    };
}

// A rounded rectangle drawn as a 2-point outline.
void outline(Canvas& canvas, float x0, float y0, float x1, float y1, float radius, Rgba color)
{
    canvas.paint(Canvas::minus(Canvas::roundedRect(x0, y0, x1, y1, radius),
                               Canvas::roundedRect(x0 + 2 * kLine, y0 + 2 * kLine, x1 - 2 * kLine, y1 - 2 * kLine,
                                                   std::max(radius - 2 * kLine, 0.5f))),
                 color);
}

Canvas devicePC()
{
    Canvas canvas(24, 24);
    outline(canvas, 2, 3, 22, 17, 2, kGrey);
    canvas.paint(Canvas::stroke(12, 17, 12, 20, kLine), kGrey);
    canvas.paint(Canvas::stroke(7, 21, 17, 21, kLine), kGrey);
    return canvas;
}

Canvas deviceMac()
{
    Canvas canvas(24, 24);
    outline(canvas, 4, 4, 20, 16, 2, kGrey);
    canvas.paint(Canvas::stroke(2, 19, 22, 19, kLine), kGrey);
    return canvas;
}

Canvas phone(bool android)
{
    Canvas canvas(24, 24);
    outline(canvas, 6, 2, 18, 22, 3, kGrey);
    if (android)
        canvas.paint(Canvas::stroke(10, 18.5f, 14, 18.5f, kLine), kGrey);
    else
        canvas.paint(Canvas::disc(12, 18.5f, 1.3f), kGrey);
    return canvas;
}

Canvas deviceAndroid()
{
    return phone(true);
}

Canvas deviceIOS()
{
    return phone(false);
}

std::vector<std::pair<float, float>> starPoints(float cx, float cy, float outer, float inner)
{
    std::vector<std::pair<float, float>> points;
    for (int i = 0; i < 10; ++i) {
        const float r = i % 2 ? inner : outer;
        const float a = -kPi / 2 + i * kPi / 5;
        points.push_back({cx + r * std::cos(a), cy + r * std::sin(a)});
    }
    return points;
}

Canvas starFilled()
{
    Canvas canvas(24, 24);
    canvas.paint(polygon(starPoints(12, 12.5f, 10, 4.2f)), kAmber);
    return canvas;
}

Canvas starOutline()
{
    Canvas canvas(24, 24);
    canvas.paint(Canvas::minus(polygon(starPoints(12, 12.5f, 10, 4.2f)), polygon(starPoints(12, 12.7f, 7, 2.6f))),
                 kDim);
    return canvas;
}

// The nine-slice delete button of a swiped row.
Canvas redBtn()
{
    Canvas canvas(30, 30);
    canvas.paint(Canvas::roundedRect(0, 0, 30, 30, 5), kRed);
    return canvas;
}

// Shown where the sends would be listed: a stack of images, an arrow, a DICOM node.
Canvas nodeHelp()
{
    Canvas canvas(320, 120);
    for (int i = 2; i >= 0; --i) {
        const float o = 8.0f * i;
        canvas.paint(Canvas::roundedRect(40 + o, 30 - o, 104 + o, 94 - o, 5), {32, 34, 38, 255});
        outline(canvas, 40 + o, 30 - o, 104 + o, 94 - o, 5, kDim);
    }
    canvas.paint(Canvas::stroke(140, 62, 186, 62, 2.0f), kAccent);
    canvas.paint(Canvas::triangle(184, 52, 184, 72, 198, 62), kAccent);
    outline(canvas, 222, 26, 282, 98, 6, kDim);
    for (float y : {44.0f, 62.0f, 80.0f}) {
        canvas.paint(Canvas::stroke(234, y, 256, y, 2.0f), kDim);
        canvas.paint(Canvas::disc(269, y, 3.0f), kGreen);
    }
    return canvas;
}

} // namespace

const std::vector<Picture>& sendPanelPictures()
{
    static const std::vector<Picture> all = {
        {"device_PC", devicePC},     {"device_Mac", deviceMac},       {"device_iOS", deviceIOS},
        {"device_Android", deviceAndroid},
        {"favierate", starFilled},   {"favierateNone", starOutline},  {"redBtn", redBtn},
        {"qpNodeHelp", nodeHelp},
    };
    return all;
}

} // namespace uires
