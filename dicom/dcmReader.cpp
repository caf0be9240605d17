#include "dcmReader.h"

#include "dcmCallbacks.h"
#include "detail/DicomFile.h"
#include "detail/PathSafety.h"
#include "detail/PixelDecoder.h"
#include "detail/PngRender.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace dcmSDK {

struct dcmReader::Impl {
    DicomFile file;
    std::vector<uint8_t> pixels;
    const uint8_t* data = nullptr; // into pixels, or into the file's own pixel data
    bool decoded = false;
    bool decodeOk = false;
    PixelType type = PIXEL_GRAY8;
    int count = 0;
    ImageGeometry geometry;
    LanguageType language = 0;

    bool decode()
    {
        if (!decoded) {
            decoded = true;
            decodeOk = file.isLoaded() && PixelDecoder::decode(file, pixels, data, type, count, geometry);
            if (!decodeOk) {
                pixels.clear();
                pixels.shrink_to_fit();
                data = nullptr;
                count = 0;
            }
        }
        return decodeOk;
    }
};

dcmReader::dcmReader() : _impl(new Impl) {}
dcmReader::~dcmReader() = default;

bool dcmReader::setFile(const std::string& path)
{
    _impl->pixels.clear();
    _impl->data = nullptr;
    _impl->decoded = false;
    _impl->decodeOk = false;
    _impl->count = 0;
    return _impl->file.load(path);
}

void dcmReader::setLanguage(LanguageType language) { _impl->language = language; }

bool dcmReader::readDicomTagString(unsigned short group, unsigned short element, char* buf, int size)
{
    if (!buf || size <= 0)
        return false;
    buf[0] = 0;
    std::string value;
    if (!_impl->file.getString(group, element, value))
        return false;
    copyToSlot(buf, static_cast<size_t>(size), value);
    return true;
}

bool dcmReader::readDicomTagUint16(unsigned short group, unsigned short element, unsigned short& value)
{
    uint16_t v = 0;
    if (!_impl->file.getUint16(group, element, v))
        return false;
    value = v;
    return true;
}

bool dcmReader::readDicomPixelType(PixelType& type)
{
    if (!_impl->file.isLoaded())
        return false;
    if (_impl->decoded) {
        if (!_impl->decodeOk)
            return false;
        type = _impl->type;
        return true;
    }
    ImageGeometry g;
    DcmElement* pixelData = nullptr;
    if (!PixelDecoder::readGeometry(_impl->file, g) ||
        _impl->file.dataset()->findAndGetElement(DCM_PixelData, pixelData, OFFalse).bad())
        return false;
    return PixelDecoder::classify(g, type);
}

const void* dcmReader::readDicomPixelPointer(PixelType& type, int& count)
{
    count = 0;
    if (!_impl->decode())
        return nullptr;
    type = _impl->type;
    count = _impl->count;
    return _impl->data;
}

bool dcmReader::readDicomPixelLocation(PixelLocation& location)
{
    return _impl->file.isLoaded() && PixelDecoder::locate(_impl->file, location);
}

bool dcmReader::readPixelsAt(const std::string& path, const PixelLocation& location, void* into)
{
    if (!location.valid() || !into)
        return false;
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st;
    bool ok = fstat(fd, &st) == 0 && static_cast<uint64_t>(st.st_ino) == location.fileId &&
              static_cast<int64_t>(st.st_size) == location.fileSize && changeTimeNs(st) == location.changedNs;
    auto* at = static_cast<char*>(into);
    size_t left = static_cast<size_t>(location.byteCount());
    off_t offset = static_cast<off_t>(location.offset);
    while (ok && left > 0) {
        const ssize_t n = pread(fd, at, left, offset);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            ok = false;
            break;
        }
        at += n;
        offset += n;
        left -= static_cast<size_t>(n);
    }
    close(fd);
    if (ok)
        PixelDecoder::applyBitsInPlace(into, location);
    return ok;
}

bool dcmReader::convertToPngFile(const std::string& path, bool useStoredWindow)
{
    if (path.empty() || !_impl->file.isLoaded())
        return false;
    // The picture shows the first frame: the frames decoded for readDicomPixelPointer serve
    // when there are any, else that frame alone is decoded, and not kept.
    std::vector<uint8_t> own;
    const uint8_t* pixels = _impl->data;
    PixelType type = _impl->type;
    int count = _impl->count;
    ImageGeometry geometry = _impl->geometry;
    if (!(_impl->decoded && _impl->decodeOk) &&
        !PixelDecoder::decode(_impl->file, own, pixels, type, count, geometry, true))
        return false;
    std::vector<uint8_t> rgb;
    const size_t bytes =
        static_cast<size_t>(count) * (type == PIXEL_RGB ? 3 : (type == PIXEL_GRAY16 ? 2 : 1));
    if (!renderFirstFrame(_impl->file, geometry, type, pixels, bytes, useStoredWindow, rgb))
        return false;
    return dcmSavePng(static_cast<int>(geometry.columns), static_cast<int>(geometry.rows), rgb.data(), path);
}

} // namespace dcmSDK
