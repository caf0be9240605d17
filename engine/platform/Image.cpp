#include "platform/Image.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <jpeglib.h>
#include <png.h>

#include "base/ccLog.h"
#include "platform/FileUtils.h"

namespace cocos2d {

namespace {

bool g_pngPremultiply = true;

struct JpegError {
    jpeg_error_mgr mgr;
    jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void jpegErrorExit(j_common_ptr cinfo)
{
    auto* err = reinterpret_cast<JpegError*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, err->message);
    longjmp(err->jump, 1);
}

void jpegSilence(j_common_ptr, int) {}

std::string lowerExtension(const std::string& path)
{
    return FileUtils::getInstance()->getFileExtension(path);
}

} // namespace

Image::Image() {}

Image::~Image()
{
    free(_data);
}

void Image::setPNGPremultipliedAlphaEnabled(bool enabled)
{
    g_pngPremultiply = enabled;
}

bool Image::isPng(const unsigned char* data, ssize_t dataLen)
{
    static const unsigned char sig[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    return data && dataLen >= 8 && memcmp(data, sig, 8) == 0;
}

bool Image::isJpg(const unsigned char* data, ssize_t dataLen)
{
    return data && dataLen > 4 && data[0] == 0xFF && data[1] == 0xD8;
}

bool Image::allocate(int width, int height, int channels)
{
    if (width <= 0 || height <= 0 || width > MAX_DIMENSION || height > MAX_DIMENSION) {
        log("Image: size %dx%d is out of bounds", width, height);
        return false;
    }
    size_t size = static_cast<size_t>(width) * static_cast<size_t>(height) * static_cast<size_t>(channels);
    auto* data = static_cast<unsigned char*>(malloc(size));
    if (!data) {
        log("Image: no memory for %dx%d", width, height);
        return false;
    }
    free(_data);
    _data = data;
    _dataLen = static_cast<ssize_t>(size);
    _width = width;
    _height = height;
    _hasAlpha = channels == 4;
    _hasPremultipliedAlpha = false;
    return true;
}

bool Image::initWithImageFile(const std::string& path)
{
    _filePath = FileUtils::getInstance()->fullPathForFilename(path);
    if (_filePath.empty()) {
        log("Image: no file %s", path.c_str());
        return false;
    }
    Data data = FileUtils::getInstance()->getDataFromFile(_filePath);
    if (data.isNull()) {
        return false;
    }
    if (!initWithImageData(data.getBytes(), data.getSize())) {
        log("Image: cannot decode %s", _filePath.c_str());
        return false;
    }
    return true;
}

bool Image::initWithImageData(const unsigned char* data, ssize_t dataLen)
{
    if (isPng(data, dataLen)) {
        _fileType = Format::PNG;
        return initWithPngData(data, dataLen);
    }
    if (isJpg(data, dataLen)) {
        _fileType = Format::JPG;
        return initWithJpgData(data, dataLen);
    }
    _fileType = Format::UNKNOWN;
    log("Image: data is neither PNG nor JPEG");
    return false;
}

bool Image::initWithRawData(const unsigned char* data, ssize_t dataLen, int width, int height, int bitsPerComponent,
                            bool preMulti)
{
    if (!data || bitsPerComponent != 8 || width <= 0 || height <= 0 ||
        dataLen < static_cast<ssize_t>(width) * height * 4) {
        log("Image: raw data does not hold %dx%d RGBA pixels", width, height);
        return false;
    }
    if (!allocate(width, height, 4)) {
        return false;
    }
    memcpy(_data, data, static_cast<size_t>(_dataLen));
    _hasPremultipliedAlpha = preMulti;
    _fileType = Format::RAW_DATA;
    return true;
}

bool Image::initWithPngData(const unsigned char* data, ssize_t dataLen)
{
    png_image image;
    memset(&image, 0, sizeof(image));
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, data, static_cast<size_t>(dataLen))) {
        log("Image: PNG header: %s", image.message);
        return false;
    }
    bool alpha = (image.format & PNG_FORMAT_FLAG_ALPHA) != 0;
    image.format = alpha ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
    if (!allocate(static_cast<int>(image.width), static_cast<int>(image.height), alpha ? 4 : 3)) {
        png_image_free(&image);
        return false;
    }
    if (!png_image_finish_read(&image, nullptr, _data, 0, nullptr)) {
        log("Image: PNG data: %s", image.message);
        png_image_free(&image);
        return false;
    }
    if (alpha && g_pngPremultiply) {
        premultiplyAlpha();
    }
    return true;
}

