#pragma once
// Turns the library's decoded samples into a slice's pixels by the slice's pixel type and rescale.

#include <cstdint>

#include "imaging/core/data/isSliceInfo.h"

namespace isImageSDK {

/// Converts `count` decoded pixels of the library's format into `slice.pixels`, never writing
/// more than the slice holds nor reading more than the library gave. False (slice untouched)
/// when the library format cannot feed the slice's pixel type or the slice has no buffer.
/// Rescaled 16-bit results saturate at the type's limits instead of wrapping.
bool convertSamples(const void* source, int libraryType, int64_t count, isSliceInfo& slice);
/// The same conversion of `count` library samples already lying in `slice.pixels`; false when
/// the slice's samples are not of the library samples' size (e.g. float from 16-bit) or the
/// library format cannot feed the slice's pixel type.
bool convertSamplesInPlace(int libraryType, int64_t count, isSliceInfo& slice);

} // namespace isImageSDK
