#include "imaging/core/data/isImageData.h"

#include <sys/mman.h>

#include <cstdlib>
#include <cstring>
#include <new>

namespace isImageSDK {

namespace {

// Pixel buffers come from malloc/calloc: a large calloc maps zero pages lazily, so a volume
// that the loader fills anyway is not cleared twice.
uint8_t* allocatePixels(int64_t bytes, bool zero)
{
    if (bytes <= 0 || bytes >= kMaxBufferBytes) return nullptr;
    void* buffer = zero ? std::calloc(static_cast<size_t>(bytes), 1) : std::malloc(static_cast<size_t>(bytes));
    return static_cast<uint8_t*>(buffer);
}

} // namespace

isImageData* isImageData::create()
{
    return createObject<isImageData>();
}

isImageData::isImageData()
{
    imageMatrix.setIdentity();
    auxMatrix.setIdentity();
    volumeMatrix.setIdentity();
}

isImageData::~isImageData()
{
    releaseSlices();
}

bool isImageData::init()
{
    if (!isFilterObject::init()) return false;
    reset();
    return true;
}

void isImageData::clear()
{
    isFilterObject::clear();
    releaseSlices();
}

void isImageData::releaseSlices()
{
    // With one shared buffer the slices only point into it.
    for (isSliceInfo* slice : slices) {
        if (!ownsVoxels) std::free(slice->pixels);
        delete slice;
    }
    slices.clear();
    if (ownsVoxels) {
        if (_mappedLength)
            munmap(voxels, _mappedLength);
        else
            std::free(voxels);
        voxels = nullptr;
        _mappedLength = 0;
        ownsVoxels = 0;
    }
}

void isImageData::reset()
{
    infoText.clear();
    seriesKey.clear();
    imageMatrix.setIdentity();
    auxMatrix.setIdentity();
    volumeMatrix.setIdentity();
    voxels = nullptr;
    _mappedLength = 0; // the next buffer is an allocation again
    spacing[0] = spacing[1] = spacing[2] = 1.0f;
    dimensions[0] = dimensions[1] = dimensions[2] = 0;
    volumeFlag = ownsVoxels = hasSlices = 0;
    facing = headFeet = 0;
    pixelType = kPixelS16;
    slices.clear();
}

isSliceInfo* isImageData::addSlice(const int dims[2], int frames, const float sliceSpacing[2], int type,
                                   int facingCode, int headFeetCode, const cocos2d::Mat4& matrix)
{
    const int64_t bytes = imageByteSize(dims[0], dims[1], frames, type);
    if (bytes <= 0 || bytes >= kMaxBufferBytes || frames > INT16_MAX) {
        cocos2d::log("isImageData: refused slice %ix%ix%i of type %i", dims[0], dims[1], frames, type);
        return nullptr;
    }
    // A container that held one shared voxel buffer cannot mix in separate slices.
    if (ownsVoxels) return nullptr;
    auto* slice = new (std::nothrow) isSliceInfo();
    uint8_t* pixels = slice ? allocatePixels(bytes, false) : nullptr;
    if (!pixels) {
        delete slice;
        cocos2d::log("isImageData: no memory for a slice of %lld bytes", static_cast<long long>(bytes));
        return nullptr;
    }
    const float containerSpacing[3] = {sliceSpacing[0], sliceSpacing[1], 1.0f};
    storeGeometry(dims, containerSpacing, type, facingCode, headFeetCode, matrix);
    dimensions[2] += 1;
    volumeFlag = 0;

    slice->pixels = pixels;
    slice->pixelType = type;
    slice->columns = dims[0];
    slice->rows = dims[1];
    slice->frames = static_cast<int16_t>(frames);
    slice->spacingX = sliceSpacing[0];
    slice->spacingY = sliceSpacing[1];
    slice->facing = facingCode;
    slice->headFeet = headFeetCode;
    slice->matrix = matrix;
    slices.push_back(slice);
    return slice;
}

isSliceInfo* isImageData::addSliceCopy(const isSliceInfo& src)
{
    const int dims[2] = {src.columns, src.rows};
    const float sliceSpacing[2] = {src.spacingX, src.spacingY};
    isSliceInfo* slice = addSlice(dims, src.frames, sliceSpacing, src.pixelType, src.facing, src.headFeet,
                                  src.matrix);
    if (!slice) return nullptr;
    slice->filePath = src.filePath;
    slice->modality = src.modality;
    slice->intercept = src.intercept;
    slice->slope = src.slope;
    slice->windowWidth = src.windowWidth;
    slice->windowCenter = src.windowCenter;
    slice->displayCode = src.displayCode;
    slice->acquisitionTime = src.acquisitionTime;
    slice->injectionTime = src.injectionTime;
    slice->petTimesValid = src.petTimesValid;
    slice->halfLife = src.halfLife;
    slice->decayCorrection = src.decayCorrection;
    slice->decayFactor = src.decayFactor;
    slice->sex = src.sex;
    slice->units = src.units;
    slice->totalDose = src.totalDose;
    slice->weight = src.weight;
    slice->size = src.size;
    slice->suvFactor = src.suvFactor;
    slice->scanOptions = src.scanOptions;
    slice->triggerValue = src.triggerValue;
    const size_t bytes = static_cast<size_t>(slice->byteSize());
    if (src.pixels)
        std::memcpy(slice->pixels, src.pixels, bytes);
    else
        std::memset(slice->pixels, 0, bytes);
    slice->loaded.store(src.loaded.load());
    return slice;
}

bool isImageData::buildVolume(const int dims[3], const float volumeSpacing[3], int type, int facingCode,
                              int headFeetCode, const cocos2d::Mat4& matrix)
{
    releaseSlices();
    reset();
    const int64_t sliceBytes = imageByteSize(dims[0], dims[1], 1, type);
    if (dims[2] < 1 || sliceBytes <= 0 || sliceBytes >= kMaxBufferBytes) {
        cocos2d::log("isImageData: refused volume %ix%ix%i of type %i", dims[0], dims[1], dims[2], type);
        return false;
    }
    storeGeometry(dims, volumeSpacing, type, facingCode, headFeetCode, matrix);
    dimensions[2] = dims[2];
    volumeFlag = dims[2] >= 2 ? 1 : 0;

    slices.reserve(static_cast<size_t>(dims[2]));
    for (int i = 0; i < dims[2]; ++i) {
        auto* slice = new (std::nothrow) isSliceInfo();
        if (!slice) {
            releaseSlices();
            reset();
            return false;
        }
        slice->pixelType = type;
        slice->columns = dims[0];
        slice->rows = dims[1];
        slice->frames = 1;
        slice->spacingX = volumeSpacing[0];
        slice->spacingY = volumeSpacing[1];
        slice->facing = facingCode;
        slice->headFeet = headFeetCode;
        cocos2d::Mat4 step;
        cocos2d::Mat4::createTranslation(0.0f, 0.0f, i * volumeSpacing[2], &step);
        slice->matrix = volumeMatrix * step;
        slices.push_back(slice);
    }

    if (volumeFlag && fitsOneBuffer(dims, type)) {
        voxels = allocatePixels(sliceBytes * dims[2], true);
        if (voxels) {
            for (int i = 0; i < dims[2]; ++i) slices[static_cast<size_t>(i)]->pixels = voxels + sliceBytes * i;
            ownsVoxels = 1;
            return true;
        }
    }
    // Too large for one buffer, or no single block that large: the volume keeps its flag, and
    // its slices get buffers of their own (voxels stays null; readers go through the slices).
    for (isSliceInfo* slice : slices) {
        slice->pixels = allocatePixels(sliceBytes, true);
        if (!slice->pixels) {
            cocos2d::log("isImageData: no memory for %i slices of %lld bytes", dims[2],
                         static_cast<long long>(sliceBytes));
            releaseSlices();
            reset();
            return false;
        }
    }
    ownsVoxels = 0;
    return true;
}

bool isImageData::adoptMappedVoxels(void* mapping, size_t length)
{
    if (!mapping || !ownsVoxels || !voxels || slices.empty()) return false;
    const int64_t sliceBytes = slices.front()->byteSize();
    if (sliceBytes <= 0 || static_cast<int64_t>(length) != sliceBytes * static_cast<int64_t>(slices.size()))
        return false;
    if (_mappedLength)
        munmap(voxels, _mappedLength);
    else
        std::free(voxels);
    voxels = static_cast<uint8_t*>(mapping);
    _mappedLength = length;
    for (size_t i = 0; i < slices.size(); ++i) slices[i]->pixels = voxels + sliceBytes * static_cast<int64_t>(i);
    return true;
}

void isImageData::storeGeometry(const int dims[2], const float containerSpacing[3], int type, int facingCode,
                                int headFeetCode, const cocos2d::Mat4& matrix)
{
    dimensions[0] = dims[0];
    dimensions[1] = dims[1];
    for (int i = 0; i < 3; ++i) spacing[i] = containerSpacing[i];
    hasSlices = 1;
    facing = facingCode;
    headFeet = headFeetCode;
    pixelType = type;
    imageMatrix = matrix;
    volumeMatrix = matrix;
}

bool isImageData::fitsOneBuffer(const int dims[3], int type)
{
    if (dims[2] < 1) return false;
    const int64_t total = imageByteSize(dims[0], dims[1], 1, type) * dims[2];
    return total > 0 && total < kMaxBufferBytes;
}

void isImageData::getSpacing(float out[3])
{
    updateInformation();
    out[0] = spacing[0];
    out[1] = spacing[1];
    out[2] = spacing[2];
}

void isImageData::getDimensions(int out[3])
{
    updateInformation();
    out[0] = dimensions[0];
    out[1] = dimensions[1];
    out[2] = dimensions[2];
}

bool isImageData::isVolume()
{
    updateInformation();
    return volumeFlag != 0;
}

isSliceInfo* isImageData::getSlice(int index)
{
    Update();
    if (index < 0 || index >= dimensions[2] || index >= static_cast<int>(slices.size())) return nullptr;
    return slices[static_cast<size_t>(index)];
}

void* isImageData::getVolumePointer()
{
    if (!volumeFlag) return nullptr;
    Update();
    return volumeFlag && ownsVoxels ? voxels : nullptr;
}

bool isImageData::isInverted()
{
    Update();
    return !slices.empty() && slices.front()->displayCode >= 2;
}

void isImageData::getDefaultWindow(float& width, float& center)
{
    Update();
    if (slices.empty()) return;
    width = slices.front()->windowWidth;
    center = slices.front()->windowCenter;
}

} // namespace isImageSDK
