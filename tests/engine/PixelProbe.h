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
