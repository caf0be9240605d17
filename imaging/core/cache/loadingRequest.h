#pragma once
// One image of an opened series to decode on the loader thread.

#include <cstdint>

#include "dicom/dcmTypes.h"
#include "framework/thread/NSThreadRequest.h"

namespace isImageSDK {

class isBinReader;

class loadingRequest : public NSUI::NSThreadRequest {
public:
    loadingRequest() = default;

    // text: the image's file path; requestId: the key hash of that path.
    int32_t ordinal = 0;          // position in the series, from 0
    int64_t expectedSamples = 0;  // frames x rows x columns of its slice record
    int32_t libraryType = 0;      // decoded format as the library reported it
    /// The decoded samples, owned by the loader's library reader and valid only while the
    /// reader's onSliceLoaded runs (the loader hands them over without copying).
    const void* pixels = nullptr;
    int64_t sampleCount = 0;
    isBinReader* owner = nullptr;
    uint32_t generation = 0;      // the reader's image generation the request was made for
    /// Where the samples lie in the file, when the series scan found them readable in place.
    dcmSDK::PixelLocation location;
};

} // namespace isImageSDK
