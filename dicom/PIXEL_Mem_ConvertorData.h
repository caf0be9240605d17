#pragma once
// The record that describes an image in memory to be written as a DICOM file.

#include <cstddef>
#include <cstdint>

namespace dcmSDK {

/// Pixels plus geometry for dcmConvertor::convert; zero-fill it before use. The byte offsets
/// are part of the record's format.
struct PIXEL_Mem_ConvertorData {
    char outputPath[1024];    ///< file to write
    const void* pixels;       ///< rows x columns samples: 16-bit grey, or 8-bit RGB when samplesPerPixel is "3"
    char sourcePath[1024];    ///< file the image came from; its patient and study tags are copied
    char seriesUID[256];      ///< series instance UID of the written file (a fixed program UID)
    char sopUIDRoot[256];     ///< UID root below which the new SOP instance UID is made
    char samplesPerPixel[100]; ///< "1" grey or "3" RGB
    char numberOfFrames[100]; ///< "1"
    char seriesNumber[100];   ///< e.g. "9000"
    uint32_t rows;
    uint32_t columns;
    float windowWidth;
    float windowCenter;
    float pixelSpacingX;      ///< between columns
    float pixelSpacingY;      ///< between rows
    float imagePosition[3];
    float rowDirection[3];
    float columnDirection[3];
    uint32_t highBit;         ///< 15 for 16-bit grey (7 is implied for RGB)
    float rescaleSlope;
    float rescaleIntercept;
    uint32_t pixelSigned;     ///< 1 when the 16-bit samples are signed
};

static_assert(offsetof(PIXEL_Mem_ConvertorData, pixels) == 1024, "convertor record layout");
static_assert(offsetof(PIXEL_Mem_ConvertorData, sourcePath) == 1032, "convertor record layout");
static_assert(offsetof(PIXEL_Mem_ConvertorData, seriesUID) == 2056, "convertor record layout");
static_assert(offsetof(PIXEL_Mem_ConvertorData, sopUIDRoot) == 2312, "convertor record layout");
static_assert(offsetof(PIXEL_Mem_ConvertorData, samplesPerPixel) == 2568, "convertor record layout");
static_assert(offsetof(PIXEL_Mem_ConvertorData, numberOfFrames) == 2668, "convertor record layout");
static_assert(offsetof(PIXEL_Mem_ConvertorData, seriesNumber) == 2768, "convertor record layout");
static_assert(offsetof(PIXEL_Mem_ConvertorData, rows) == 2868, "convertor record layout");
static_assert(offsetof(PIXEL_Mem_ConvertorData, columns) == 2872, "convertor record layout");
static_assert(offsetof(PIXEL_Mem_ConvertorData, windowWidth) == 2876, "convertor record layout");
static_assert(offsetof(PIXEL_Mem_ConvertorData, windowCenter) == 2880, "convertor record layout");
static_assert(offsetof(PIXEL_Mem_ConvertorData, pixelSpacingX) == 2884, "convertor record layout");
static_assert(offsetof(PIXEL_Mem_ConvertorData, pixelSpacingY) == 2888, "convertor record layout");
static_assert(offsetof(PIXEL_Mem_ConvertorData, imagePosition) == 2892, "convertor record layout");
static_assert(offsetof(PIXEL_Mem_ConvertorData, rowDirection) == 2904, "convertor record layout");
static_assert(offsetof(PIXEL_Mem_ConvertorData, columnDirection) == 2916, "convertor record layout");
static_assert(offsetof(PIXEL_Mem_ConvertorData, highBit) == 2928, "convertor record layout");
static_assert(offsetof(PIXEL_Mem_ConvertorData, rescaleSlope) == 2932, "convertor record layout");
static_assert(offsetof(PIXEL_Mem_ConvertorData, rescaleIntercept) == 2936, "convertor record layout");
static_assert(offsetof(PIXEL_Mem_ConvertorData, pixelSigned) == 2940, "convertor record layout");
static_assert(sizeof(PIXEL_Mem_ConvertorData) == 2944, "convertor record layout");

} // namespace dcmSDK
