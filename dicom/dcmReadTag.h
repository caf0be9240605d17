#pragma once
// Reading the tags of one file for display: single values, the whole element list, the
// image's aspect.

#include "dcmTagEntry.h"
#include "dcmTypes.h"

#include <memory>
#include <string>

namespace dcmSDK {

/// Tag reader of one DICOM file.
class dcmReadTag {
public:
    dcmReadTag();
    ~dcmReadTag();
    dcmReadTag(const dcmReadTag&) = delete;
    dcmReadTag& operator=(const dcmReadTag&) = delete;

    /// Opens a file; false when it cannot be read as DICOM.
    bool setFile(const std::string& path);

    void setLanguage(LanguageType language) { _language = language; }
    template <class E> void setLanguage(E language) { setLanguage(static_cast<LanguageType>(language)); }

    /// The tag's value as zero-terminated UTF-8 text, "" when absent or no file is open.
    /// The text stays valid until the next call on this reader.
    const char* getTag(unsigned short group, unsigned short element);

    /// Every element of the file (meta header, data set, sequence items) in file order.
    /// The array belongs to this reader and stays valid until the next setFile or its
    /// destruction; null and count 0 when no file is open.
    const DCM_TAG_ENTRY* getTagList(int& count);

    /// Columns / Rows of the image; 1.0 when either is missing or zero.
    float getImageScale();

private:
    struct Impl;
    std::unique_ptr<Impl> _impl;
    LanguageType _language = 0;
};

} // namespace dcmSDK
