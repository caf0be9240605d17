#include "imaging/display/window/OrientationLabels.h"

#include <cmath>
#include <cstring>
#include <utility>

#include "imaging/core/data/isSliceInfo.h"

namespace isImageSDK {

namespace {

// Letters of the + and - ends of the x, y and z axes, by facing, head first and feet first.
const char* const kLetters[4][2] = {
    {"LRSIAP", "RLISAP"},
    {"RLSIPA", "LRISPA"},
    {"PASILR", "APISLR"},
    {"APSIRL", "PAISRL"},
};

const float kZero = 1e-5f;

void append(char* label, char letter)
{
    const size_t n = std::strlen(label);
    if (n < 2) label[n] = letter;
}

// Axis indices by decreasing magnitude; a later axis moves ahead only when strictly larger.
void orderAxes(const float magnitude[3], int order[3])
{
    order[0] = 0;
    order[1] = 1;
    order[2] = 2;
    for (int i = 1; i < 3; ++i)
        for (int j = i; j > 0 && magnitude[order[j]] > magnitude[order[j - 1]]; --j)
            std::swap(order[j], order[j - 1]);
}

// Appends the letters of the two largest components of v to the label and its opposite; answers
// the magnitudes of those two components.
void labelVector(const cocos2d::Vec3& v, const char* letters, char* label, char* opposite, float top[2])
{
    float c[3] = {v.x, v.y, v.z};
    float magnitude[3];
    for (int i = 0; i < 3; ++i) {
        if (std::fabs(c[i]) < kZero) c[i] = 0.0f;
        magnitude[i] = std::fabs(c[i]);
    }
    int order[3];
    orderAxes(magnitude, order);
    for (int k = 0; k < 2; ++k) {
        const int axis = order[k];
        top[k] = magnitude[axis];
        if (c[axis] > 0.0f) {
            append(label, letters[2 * axis]);
            append(opposite, letters[2 * axis + 1]);
        } else if (c[axis] < 0.0f) {
            append(label, letters[2 * axis + 1]);
            append(opposite, letters[2 * axis]);
        }
    }
}

} // namespace

void computeOrientationLabels(const cocos2d::Vec3& rowDirection, const cocos2d::Vec3& columnDirection,
                              char labels[4][3], int headFeet, int facing)
{
    std::memset(labels, 0, 4 * 3);
    if (headFeet != 0 && headFeet != 1) {
        headFeet = 0;
        facing = 0;
    }
    if (facing < 0 || facing > 3) facing = 0;
    const char* letters = kLetters[facing][headFeet];
    float upTop[2], rightTop[2];
    labelVector(-columnDirection, letters, labels[kEdgeUp], labels[kEdgeDown], upTop);
    labelVector(rowDirection, letters, labels[kEdgeRight], labels[kEdgeLeft], rightTop);
    // A diagonal right edge must not start with the letter of the up or down edge.
    const char first = labels[kEdgeRight][0];
    if (rightTop[1] != 0.0f && rightTop[0] - rightTop[1] < kZero && first != 0 &&
        (first == labels[kEdgeUp][0] || first == labels[kEdgeDown][0])) {
        std::swap(labels[kEdgeRight][0], labels[kEdgeRight][1]);
        std::swap(labels[kEdgeLeft][0], labels[kEdgeLeft][1]);
    }
}

int orientationLabelSum(const char labels[4][3])
{
    int sum = 0;
    for (int edge = 0; edge < 4; ++edge)
        sum += static_cast<unsigned char>(labels[edge][0]);
    return sum;
}

int classifySliceOrientation(const isSliceInfo* slice)
{
    if (!slice) return 0;
    const float* m = slice->matrix.m;
    char labels[4][3];
    computeOrientationLabels(cocos2d::Vec3(m[0], m[1], m[2]), cocos2d::Vec3(m[4], m[5], m[6]), labels,
                             slice->headFeet, slice->facing);
    switch (orientationLabelSum(labels)) {
    case 303: return 1;
    case 301: return 2;
    case 314: return 3;
    default: return 0;
    }
}

} // namespace isImageSDK
