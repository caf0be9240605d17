#pragma once
// What every kind of viewer offers to the tile that holds it: its mode, its data, its
// visibility and its reference count, whatever engine node carries it.

#include <cstdint>

namespace isImageSDK {

class isImageData;

class isViewer {
public:
    /// Viewer modes: 0-4 show 2D slices, 5 and 6 render the volume, 7 is no mode yet.
    enum Mode : uint32_t {
        kModeAcquired = 0,
        kModeAxial = 1,
        kModeSagittal = 2,
        kModeCoronal = 3,
        kModeOblique = 4,
        kModeVolume = 5,
        kModeVolumeAlt = 6,
        kModeNone = 7,
    };
    static bool is2DMode(uint32_t mode) { return mode < kModeVolume; }

    virtual ~isViewer() = default;
    virtual void setViewerMode(uint32_t) {}
    /// Viewers forward these to their node's reference count.
    virtual void retain() {}
    virtual void release() {}
    virtual void setImageData(isImageData*) {}
    virtual isImageData* getImageData() const { return nullptr; }
    virtual void setSourceData(isImageData*) {}
    virtual isImageData* getSourceData() const { return nullptr; }
    virtual void setVisible(bool) {}

    uint32_t getViewerMode() const { return viewerMode; }

protected:
    uint32_t viewerMode = kModeNone;
};

} // namespace isImageSDK