bool Image::initWithJpgData(const unsigned char* data, ssize_t dataLen)
{
    jpeg_decompress_struct cinfo;
    JpegError err;
    cinfo.err = jpeg_std_error(&err.mgr);
    err.mgr.error_exit = jpegErrorExit;
    err.mgr.emit_message = jpegSilence;
    if (setjmp(err.jump)) {
        log("Image: JPEG: %s", err.message);
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(dataLen));
    jpeg_read_header(&cinfo, TRUE);
    cinfo.out_color_space = JCS_RGB;
    if (static_cast<int>(cinfo.image_width) > MAX_DIMENSION || static_cast<int>(cinfo.image_height) > MAX_DIMENSION) {
        log("Image: JPEG size %ux%u is out of bounds", cinfo.image_width, cinfo.image_height);
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    jpeg_start_decompress(&cinfo);
    if (cinfo.output_components != 3 || !allocate(static_cast<int>(cinfo.output_width), static_cast<int>(cinfo.output_height), 3)) {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    size_t stride = static_cast<size_t>(_width) * 3;
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = _data + cinfo.output_scanline * stride;
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return true;
}

void Image::premultiplyAlpha()
{
    for (ssize_t i = 0; i + 3 < _dataLen; i += 4) {
        unsigned int a = _data[i + 3];
        for (int c = 0; c < 3; ++c) {
            _data[i + c] = static_cast<unsigned char>((_data[i + c] * a + 127) / 255);
        }
    }
    _hasPremultipliedAlpha = true;
}

bool Image::saveToFile(const std::string& filename, bool isToRGB)
{
    if (!_data || _width <= 0 || _height <= 0) {
        log("Image: nothing to save to %s", filename.c_str());
        return false;
    }
    std::string ext = lowerExtension(filename);
    if (ext == ".png") {
        return saveImageToPNG(filename, isToRGB);
    }
    if (ext == ".jpg" || ext == ".jpeg") {
        return saveImageToJPG(filename);
    }
    log("Image: cannot save %s: only .png and .jpg are written", filename.c_str());
    return false;
}

bool Image::saveImageToPNG(const std::string& filePath, bool isToRGB)
{
    int channels = _hasAlpha && !isToRGB ? 4 : 3;
    std::vector<unsigned char> pixels(static_cast<size_t>(_width) * _height * channels);
    int src = _hasAlpha ? 4 : 3;
    for (size_t p = 0, n = static_cast<size_t>(_width) * _height; p < n; ++p) {
        const unsigned char* s = _data + p * src;
        unsigned char* d = pixels.data() + p * channels;
        unsigned int a = src == 4 ? s[3] : 255;
        for (int c = 0; c < 3; ++c) {
            // Undo premultiplication so the file holds straight colours.
            d[c] = _hasPremultipliedAlpha && channels == 4 && a > 0 && a < 255
                       ? static_cast<unsigned char>(std::min(255u, (s[c] * 255u + a / 2) / a))
                       : s[c];
        }
        if (channels == 4) {
            d[3] = static_cast<unsigned char>(a);
        }
    }
    png_image image;
    memset(&image, 0, sizeof(image));
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(_width);
    image.height = static_cast<png_uint_32>(_height);
    image.format = channels == 4 ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
    // Write to a temporary name first: a failed write never leaves a truncated picture.
    std::string temp = filePath + ".part";
    if (!png_image_write_to_file(&image, temp.c_str(), 0, pixels.data(), 0, nullptr)) {
        log("Image: cannot write PNG %s: %s", filePath.c_str(), image.message);
        remove(temp.c_str());
        return false;
    }
    if (rename(temp.c_str(), filePath.c_str()) != 0) {
        log("Image: cannot move PNG into place at %s", filePath.c_str());
        remove(temp.c_str());
        return false;
    }
    return true;
}

bool Image::saveImageToJPG(const std::string& filePath)
{
    std::string temp = filePath + ".part";
    FILE* out = fopen(temp.c_str(), "wb");
    if (!out) {
        log("Image: cannot write JPEG %s", filePath.c_str());
        return false;
    }
    jpeg_compress_struct cinfo;
    JpegError err;
    cinfo.err = jpeg_std_error(&err.mgr);
    err.mgr.error_exit = jpegErrorExit;
    std::vector<unsigned char> row(static_cast<size_t>(_width) * 3);
    if (setjmp(err.jump)) {
        log("Image: JPEG %s: %s", filePath.c_str(), err.message);
        jpeg_destroy_compress(&cinfo);
        fclose(out);
        remove(temp.c_str());
        return false;
    }
    jpeg_create_compress(&cinfo);
    jpeg_stdio_dest(&cinfo, out);
    cinfo.image_width = static_cast<JDIMENSION>(_width);
    cinfo.image_height = static_cast<JDIMENSION>(_height);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 90, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    int src = _hasAlpha ? 4 : 3;
    while (cinfo.next_scanline < cinfo.image_height) {
        const unsigned char* s = _data + static_cast<size_t>(cinfo.next_scanline) * _width * src;
        for (int x = 0; x < _width; ++x) {
            memcpy(&row[static_cast<size_t>(x) * 3], s + static_cast<size_t>(x) * src, 3);
        }
        JSAMPROW r = row.data();
        jpeg_write_scanlines(&cinfo, &r, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    bool ok = !ferror(out);
    if (fclose(out) != 0) {
        ok = false;
    }
    if (!ok || rename(temp.c_str(), filePath.c_str()) != 0) {
        log("Image: writing JPEG %s failed", filePath.c_str());
        remove(temp.c_str());
        return false;
    }
    return true;
}

} // namespace cocos2d
