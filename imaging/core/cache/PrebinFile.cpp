#include "imaging/core/cache/PrebinFile.h"

#include <unistd.h>

#include <atomic>
#include <cstring>

#include "cocos2d.h"

namespace isImageSDK {

namespace {

/// The whole file in memory; ".prebin" files are a few hundred kilobytes at most.
bool readWhole(const std::string& path, std::string& bytes)
{
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return false;
    char buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.append(buffer, n);
    std::fclose(file);
    return true;
}

/// Sequential reads that fail instead of running past the end.
class Cursor {
public:
    explicit Cursor(const std::string& bytes) : _bytes(bytes) {}
    bool read(void* out, size_t size)
    {
        if (size > remaining()) return false;
        std::memcpy(out, _bytes.data() + _offset, size);
        _offset += size;
        return true;
    }
    size_t remaining() const { return _bytes.size() - _offset; }
    const char* here() const { return _bytes.data() + _offset; }
    void skip(size_t size) { _offset += size; }

private:
    const std::string& _bytes;
    size_t _offset = 0;
};

bool readNames(Cursor& cursor, size_t expected, std::vector<std::string>& names)
{
    isPrebinPathBlock block;
    if (!cursor.read(&block, sizeof block)) return false;
    if (block.length < 1 || static_cast<size_t>(block.length) > cursor.remaining()) return false;
    const std::string text(cursor.here(), static_cast<size_t>(block.length));
    cursor.skip(static_cast<size_t>(block.length));
    size_t start = 0;
    while (true) {
        const size_t comma = text.find(',', start);
        names.push_back(text.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    return names.size() == expected;
}

} // namespace

isPrebinHeader makePrebinHeader(const char* kind, size_t imageCount)
{
    isPrebinHeader header{};
    std::memcpy(header.magic, kPrebinMagic, sizeof kPrebinMagic);
    std::memcpy(header.version, kPrebinVersion, sizeof kPrebinVersion);
    header.created = isDateTime();
    std::strncpy(header.kind, kind, sizeof header.kind - 1);
    header.imageCount = static_cast<uint16_t>(imageCount);
    return header;
}

bool readPrebinHeader(const std::string& path, isPrebinHeader& header)
{
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return false;
    const size_t n = std::fread(&header, 1, sizeof header, file);
    std::fclose(file);
    return n == sizeof header;
}

PrebinReadResult readPrebin(const std::string& path, PrebinContents& out)
{
    std::string bytes;
    if (!readWhole(path, bytes)) return PrebinReadResult::Missing;
    Cursor cursor(bytes);
    if (!cursor.read(&out.header, sizeof out.header)) return PrebinReadResult::Damaged;
    const size_t count = out.header.imageCount;
    if (count < 1) return PrebinReadResult::Damaged;

    if (prebinTextEquals(out.header.kind, kPrebinKindSeries)) {
        out.isVolume = false;
        // Check the size before reserving, so a hostile count cannot ask for memory.
        if (count * sizeof(isPrebinImageRecord) > cursor.remaining()) return PrebinReadResult::Damaged;
        out.images.resize(count);
        for (auto& record : out.images)
            if (!cursor.read(&record, sizeof record)) return PrebinReadResult::Damaged;
    } else if (prebinTextEquals(out.header.kind, kPrebinKindVolume)) {
        out.isVolume = true;
        if (!cursor.read(&out.volume, sizeof out.volume)) return PrebinReadResult::Damaged;
        if (out.volume.imageCount < 1 || static_cast<size_t>(out.volume.imageCount) != count)
            return PrebinReadResult::Damaged;
        if (count * sizeof(isPrebinSliceRecord) > cursor.remaining()) return PrebinReadResult::Damaged;
        out.slices.resize(count);
        for (auto& record : out.slices)
            if (!cursor.read(&record, sizeof record)) return PrebinReadResult::Damaged;
    } else {
        return PrebinReadResult::Damaged;
    }
    if (!readNames(cursor, count, out.names)) return PrebinReadResult::Damaged;
    return PrebinReadResult::Ok;
}

PrebinWriter::PrebinWriter(const std::string& path) : _path(path)
{
    static std::atomic<unsigned> counter{0};
    _temp = path + ".tmp" + std::to_string(getpid()) + "_" + std::to_string(counter++);
    _file = std::fopen(_temp.c_str(), "wb");
    _ok = _file != nullptr;
    if (!_ok) cocos2d::log("isDcmScan: cannot write %s", _temp.c_str());
}

PrebinWriter::~PrebinWriter()
{
    if (_file) std::fclose(_file);
    if (!_temp.empty()) std::remove(_temp.c_str());
}

bool PrebinWriter::write(const void* data, size_t size)
{
    if (_ok && std::fwrite(data, 1, size, _file) != size) {
        cocos2d::log("isDcmScan: short write to %s", _temp.c_str());
        _ok = false;
    }
    return _ok;
}

bool PrebinWriter::writePathBlock(const std::vector<std::string>& names)
{
    std::string text;
    for (size_t i = 0; i < names.size(); ++i) {
        if (i) text += ',';
        text += names[i];
    }
    isPrebinPathBlock block;
    std::memset(&block, 0, sizeof block);
    block.length = static_cast<int32_t>(text.size());
    return write(&block, sizeof block) && write(text.data(), text.size());
}

bool PrebinWriter::commit()
{
    if (!_file) return false;
    const bool closed = std::fclose(_file) == 0;
    _file = nullptr;
    if (!_ok || !closed || std::rename(_temp.c_str(), _path.c_str()) != 0) {
        std::remove(_temp.c_str());
        _temp.clear();
        return false;
    }
    _temp.clear();
    return true;
}

} // namespace isImageSDK
