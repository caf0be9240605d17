#pragma once
// An RGBA picture painted with anti-aliased flat shapes: each shape is a coverage function
// sampled several times per pixel and laid over what is there (straight alpha).

#include <cstdint>
#include <functional>
#include <vector>

namespace uires {

struct Rgba {
    uint8_t r, g, b, a;
};

class Canvas {
public:
    /// x to the right and y downwards, in pixels; (0, 0) is the top-left corner of the first pixel.
    using Coverage = std::function<float(float x, float y)>;

    Canvas(int width, int height);

    int width() const { return w; }
    int height() const { return h; }
    /// Rows from the top, four bytes a pixel.
    const std::vector<uint8_t>& pixels() const { return px; }
    Rgba at(int x, int y) const;

    /// Every pixel becomes the colour, alpha included.
    void clear(Rgba color);
    /// The colour laid over each pixel with the pixel's mean coverage (0..1) as extra opacity.
    void paint(const Coverage& coverage, Rgba color);

    // Shapes as coverage functions (1 inside, 0 outside).
    static Coverage roundedRect(float x0, float y0, float x1, float y1, float radius);
    static Coverage disc(float cx, float cy, float radius);
    /// The band between two radii, from angle a0 to a1 (radians, counter-clockwise on screen
    /// from the +x axis), its opacity falling linearly from 1 at a0 to fadeTo at a1.
    static Coverage arc(float cx, float cy, float r0, float r1, float a0, float a1, float fadeTo);
    static Coverage triangle(float ax, float ay, float bx, float by, float cx, float cy);
    /// A thick segment with round ends.
    static Coverage stroke(float ax, float ay, float bx, float by, float halfWidth);
    /// Inside a but not inside b.
    static Coverage minus(Coverage a, Coverage b);

private:
    int w, h;
    std::vector<uint8_t> px;
};

} // namespace uires
