#pragma once
// Reads the tags a series row shows from the series' first image file, remembering recent files.

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace dcmSDK {
class dcmReader;
}

/// The tags of one image file that a series row shows; each with whether it could be read.
struct SeriesTags {
    bool hasColumns = false, hasRows = false, hasInstitution = false, hasModality = false;
    std::string columns, rows, institution, modality, kvp, tubeCurrent, seriesNumber;

    /// "<kVp>kV <mA>mA" for CT, else empty.
    std::string ctText() const;
};

/// One per worker thread. A series gets one row per stored file, and all of them read the
/// same first file, so the parsed tags are kept for files whose size and time are unchanged.
class SeriesTagReader {
public:
    explicit SeriesTagReader(int bufferSize);
    ~SeriesTagReader();
    SeriesTagReader(const SeriesTagReader&) = delete;
    SeriesTagReader& operator=(const SeriesTagReader&) = delete;

    /// False when the file cannot be opened as DICOM.
    bool read(const std::string& path, SeriesTags& tags);

private:
    bool readTag(unsigned short group, unsigned short element, std::string& out);

    struct Entry {
        int64_t size = -1;
        int64_t time = 0;
        SeriesTags tags;
    };

    std::unique_ptr<dcmSDK::dcmReader> _reader;
    std::vector<char> _buffer;
    std::map<std::string, Entry> _cache;
};
