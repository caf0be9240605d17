#include "dcmReader.h"

#include "dcmCallbacks.h"
#include "detail/DicomFile.h"
#include "detail/PathSafety.h"
#include "detail/PixelDecoder.h"
#include "detail/PngRender.h"

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

bool dcmReader::convertToPngFile(const std::string& path, bool useStoredWindow)
{
    if (path.empty() || !_impl->decode())
        return false;
    std::vector<uint8_t> rgb;
    const size_t bytes = static_cast<size_t>(_impl->count) * (_impl->type == PIXEL_RGB ? 3 : (_impl->type == PIXEL_GRAY16 ? 2 : 1));
    if (!renderFirstFrame(_impl->file, _impl->geometry, _impl->type, _impl->data, bytes, useStoredWindow, rgb))
        return false;
    return dcmSavePng(static_cast<int>(_impl->geometry.columns), static_cast<int>(_impl->geometry.rows),
                      rgb.data(), path);
}

} // namespace dcmSDK
