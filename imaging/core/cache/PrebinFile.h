#pragma once
// Reading and writing ".prebin" files: every count and length read back is checked against the
// header and the file's real size before it is used.

#include <cstdio>
#include <string>
#include <vector>

#include "imaging/core/cache/PrebinFormat.h"

namespace isImageSDK {

/// Compares a fixed-size, possibly unterminated text field with a text.
template <size_t N>
bool prebinTextEquals(const char (&field)[N], const char* text)
{
    size_t i = 0;
    for (; i < N && text[i]; ++i)
        if (field[i] != text[i]) return false;
    return i < N && field[i] == '\0';
}

/// The text of a fixed-size field, up to its first NUL or its end.
template <size_t N>
std::string prebinText(const char (&field)[N])
{
    size_t length = 0;
    while (length < N && field[length]) ++length;
    return std::string(field, length);
}

/// A header with magic, version and kind filled, zero elsewhere.
isPrebinHeader makePrebinHeader(const char* kind, size_t imageCount);
/// The first 68 bytes of a file; false on a short read.
bool readPrebinHeader(const std::string& path, isPrebinHeader& header);

/// What a ".prebin" holds once it has been read and checked.
struct PrebinContents {
    bool isVolume = false;
    isPrebinHeader header{};
    std::vector<isPrebinImageRecord> images; // kind "series"
    isPrebinVolumeRecord volume{};           // kind "volume"
    std::vector<isPrebinSliceRecord> slices; // kind "volume"
    std::vector<std::string> names;          // relative file names, in record order
};

enum class PrebinReadResult { Ok, Missing, Damaged };

/// Reads and checks a whole ".prebin". Damaged covers short reads, an unknown kind, counts that
/// disagree with each other or the file size, and a path block of the wrong length.
PrebinReadResult readPrebin(const std::string& path, PrebinContents& out);

/// Writes a file under a temporary name and moves it into place on commit, so that a reader
/// never meets a half-written cache; an uncommitted file is removed.
class PrebinWriter {
public:
    explicit PrebinWriter(const std::string& path);
    ~PrebinWriter();
    PrebinWriter(const PrebinWriter&) = delete;
    PrebinWriter& operator=(const PrebinWriter&) = delete;

    bool write(const void* data, size_t size);
    /// The 16-byte block head and the names joined by ",".
    bool writePathBlock(const std::vector<std::string>& names);
    /// Closes and renames into place; false (and nothing left behind) on any earlier failure.
    bool commit();

private:
    std::string _path;
    std::string _temp;
    FILE* _file = nullptr;
    bool _ok = false;
};

} // namespace isImageSDK
