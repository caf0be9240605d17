#include "db/SeriesTagReader.h"

#include "dcmReader.h"

#include <cstring>
#include <sys/stat.h>

namespace {

const size_t kCacheLimit = 64;

int64_t modificationTime(const struct stat& info)
{
    return static_cast<int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
}

} // namespace

std::string SeriesTags::ctText() const
{
    return modality == "CT" ? kvp + "kV " + tubeCurrent + "mA" : std::string();
}

SeriesTagReader::SeriesTagReader(int bufferSize)
    : _reader(new dcmSDK::dcmReader()), _buffer(static_cast<size_t>(bufferSize > 1 ? bufferSize : 1024))
{
}

SeriesTagReader::~SeriesTagReader() = default;

bool SeriesTagReader::readTag(unsigned short group, unsigned short element, std::string& out)
{
    // Cleared before every read: a tag missing here must not show the previous file's value.
    memset(_buffer.data(), 0, _buffer.size());
    bool ok = _reader->readDicomTagString(group, element, _buffer.data(), static_cast<int>(_buffer.size()));
    out.assign(_buffer.data());
    return ok;
}

bool SeriesTagReader::read(const std::string& path, SeriesTags& tags)
{
    struct stat info;
    if (stat(path.c_str(), &info) != 0)
        return false;
    auto found = _cache.find(path);
    if (found != _cache.end() && found->second.size == info.st_size && found->second.time == modificationTime(info)) {
        tags = found->second.tags;
        return true;
    }
    if (!_reader->setFile(path))
        return false;
    tags = SeriesTags();
    tags.hasColumns = readTag(0x0028, 0x0011, tags.columns);
    tags.hasRows = readTag(0x0028, 0x0010, tags.rows);
    tags.hasInstitution = readTag(0x0008, 0x0080, tags.institution);
    tags.hasModality = readTag(0x0008, 0x0060, tags.modality);
    readTag(0x0018, 0x0060, tags.kvp);
    readTag(0x0018, 0x1151, tags.tubeCurrent);
    readTag(0x0020, 0x0011, tags.seriesNumber);
    if (_cache.size() >= kCacheLimit)
        _cache.clear();
    Entry& entry = _cache[path];
    entry.size = info.st_size;
    entry.time = modificationTime(info);
    entry.tags = tags;
    return true;
}
