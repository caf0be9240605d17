#pragma once
// Writing an image held in memory as a DICOM file.

#include "PIXEL_Mem_ConvertorData.h"

namespace dcmSDK {

/// Writes pixels plus geometry as a Secondary Capture DICOM file.
class dcmConvertor {
public:
    /// Writes the record's image to its output path. Refuses (false, one log line, no file)
    /// a record it cannot describe faithfully: no pixels or path, zero or oversized
    /// dimensions, samples per pixel other than "1" or "3", a high bit other than 15 for grey.
    static bool convert(const PIXEL_Mem_ConvertorData& data);
};

} // namespace dcmSDK
