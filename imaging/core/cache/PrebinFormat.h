#pragma once
// Byte layout of the ".prebin" series cache: header, image, volume and slice records, path block.
// All numbers little-endian, floats IEEE single precision, no padding between records.

#include <cstddef>
#include <cstdint>

#include "imaging/core/data/isDateTime.h"

namespace isImageSDK {

using isPrebinDateTime = isDateTime;

constexpr char kPrebinMagic[] = "ISImage.prebin";
constexpr char kPrebinVersion[] = "v3.0";
constexpr char kPrebinKindSeries[] = "series";
constexpr char kPrebinKindVolume[] = "volume";

struct isPrebinHeader {
    char magic[15];
    char version[5];
    isPrebinDateTime created;
    char kind[20];
    uint16_t imageCount;
    uint8_t reserved[2];
};

struct isPrebinImageRecord {
    int32_t columns;
    int32_t rows;
    float spacingX;
    float spacingY;
    int16_t frames;
    uint8_t reserved0[2];
    int32_t facing;
    int32_t headFeet;
    float matrix[16]; // row by row
    uint8_t geometryValid;
    uint8_t reserved1[3];
    int32_t modality;
    char institution[100];
    char seriesDescription[256];
    isPrebinDateTime seriesTime;
    char patientName[20];
    char patientId[20];
    char sex;
    char age[10];
    uint8_t reserved2;
    float weight;
    float size;
    char studyId[20];
    char seriesNumber[20];
    uint16_t instanceNumber;
    uint8_t reserved3[2];
    int32_t pixelType;
    int32_t bitsAllocated;
    float intercept;
    float slope;
    int32_t displayCode;
    float windowWidth;
    float windowCenter;
    uint8_t reserved4[4];
    isPrebinDateTime acquisitionTime;
    isPrebinDateTime injectionTime;
    uint8_t petTimesValid;
    uint8_t reserved5[3];
    float halfLife;
    int32_t decayCorrection;
    float decayFactor;
    float totalDose;
    int32_t units;
    float suvFactor;
    char scanOptions[10];
    uint16_t triggerValue;
    uint8_t reserved6[8];
};

struct isPrebinVolumeRecord {
    int32_t columns;
    int32_t rows;
    int32_t imageCount;
    float spacingX;
    float spacingY;
    float sliceSpacing;
    int32_t facing;
    int32_t headFeet;
    float matrix[16];
    int32_t modality;
    char institution[100];
    char seriesDescription[256];
    isPrebinDateTime seriesTime;
    char patientName[20];
    char patientId[20];
    char sex;
    char age[10];
    uint8_t reserved0;
    float weight;
    float size;
    char studyId[20];
    char seriesNumber[20];
    int32_t pixelType;
    float windowWidth;
    float windowCenter;
    uint8_t reserved1[4];
};

struct isPrebinSliceRecord {
    uint32_t instanceNumber;
    int32_t bitsAllocated;
    float intercept;
    float slope;
    int32_t displayCode;
    isPrebinDateTime acquisitionTime;
    isPrebinDateTime injectionTime;
    uint8_t petTimesValid;
    uint8_t reserved0[3];
    float halfLife;
    int32_t decayCorrection;
    float decayFactor;
    float totalDose;
    int32_t units;
    float suvFactor;
};

struct isPrebinPathBlock {
    int32_t length;
    uint8_t reserved[12];
};

static_assert(sizeof(isPrebinDateTime) == 24, "date-time is six int32");
static_assert(sizeof(isPrebinHeader) == 68, "header is 68 bytes");
static_assert(offsetof(isPrebinHeader, version) == 15 && offsetof(isPrebinHeader, created) == 20 &&
              offsetof(isPrebinHeader, kind) == 44 && offsetof(isPrebinHeader, imageCount) == 64,
              "header field offsets");
static_assert(sizeof(isPrebinImageRecord) == 712, "image record is 712 bytes");
static_assert(offsetof(isPrebinImageRecord, frames) == 16 && offsetof(isPrebinImageRecord, facing) == 20 &&
              offsetof(isPrebinImageRecord, matrix) == 28 && offsetof(isPrebinImageRecord, geometryValid) == 92 &&
              offsetof(isPrebinImageRecord, modality) == 96 && offsetof(isPrebinImageRecord, institution) == 100 &&
              offsetof(isPrebinImageRecord, seriesDescription) == 200 &&
              offsetof(isPrebinImageRecord, seriesTime) == 456 && offsetof(isPrebinImageRecord, patientName) == 480 &&
              offsetof(isPrebinImageRecord, patientId) == 500 && offsetof(isPrebinImageRecord, sex) == 520 &&
              offsetof(isPrebinImageRecord, age) == 521 && offsetof(isPrebinImageRecord, weight) == 532 &&
              offsetof(isPrebinImageRecord, size) == 536 && offsetof(isPrebinImageRecord, studyId) == 540 &&
              offsetof(isPrebinImageRecord, seriesNumber) == 560 &&
              offsetof(isPrebinImageRecord, instanceNumber) == 580 && offsetof(isPrebinImageRecord, pixelType) == 584 &&
              offsetof(isPrebinImageRecord, bitsAllocated) == 588 && offsetof(isPrebinImageRecord, intercept) == 592 &&
              offsetof(isPrebinImageRecord, slope) == 596 && offsetof(isPrebinImageRecord, displayCode) == 600 &&
              offsetof(isPrebinImageRecord, windowWidth) == 604 && offsetof(isPrebinImageRecord, windowCenter) == 608 &&
              offsetof(isPrebinImageRecord, acquisitionTime) == 616 &&
              offsetof(isPrebinImageRecord, injectionTime) == 640 &&
              offsetof(isPrebinImageRecord, petTimesValid) == 664 && offsetof(isPrebinImageRecord, halfLife) == 668 &&
              offsetof(isPrebinImageRecord, decayCorrection) == 672 &&
              offsetof(isPrebinImageRecord, decayFactor) == 676 && offsetof(isPrebinImageRecord, totalDose) == 680 &&
              offsetof(isPrebinImageRecord, units) == 684 && offsetof(isPrebinImageRecord, suvFactor) == 688 &&
              offsetof(isPrebinImageRecord, scanOptions) == 692 &&
              offsetof(isPrebinImageRecord, triggerValue) == 702,
              "image record field offsets");
static_assert(sizeof(isPrebinVolumeRecord) == 596, "volume record is 596 bytes");
static_assert(offsetof(isPrebinVolumeRecord, imageCount) == 8 && offsetof(isPrebinVolumeRecord, spacingX) == 12 &&
              offsetof(isPrebinVolumeRecord, sliceSpacing) == 20 && offsetof(isPrebinVolumeRecord, facing) == 24 &&
              offsetof(isPrebinVolumeRecord, matrix) == 32 && offsetof(isPrebinVolumeRecord, modality) == 96 &&
              offsetof(isPrebinVolumeRecord, institution) == 100 &&
              offsetof(isPrebinVolumeRecord, seriesTime) == 456 && offsetof(isPrebinVolumeRecord, sex) == 520 &&
              offsetof(isPrebinVolumeRecord, weight) == 532 && offsetof(isPrebinVolumeRecord, studyId) == 540 &&
              offsetof(isPrebinVolumeRecord, seriesNumber) == 560 && offsetof(isPrebinVolumeRecord, pixelType) == 580 &&
              offsetof(isPrebinVolumeRecord, windowWidth) == 584 && offsetof(isPrebinVolumeRecord, windowCenter) == 588,
              "volume record field offsets");
static_assert(sizeof(isPrebinSliceRecord) == 96, "slice record is 96 bytes");
static_assert(offsetof(isPrebinSliceRecord, acquisitionTime) == 20 &&
              offsetof(isPrebinSliceRecord, injectionTime) == 44 && offsetof(isPrebinSliceRecord, petTimesValid) == 68 &&
              offsetof(isPrebinSliceRecord, halfLife) == 72 && offsetof(isPrebinSliceRecord, suvFactor) == 92,
              "slice record field offsets");
static_assert(sizeof(isPrebinPathBlock) == 16, "path block head is 16 bytes");

/// A prebin count is 16 bits wide; a larger series gets no cache.
constexpr size_t kPrebinMaxImages = 65535;

} // namespace isImageSDK
