#pragma once
// Turns the samples of one frame of a slice into texture data: 8-bit RGB through a colour table
// for the CPU path, full-depth 16-bit values (or the slice's own RGB) for the window/level
// shader, and the shader's window uniforms. Pure functions, no GL.

#include <cstdint>
#include <vector>

namespace isImageSDK {

class isClut;
struct isSliceInfo;

/// Where a texture's bytes come from and how they are laid out.
struct TexelBuffer {
    enum class Layout { None, Rgb888, Ai88 };
    Layout layout = Layout::None;
    int width = 0;
    int height = 0;
    /// Either the slice's own bytes (borrowed, no copy) or `owned`.
    const uint8_t* data = nullptr;
    int64_t byteCount = 0;
    std::vector<uint8_t> owned;
    /// Float images: texture value = sample * valueScale + valueOffset.
    float valueOffset = 0.0f;
    float valueScale = 1.0f;

    bool empty() const { return layout == Layout::None || !data; }
};

/// The uniforms the window/level fragment program reads.
struct WindowUniforms {
    int curve = 0; // "u_opacity"
    float wwMin = 0.0f;
    float wwLinear = 0.0f;
    float wwMax = 0.0f;
    float wwLogRatio = 0.0f;
    int pt = 1; // 2 for RGB
};

/// Grey index 0..255 of a float sample under a window [lo, hi] of the given width and curve
/// (0 linear, 1 logarithmic, 2 inverse logarithmic). A width of zero or less is a step at lo;
/// NaN samples give 0.
int floatCurveIndex(float v, float lo, float hi, float width, int curve);

/// Frame count of a slice as the display uses it (at least 1).
int frameCountOf(const isSliceInfo& slice);

/// True when the slice's pixels may be read: loaded, with pixels and a positive size.
bool slicePixelsReadable(const isSliceInfo& slice);

/// The CPU texture of one frame: 8-bit RGB through the colour table's lookup table (types 0, 1,
/// 3), its curves (type 2) or the slice's own bytes (type 4). A slice whose pixels cannot be
/// read is filled (white for display codes 1 and 5, black otherwise) and never read. The colour
/// table must already be configured for the slice's pixel type. Empty for a bad size or type.
TexelBuffer buildRgbTexels(const isSliceInfo& slice, int frame, const isClut& clut);

/// The shader texture of one frame: 16-bit values split over two 8-bit channels (low byte
/// first), or the slice's own RGB bytes. A slice whose pixels cannot be read gives zeros.
TexelBuffer buildShaderTexels(const isSliceInfo& slice, int frame);

/// The window uniforms for a pixel type, window and curve; valueScale/valueOffset are those of
/// the float texture. A window narrower than one texture value is widened to one, so the
/// shader never divides by zero.
WindowUniforms computeWindowUniforms(int pixelType, float width, float level, int curve, float valueScale,
                                     float valueOffset);

} // namespace isImageSDK
