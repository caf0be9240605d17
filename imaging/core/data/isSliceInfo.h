#pragma once
// The record of one image of an isImageData: pixels, geometry, rescale, window and PET values.

#include <atomic>
#include <cstdint>
#include <string>

#include "cocos2d.h"
#include "imaging/core/data/isDateTime.h"
#include "imaging/core/data/PixelType.h"

namespace isImageSDK {

/// Modality codes.
enum isModality : int32_t {
    kModalityCT = 0,
    kModalityPT = 1,
    kModalityUS = 2,
    kModalityMR = 3,
    kModalityDX = 4, // "DR" or "DX"
    kModalityNM = 5,
    kModalityXA = 6,
    kModalityOther = 7,
};

struct isSliceInfo {
    isSliceInfo();
    isSliceInfo(const isSliceInfo&) = delete;
    isSliceInfo& operator=(const isSliceInfo&) = delete;

    /// frames x rows x columns x bytes per pixel, in 64 bits; 0 for a bad size or code.
    int64_t byteSize() const { return imageByteSize(columns, rows, frames, pixelType); }
    /// frames x rows x columns, in 64 bits; 0 for a bad size.
    int64_t sampleCount() const;

    /// Owned (malloc'd by isImageData) unless the container owns one voxel buffer.
    uint8_t* pixels = nullptr;
    int32_t columns = 0;
    int32_t rows = 0;
    float spacingX = 1.0f; // between columns, mm
    float spacingY = 1.0f; // between rows, mm
    uint8_t spacingValid = 1;
    int16_t frames = 1;
    int32_t pixelType = kPixelS16;
    int32_t facing = 0;   // 0 supine, 1 prone, 2 decubitus right, 3 decubitus left
    int32_t headFeet = 0; // 0 head first, 1 feet first, 2 not stated
    /// Image to world: columns are row direction, column direction, normal, first pixel position.
    cocos2d::Mat4 matrix;
    uint8_t geometryValid = 1;
    std::string filePath;
    int32_t modality = kModalityOther;
    float intercept = 0.0f;
    float slope = 1.0f;
    float windowWidth = 255.0f;
    float windowCenter = 128.0f;
    /// Pixel representation (0 unsigned, 1 signed) plus 2 for MONOCHROME1 (shown inverted).
    int32_t displayCode = 1;
    /// Set by the loader thread once the pixels hold the image, read by the main thread.
    std::atomic<uint8_t> loaded{0};
    isDateTime acquisitionTime;
    isDateTime injectionTime;
    uint8_t petTimesValid = 0;
    float halfLife = 0.0f;
    int32_t decayCorrection = 3; // 1 ADMIN, 2 START, 3 NONE or absent, 4 other
    float decayFactor = 0.0f;
    int16_t sex = 3;             // 1 M, 2 F, 3 other
    int32_t units = 3;           // 1 BQML, 2 CNTS, 3 other
    float totalDose = -1.0f;
    float weight = -1.0f;        // kg
    float size = -1.0f;          // m
    float suvFactor = 0.0f;
    std::string scanOptions;     // at most 9 characters
    uint16_t triggerValue = 0;
};

} // namespace isImageSDK
