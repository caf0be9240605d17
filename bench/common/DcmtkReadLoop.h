#pragma once
// The plain DCMTK read loop that the series benchmarks compare against: load each file and
// touch its uncompressed pixel array.

#include <chrono>
#include <string>
#include <vector>

#include <dcmtk/config/osconfig.h>
#include <dcmtk/dcmdata/dctk.h>

namespace benchcommon {

/// Milliseconds the loop took; bytes receives the pixel bytes read.
inline double plainDcmtkLoop(const std::vector<std::string>& files, size_t& bytes)
{
    const auto start = std::chrono::steady_clock::now();
    bytes = 0;
    for (const std::string& f : files) {
        DcmFileFormat ff;
        if (ff.loadFile(f.c_str()).bad()) continue;
        DcmDataset* ds = ff.getDataset();
        Uint16 bits = 0;
        ds->findAndGetUint16(DCM_BitsAllocated, bits);
        unsigned long n = 0;
        if (bits == 16) {
            const Uint16* w = nullptr;
            if (ds->findAndGetUint16Array(DCM_PixelData, w, &n).good()) bytes += n * 2;
        } else {
            const Uint8* b = nullptr;
            if (ds->findAndGetUint8Array(DCM_PixelData, b, &n).good()) bytes += n;
        }
    }
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

} // namespace benchcommon
