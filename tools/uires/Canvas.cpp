#include "Canvas.h"

#include <algorithm>
#include <cmath>

namespace uires {

namespace {

// Sub-samples per pixel edge: 16 samples a pixel are plenty for flat shapes of a few pixels.
const int kSamples = 4;
const float kPi = 3.14159265358979f;

float cross(float ax, float ay, float bx, float by, float px, float py) {
    return (bx - ax) * (py - ay) - (by - ay) * (px - ax);
}

} // namespace

Canvas::Canvas(int width, int height)
    : w(std::max(width, 0)), h(std::max(height, 0)), px(static_cast<size_t>(w) * h * 4, 0) {}

Rgba Canvas::at(int x, int y) const {
    if (x < 0 || y < 0 || x >= w || y >= h)
        return {0, 0, 0, 0};
    const uint8_t* p = &px[(static_cast<size_t>(y) * w + x) * 4];
    return {p[0], p[1], p[2], p[3]};
}

void Canvas::clear(Rgba color) {
    for (size_t i = 0; i < px.size(); i += 4) {
        px[i] = color.r;
        px[i + 1] = color.g;
        px[i + 2] = color.b;
        px[i + 3] = color.a;
    }
}

void Canvas::paint(const Coverage& coverage, Rgba color) {
    const float step = 1.0f / kSamples;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            float sum = 0.0f;
            for (int sy = 0; sy < kSamples; ++sy)
                for (int sx = 0; sx < kSamples; ++sx)
                    sum += std::clamp(coverage(x + (sx + 0.5f) * step, y + (sy + 0.5f) * step), 0.0f, 1.0f);
            float srcA = color.a / 255.0f * sum / (kSamples * kSamples);
            if (srcA <= 0.0f)
                continue;
            uint8_t* p = &px[(static_cast<size_t>(y) * w + x) * 4];
            float dstA = p[3] / 255.0f;
            float outA = srcA + dstA * (1.0f - srcA);
            const uint8_t src[3] = {color.r, color.g, color.b};
            for (int c = 0; c < 3; ++c) {
                float v = (src[c] * srcA + p[c] * dstA * (1.0f - srcA)) / outA;
                p[c] = static_cast<uint8_t>(std::lround(std::clamp(v, 0.0f, 255.0f)));
            }
            p[3] = static_cast<uint8_t>(std::lround(outA * 255.0f));
        }
    }
}

Canvas::Coverage Canvas::roundedRect(float x0, float y0, float x1, float y1, float radius) {
    return [=](float x, float y) {
        if (x < x0 || x > x1 || y < y0 || y > y1)
            return 0.0f;
        // Distance into the nearest corner's square, when the point is in one.
        float dx = std::max({x0 + radius - x, x - (x1 - radius), 0.0f});
        float dy = std::max({y0 + radius - y, y - (y1 - radius), 0.0f});
        return dx * dx + dy * dy <= radius * radius ? 1.0f : 0.0f;
    };
}

Canvas::Coverage Canvas::disc(float cx, float cy, float radius) {
    return [=](float x, float y) {
        float dx = x - cx, dy = y - cy;
        return dx * dx + dy * dy <= radius * radius ? 1.0f : 0.0f;
    };
}

Canvas::Coverage Canvas::arc(float cx, float cy, float r0, float r1, float a0, float a1, float fadeTo) {
    return [=](float x, float y) {
        float dx = x - cx, dy = cy - y; // y up, so angles turn counter-clockwise on screen
        float r2 = dx * dx + dy * dy;
        if (r2 < r0 * r0 || r2 > r1 * r1)
            return 0.0f;
        float a = std::atan2(dy, dx);
        while (a < a0)
            a += 2.0f * kPi;
        while (a >= a0 + 2.0f * kPi)
            a -= 2.0f * kPi;
        if (a > a1)
            return 0.0f;
        float t = a1 > a0 ? (a - a0) / (a1 - a0) : 1.0f;
        return 1.0f - (1.0f - fadeTo) * t;
    };
}

Canvas::Coverage Canvas::triangle(float ax, float ay, float bx, float by, float cx, float cy) {
    return [=](float x, float y) {
        float d0 = cross(ax, ay, bx, by, x, y);
        float d1 = cross(bx, by, cx, cy, x, y);
        float d2 = cross(cx, cy, ax, ay, x, y);
        bool negative = d0 < 0 || d1 < 0 || d2 < 0;
        bool positive = d0 > 0 || d1 > 0 || d2 > 0;
        return negative && positive ? 0.0f : 1.0f;
    };
}

Canvas::Coverage Canvas::stroke(float ax, float ay, float bx, float by, float halfWidth) {
    return [=](float x, float y) {
        float vx = bx - ax, vy = by - ay;
        float len2 = vx * vx + vy * vy;
        float t = len2 > 0.0f ? std::clamp(((x - ax) * vx + (y - ay) * vy) / len2, 0.0f, 1.0f) : 0.0f;
        float dx = x - (ax + t * vx), dy = y - (ay + t * vy);
        return dx * dx + dy * dy <= halfWidth * halfWidth ? 1.0f : 0.0f;
    };
}

Canvas::Coverage Canvas::minus(Coverage a, Coverage b) {
    return [a, b](float x, float y) { return std::max(a(x, y) - b(x, y), 0.0f); };
}

} // namespace uires
