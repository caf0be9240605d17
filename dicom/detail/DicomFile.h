#pragma once
// One parsed DICOM file over DCMTK: the loading rules and the tag reading shared by the
// reader, the tag lister and the store helpers. Internal to the library.

#include <dcmtk/dcmdata/dcspchrs.h>
#include <dcmtk/dcmdata/dctk.h>

#include <sys/stat.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace dcmSDK {

/// A DICOM file loaded lazily (large values stay on disk until asked for).
class DicomFile {
public:
    DicomFile();
    ~DicomFile();

    /// Parses a file; false (with one log line) when it is not readable DICOM. Files without
    /// the "DICM" preamble are accepted only when they start like a DICOM data set.
    bool load(const std::string& path);
    void clear();
    bool isLoaded() const { return _format != nullptr; }
    const std::string& path() const { return _path; }
    /// Inode, size and modification time (ns) of the file as it was opened; size -1 when unknown.
    uint64_t fileId() const { return _fileId; }
    int64_t fileSize() const { return _fileSize; }
    int64_t changedNs() const { return _changedNs; }

    DcmFileFormat* format() const { return _format.get(); }
    DcmDataset* dataset() const { return _format ? _format->getDataset() : nullptr; }

    /// The value as UTF-8 text, several values joined by "\". Found at the top level first,
    /// then (with nested) anywhere inside sequences. False when absent; an empty value gives
    /// true and "".
    bool getString(uint16_t group, uint16_t element, std::string& out, bool nested = true) const;
    /// The first value as an unsigned 16-bit number (numeric texts are converted too).
    bool getUint16(uint16_t group, uint16_t element, uint16_t& out, bool nested = true) const;

    /// The top-level elements (group, elements[i]) into found[i] (null when absent), in one
    /// walk over the data set; for reading many tags of one group.
    void findTopLevel(uint16_t group, const uint16_t* elements, size_t count, DcmElement** found) const;
    /// getString and getUint16 for an element already found (false for null).
    bool valueString(DcmElement* elem, std::string& out) const;
    static bool valueUint16(DcmElement* elem, uint16_t& out);

    /// The element's value as UTF-8 text as the tag lister shows it (binary values summarised).
    std::string elementText(DcmElement* elem) const;

    /// Text of a character-set-dependent value converted to UTF-8 by the file's rules.
    std::string toUtf8(const std::string& raw, DcmEVR vr) const;

private:
    DcmElement* find(uint16_t group, uint16_t element, bool nested) const;

    std::unique_ptr<DcmFileFormat> _format;
    std::string _path;
    // How texts of this file become UTF-8: converted one value at a time when asked for,
    // so that reading pixels never pays for the texts.
    enum class Charset { Undeclared, Utf8, Declared, Unconvertible };
    mutable Charset _charset = Charset::Undeclared;
    std::string _declaredCharset;
    mutable std::unique_ptr<DcmSpecificCharacterSet> _converter;
    // A small file's bytes while it is parsed; kept for its capacity between files.
    std::vector<unsigned char> _buffer;
    uint64_t _fileId = 0;
    int64_t _fileSize = -1;
    int64_t _changedNs = 0;
};

/// A file's modification time in nanoseconds.
int64_t changeTimeNs(const struct stat& st);

/// True for the value representations whose bytes depend on the character set.
bool isCharsetVR(DcmEVR vr);

} // namespace dcmSDK
