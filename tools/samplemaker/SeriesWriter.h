#pragma once
// Writing one synthetic series as DICOM files.

#include "SeriesPlan.h"

#include <string>
#include <vector>

namespace samplemaker {

/// Writes the files of one series into a folder.
class SeriesWriter {
public:
    /// Creates the folder when needed and writes the series (IM0001.dcm, ...); the written
    /// paths are appended to files. False, with a message on stderr, on any failure.
    static bool write(const SeriesPlan& plan, const std::string& folder, std::vector<std::string>& files);
};

} // namespace samplemaker
