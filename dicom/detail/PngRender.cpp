#include "detail/PngRender.h"

#include "detail/DicomFile.h"
#include "detail/PixelDecoder.h"

#include <cstdlib>
#include <cstring>

namespace dcmSDK {

namespace {
// First value of a numeric text tag; false when absent, empty or not a number.
bool firstNumber(const DicomFile& f, uint16_t g, uint16_t e, double& out)
{
    std::string text;
    if (!f.getString(g, e, text) || text.empty())
        return false;
    char* end = nullptr;
    double v = strtod(text.c_str(), &end);
    if (end == text.c_str())
        return false;
    out = v;
    return true;
}
} // namespace

bool renderFirstFrame(const DicomFile& file, const ImageGeometry& g, PixelType type,
                      const uint8_t* pixels, size_t size, bool useStoredWindow, std::vector<uint8_t>& rgb)
{
    const size_t n = static_cast<size_t>(g.rows) * g.columns;
    const size_t need = n * (type == PIXEL_RGB ? 3 : (type == PIXEL_GRAY16 ? 2 : 1));
    if (n == 0 || !pixels || size < need)
        return false;
    rgb.resize(n * 3);
    if (type == PIXEL_RGB) {
        memcpy(rgb.data(), pixels, n * 3);
        return true;
    }
    const bool isSigned = g.pixelRepresentation == 1;
    auto sample = [&](size_t i) -> double {
        if (type == PIXEL_GRAY8)
            return isSigned ? static_cast<int8_t>(pixels[i]) : pixels[i];
        uint16_t w;
        memcpy(&w, pixels + 2 * i, 2);
        return isSigned ? static_cast<int16_t>(w) : w;
    };
    double slope = 1.0, intercept = 0.0;
    firstNumber(file, 0x0028, 0x1053, slope);
    firstNumber(file, 0x0028, 0x1052, intercept);
    if (slope == 0.0)
        slope = 1.0;
    double lo, hi;
    double center = 0.0, width = 0.0;
    if (useStoredWindow && firstNumber(file, 0x0028, 0x1050, center) && firstNumber(file, 0x0028, 0x1051, width) &&
        width >= 1.0) {
        lo = center - 0.5 - (width - 1.0) / 2.0;
        hi = center - 0.5 + (width - 1.0) / 2.0;
    } else {
        lo = hi = sample(0) * slope + intercept;
        for (size_t i = 1; i < n; ++i) {
            double v = sample(i) * slope + intercept;
            lo = v < lo ? v : lo;
            hi = v > hi ? v : hi;
        }
    }
    const double range = hi > lo ? hi - lo : 1.0;
    const bool invert = g.photometric == "MONOCHROME1";
    for (size_t i = 0; i < n; ++i) {
        double v = (sample(i) * slope + intercept - lo) / range * 255.0;
        v = v < 0.0 ? 0.0 : (v > 255.0 ? 255.0 : v);
        uint8_t b = static_cast<uint8_t>(v + 0.5 > 255.0 ? 255 : v + 0.5);
        if (invert)
            b = static_cast<uint8_t>(255 - b);
        rgb[3 * i] = rgb[3 * i + 1] = rgb[3 * i + 2] = b;
    }
    return true;
}

} // namespace dcmSDK
