#pragma once
// Reads the patient and study texts a slice viewer shows in its corners from the first DICOM
// file of a series, as one flat JSON object. Safe on any thread: it touches only the file.

#include <cstdint>
#include <functional>
#include <string>

namespace isImageSDK {

class OverlayInfoReader {
public:
    /// (group, element, out text) -> whether the tag was read.
    using TagSource = std::function<bool(uint16_t, uint16_t, std::string&)>;

    /// The overlay JSON of the file; false when it cannot be opened. Without `withPatient` the
    /// identifying tags are not read at all.
    static bool read(const std::string& path, bool withPatient, std::string& json);
    /// The overlay JSON from any source of tags.
    static std::string compose(const TagSource& tag, bool withPatient);
};

} // namespace isImageSDK
