#pragma once
// Reading back single pixels of the GL frame in rendering tests, with a colour check that
// reports what was found.

#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/CCGL.h"

namespace qptest {

struct Px {
    int r, g, b;
};

inline Px readPixel(int x, int y) {
    unsigned char p[4] = {0, 0, 0, 0};
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p);
    return {p[0], p[1], p[2]};
}

inline ::testing::AssertionResult isColour(Px got, int r, int g, int b, int tolerance = 8) {
    if (std::abs(got.r - r) <= tolerance && std::abs(got.g - g) <= tolerance &&
        std::abs(got.b - b) <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "(" << got.r << "," << got.g << "," << got.b << ") instead of ("
                                         << r << "," << g << "," << b << ")";
}

} // namespace qptest

#include <algorithm>
#include <string>
#include <vector>

#include "platform/Image.h"

namespace qptest {

/// A w x h block of the GL frame as RGBA rows from the bottom.
inline std::vector<unsigned char> readRegion(int x, int y, int w, int h) {
    std::vector<unsigned char> px(size_t(w) * size_t(h) * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, w, h, GL_RGBA, GL_UNSIGNED_BYTE, px.data());
    return px;
}

/// Writes RGBA rows from the bottom (as readRegion gives them) as a PNG, top row first.
inline bool saveRegionPng(const std::vector<unsigned char>& px, int w, int h, const std::string& path) {
    std::vector<unsigned char> flipped(px.size());
    const size_t row = size_t(w) * 4;
    for (int y = 0; y < h; ++y)
        std::copy(px.begin() + long(size_t(y) * row), px.begin() + long(size_t(y + 1) * row),
                  flipped.begin() + long(size_t(h - 1 - y) * row));
    cocos2d::Image image;
    return image.initWithRawData(flipped.data(), ssize_t(flipped.size()), w, h, 8) && image.saveToFile(path, true);
}

} // namespace qptest
