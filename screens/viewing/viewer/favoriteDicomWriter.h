#pragma once
// Writes the key view's current image as a favourite DICOM file in the "favorite" folder beside
// the store, with 16-bit samples the DICOM library can describe.

#include <cstdint>
#include <string>
#include <vector>

namespace dcmSDK {
struct PIXEL_Mem_ConvertorData;
}
namespace isImageSDK {
struct isSliceInfo;
}

class favoriteDicomWriter {
public:
    /// Float samples become 16-bit integers scaled so that the largest magnitude maps to
    /// 32000; the slope written back is 1 / scale. Non-finite samples count as 0.
    static float scaleFloatPixels(const float* values, size_t count, std::vector<int16_t>& out);
    /// Fills the zeroed conversion record from the slice; `samples` receives the converted
    /// pixels when the slice's own cannot be written as they are.
    static void fillRecord(const isImageSDK::isSliceInfo& slice, const std::string& outputPath,
                           dcmSDK::PIXEL_Mem_ConvertorData& record, std::vector<uint16_t>& samples);
    /// Column spacing over row spacing, 1.0 when that is not a finite positive number.
    static float spacingRatio(const isImageSDK::isSliceInfo& slice);
    /// "<folder><stamp>.dcm", or "<stamp>-1.dcm", "-2"... when taken; the file is created empty
    /// so that no other save takes the name. "" when none could be created.
    static std::string reserveOutputPath(const std::string& folder, const std::string& stamp);
    /// Writes the slice below "<storeRoot>../favorite/" and posts 9104 with the path and the
    /// spacing ratio; returns the path, or "" when nothing was written.
    static std::string save(const isImageSDK::isSliceInfo& slice, const std::string& storeRoot);
};
