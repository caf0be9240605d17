#pragma once
// Reading one DICOM file: tag values, decoded pixels and a PNG picture of the image.

#include "dcmTypes.h"

#include <memory>
#include <string>

namespace dcmSDK {

/// One DICOM file opened for reading; one object per reading thread.
class dcmReader {
public:
    dcmReader();
    ~dcmReader();
    dcmReader(const dcmReader&) = delete;
    dcmReader& operator=(const dcmReader&) = delete;

    /// Opens and parses a file; false when it cannot be read as DICOM. Forgets the previous file
    /// (and the pixels handed out for it).
    bool setFile(const std::string& path);

    void setLanguage(LanguageType language);
    /// Accepts the engine's enum class language values as they are.
    template <class E> void setLanguage(E language) { setLanguage(static_cast<LanguageType>(language)); }

    /// The tag's value as zero-terminated UTF-8 text in buf (cut to size - 1 bytes, never in
    /// the middle of a character); several values joined by "\"; values inside sequences
    /// (e.g. the radiopharmaceutical sequence) are found when there is none at the top level.
    /// False when the tag is absent or no file is open; an empty value gives true and "".
    bool readDicomTagString(unsigned short group, unsigned short element, char* buf, int size);
    /// The tag's first value as an unsigned 16-bit number; false when absent or not a number.
    bool readDicomTagUint16(unsigned short group, unsigned short element, unsigned short& value);

    /// The decoded pixel format, from the tags alone; false when the image is not one the
    /// library can decode (no pixels, unsupported bit depth or colour model).
    bool readDicomPixelType(PixelType& type);
    /// Decodes all frames. Grey samples are masked to Bits Stored and sign-extended when
    /// signed; YBR, planar and palette colour become interleaved RGB. Returns the samples
    /// (owned by this reader, valid until the next setFile or destruction), type and
    /// count = frames x rows x columns pixels; null and count 0 on failure.
    const void* readDicomPixelPointer(PixelType& type, int& count);

    /// Where the samples that readDicomPixelPointer would give lie in the file, when they can be
    /// read straight from it (see PixelLocation); false for any other pixel data.
    bool readDicomPixelLocation(PixelLocation& location);
    /// Reads the samples at a location found earlier into `into` (location.byteCount() bytes),
    /// masked and sign-extended as readDicomPixelPointer gives them; false, with `into` in an
    /// unknown state, when the file changed since or cannot be read.
    static bool readPixelsAt(const std::string& path, const PixelLocation& location, void* into);

    /// Writes the first frame as an 8-bit RGB PNG picture (grey windowed by the file's first
    /// window, or by the sample range when useStoredWindow is false or there is none). Only
    /// that frame is read and decoded, unless readDicomPixelPointer has decoded all already.
    bool convertToPngFile(const std::string& path, bool useStoredWindow = true);

private:
    struct Impl;
    std::unique_ptr<Impl> _impl;
};

} // namespace dcmSDK
