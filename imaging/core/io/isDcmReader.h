#pragma once
// The pipeline source that reads one DICOM file into an image data of one slice with its pixels.

#include <string>

#include "imaging/core/object/isImageFilter.h"

namespace isImageSDK {

class isDcmReader : public isImageFilter {
public:
    static isDcmReader* create();
    isDcmReader() = default;

    bool init() override;
    bool isSource() const override { return true; }
    /// Reads the file into the output; the output stays empty when it cannot be read.
    void updateInformation() override;

    /// Stores the path and marks the reader modified, so the next Update reads the file.
    void setFileName(const std::string& path);
    const std::string& getFileName() const { return _path; }

private:
    void readFile();
    std::string _path;
};

} // namespace isImageSDK
