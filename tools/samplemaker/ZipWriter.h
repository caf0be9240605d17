#pragma once
// Packing files into a zip archive with minizip.

#include <string>

namespace samplemaker {

/// One zip archive being written.
class ZipWriter {
public:
    ZipWriter() = default;
    ~ZipWriter();
    ZipWriter(const ZipWriter&) = delete;
    ZipWriter& operator=(const ZipWriter&) = delete;

    bool open(const std::string& path);
    /// Adds a file from disk under an entry name ("folder/name"), deflated.
    bool add(const std::string& file, const std::string& entry);
    bool close();

private:
    void* _zip = nullptr;
};

} // namespace samplemaker
