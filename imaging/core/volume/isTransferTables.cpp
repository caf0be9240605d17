#include "imaging/core/volume/isTransferTables.h"

#include <algorithm>
#include <cmath>

namespace isImageSDK {

namespace {

float clamp255(float v) { return std::min(255.0f, std::max(0.0f, v)); }

int segmentValue(int front, int back, float t)
{
    const int s = int((1.0f - t) * float(front) + t * float(back));
    return std::min(255, std::max(0, s));
}

// Running trapezoid integrals of the four channels of the transfer table.
void runningIntegrals(const float table[256][4], double out[256][4])
{
    for (int c = 0; c < 4; ++c) out[0][c] = table[0][c];
    for (int i = 1; i < 256; ++i)
        for (int c = 0; c < 4; ++c) out[i][c] = out[i - 1][c] + (table[i][c] + table[i - 1][c]) * 0.5;
}

} // namespace

isTransferTables::isTransferTables() : preIntegration(256 * 256 * 4, 0.0f)
{
    for (int i = 0; i < 256; ++i)
        for (int c = 0; c < 4; ++c) transfer[i][c] = float(i);
}

void isTransferTables::setColors(const uint8_t rgb[768])
{
    for (int i = 0; i < 256; ++i) {
        transfer[i][0] = float(i);
        transfer[i][1] = rgb[i * 3];
        transfer[i][2] = rgb[i * 3 + 1];
        transfer[i][3] = rgb[i * 3 + 2];
    }
    dirty = 1;
}

void isTransferTables::buildPreIntegration()
{
    if (!dirty) return;
    dirty = 0;
    switch (kind) {
    case Numerical: buildNumerical(); break;
    case Accumulated: buildAccumulated(); break;
    default: buildAveraged(); break;
    }
}

void isTransferTables::buildAveraged()
{
    double integral[256][4];
    runningIntegrals(transfer, integral);
    for (int r = 0; r < 256; ++r)
        for (int c = 0; c < 256; ++c) {
            float* e = entry(r, c);
            if (r == c) {
                for (int k = 0; k < 4; ++k) e[k] = clamp255(transfer[r][k]);
                continue;
            }
            const int lo = std::min(r, c), hi = std::max(r, c);
            for (int k = 0; k < 4; ++k)
                e[k] = clamp255(float((integral[hi][k] - integral[lo][k]) / double(hi - lo)));
        }
}

float isTransferTables::opacityAt(int front, int back, float t) const
{
    return transfer[segmentValue(front, back, t)][0] / 255.0f;
}

float isTransferTables::integrateOpacity(int front, int back) const
{
    float sum = 0.0f;
    for (int i = 0; i < 10; ++i)
        sum += (opacityAt(front, back, i / 10.0f) + opacityAt(front, back, (i + 1) / 10.0f)) * 0.05f;
    return sum;
}

void isTransferTables::attenuatedColourAt(int front, int back, float t, float out[3]) const
{
    float att = 1.0f;
    if (t > 0.0f) {
        float mean = 0.0f;
        for (int i = 0; i < 7; ++i)
            mean += (opacityAt(front, back, t * i / 7.0f) + opacityAt(front, back, t * (i + 1) / 7.0f)) * 0.5f / 7.0f;
        att = std::exp(-t * mean);
    }
    const int s = segmentValue(front, back, t);
    const float alpha = transfer[s][0] / 255.0f;
    for (int k = 0; k < 3; ++k) out[k] = transfer[s][k + 1] * alpha * att;
}

void isTransferTables::integrateColour(int front, int back, float out[3]) const
{
    out[0] = out[1] = out[2] = 0.0f;
    for (int i = 0; i <= 10; ++i) {
        const float w = (i == 0 || i == 10) ? 0.05f : 0.1f;
        float c[3];
        attenuatedColourAt(front, back, i / 10.0f, c);
        for (int k = 0; k < 3; ++k) out[k] += w * c[k];
    }
}

void isTransferTables::preIntegrateSegment(int front, int back, float out[4]) const
{
    const float I = integrateOpacity(front, back);
    out[0] = std::min(1.0f, std::max(0.0f, 1.0f - std::exp(-I))) * 255.0f;
    integrateColour(front, back, out + 1);
    for (int k = 1; k < 4; ++k) out[k] = clamp255(out[k]);
}

void isTransferTables::buildNumerical()
{
    for (int r = 0; r < 256; ++r)
        for (int c = 0; c < 256; ++c) preIntegrateSegment(c, r, entry(r, c));
}

void isTransferTables::buildAccumulated()
{
    double integral[256][4];
    runningIntegrals(transfer, integral);
    for (int r = 0; r < 256; ++r)
        for (int c = 0; c < 256; ++c) {
            if (r == c) continue;
            float* e = entry(r, c);
            const int dir = r > c ? 1 : -1;
            double A = 0.0, col[3] = {0, 0, 0};
            for (int s = c, first = 1;; s += dir, first = 0) {
                const double a = transfer[s][0] / 255.0;
                const double w = first ? 1.0 : (1.0 - A / 255.0) * a;
                for (int k = 0; k < 3; ++k) col[k] += w * transfer[s][k + 1];
                A = std::min(255.0, A + (1.0 - A / 255.0) * a * 255.0);
                if (s == r) break;
            }
            const int lo = std::min(r, c), hi = std::max(r, c);
            const double mean = (integral[hi][0] - integral[lo][0]) / double(hi - lo);
            e[0] = clamp255(float((1.0 - std::exp(-mean / 255.0)) * 255.0));
            for (int k = 0; k < 3; ++k) e[k + 1] = clamp255(float(col[k]));
        }
    for (int i : {0, 255}) {
        float* e = entry(i, i);
        e[0] = clamp255(float((1.0 - std::exp(-transfer[i][0] / 255.0)) * 255.0));
        for (int k = 0; k < 3; ++k) e[k + 1] = clamp255(transfer[i][k + 1]);
    }
    for (int i = 1; i < 255; ++i)
        for (int k = 0; k < 4; ++k) entry(i, i)[k] = clamp255((entry(i - 1, i)[k] + entry(i + 1, i)[k]) * 0.5f);
}

} // namespace isImageSDK
