#pragma once
// The container of pixel data: one image, a series of separately allocated slices, or a volume
// whose slices share one contiguous voxel buffer.

#include <string>
#include <vector>

#include "imaging/core/data/isSliceInfo.h"
#include "imaging/core/object/isFilterObject.h"

namespace isImageSDK {

class isImageData : public isFilterObject {
public:
    static isImageData* create();
    isImageData();
    ~isImageData() override;

    bool init() override;
    void clear() override;
    /// The end of a pipeline has no output.
    isFilterObject* getOutput() override { return nullptr; }
    void createOutput() override {}

    /// Frees the pixel buffers and slice records and empties the list.
    void releaseSlices();
    /// Empty texts, identity matrices, no voxels (not freed), spacing 1, dimensions 0, pixel type 1.
    void reset();

    /// Appends a slice with its own, uncleared pixel buffer; null (and nothing added) when the
    /// size is not positive, the code unknown, the buffer over the size limit or not allocatable.
    isSliceInfo* addSlice(const int dims[2], int frames, const float spacing[2], int pixelType, int facing,
                          int headFeet, const cocos2d::Mat4& matrix);
    /// Appends a slice with the geometry and descriptive fields of `slice` and a copy of its pixels.
    isSliceInfo* addSliceCopy(const isSliceInfo& slice);
    /// Rebuilds the container as dims[2] zero-filled slices along the matrix's normal: one voxel
    /// buffer when it fits under the size limit, else one buffer per slice. False leaves it empty.
    bool buildVolume(const int dims[3], const float spacing[3], int pixelType, int facing, int headFeet,
                     const cocos2d::Mat4& matrix);

    /// Whether a volume of these dimensions gets one contiguous voxel buffer.
    static bool fitsOneBuffer(const int dims[3], int pixelType);

    /// Takes a private writable mapping of exactly the voxel bytes in place of the contiguous
    /// buffer (a reopened series cache is mapped, not copied); unmapped on release. False, and
    /// nothing changed, when the container has no contiguous buffer of that length.
    bool adoptMappedVoxels(void* mapping, size_t length);
    /// Bytes of the file mapping that holds the voxels; 0 when they are in memory of their own.
    size_t getMappedLength() const { return _mappedLength; }

    void getSpacing(float out[3]);
    void getDimensions(int out[3]);
    bool isVolume();
    /// The slice record at `index` after an update; null outside 0 .. count - 1.
    isSliceInfo* getSlice(int index);
    /// The contiguous voxel buffer; null when the slices are separate buffers (also for a
    /// volume too large for one buffer: read it through slices[z]->pixels then).
    void* getVolumePointer();
    bool isInverted();
    void getDefaultWindow(float& width, float& center);

    /// Number of slice records (0 when there are none).
    int getSliceCount() const { return static_cast<int>(slices.size()); }
    std::string getSeriesKey() const { return seriesKey; }
    void setSeriesKey(const std::string& key) { seriesKey = key; }
    const std::string& getInfoText() const { return infoText; }
    void setInfoText(const std::string& text) { infoText = text; }

private:
    /// Columns, rows, spacing, codes and matrices shared by addSlice and buildVolume.
    void storeGeometry(const int dims[2], const float containerSpacing[3], int type, int facingCode,
                       int headFeetCode, const cocos2d::Mat4& matrix);

    size_t _mappedLength = 0; // non-zero while voxels is a file mapping

public:
    cocos2d::Mat4 imageMatrix;  // of the volume, or of the last slice added
    cocos2d::Mat4 auxMatrix;
    cocos2d::Mat4 volumeMatrix; // same value as imageMatrix
    uint8_t* voxels = nullptr;
    float spacing[3] = {1.0f, 1.0f, 1.0f};
    int32_t dimensions[3] = {0, 0, 0};
    /// A regular volume of two slices or more. Its slices share `voxels` when ownsVoxels is
    /// set; a volume over the size limit has separate slice buffers and a null `voxels`.
    uint8_t volumeFlag = 0;
    uint8_t ownsVoxels = 0;
    uint8_t hasSlices = 0;
    int32_t facing = 0;
    int32_t headFeet = 0;
    int32_t pixelType = kPixelS16;
    std::vector<isSliceInfo*> slices;
    std::string seriesKey;
    std::string infoText;
};

} // namespace isImageSDK
