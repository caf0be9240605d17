#pragma once
// A decoded picture in memory (8-bit RGB or RGBA), read from and written to PNG and JPEG.

#include <string>
#include <sys/types.h>

#include "base/Ref.h"

namespace cocos2d {

class Image : public Ref {
public:
    enum class Format { JPG, PNG, RAW_DATA, UNKNOWN };

    /// Pictures larger than this in either direction are refused.
    static const int MAX_DIMENSION = 16384;

    Image();
    ~Image() override;

    /// PNG or JPEG, told apart by their signatures; false (one log line) otherwise.
    bool initWithImageFile(const std::string& path);
    bool initWithImageData(const unsigned char* data, ssize_t dataLen);
    /// Tightly packed 8-bit RGBA (bitsPerComponent 8) rows, bottom row last.
    bool initWithRawData(const unsigned char* data, ssize_t dataLen, int width, int height, int bitsPerComponent,
                         bool preMulti = false);

    unsigned char* getData() const { return _data; }
    ssize_t getDataLen() const { return _dataLen; }
    Format getFileType() const { return _fileType; }
    int getWidth() const { return _width; }
    int getHeight() const { return _height; }
    bool hasAlpha() const { return _hasAlpha; }
    bool hasPremultipliedAlpha() const { return _hasPremultipliedAlpha; }
    int getBitPerPixel() const { return _hasAlpha ? 32 : 24; }

    /// PNG or JPEG by the file's extension (".png", ".jpg", ".jpeg"); isToRGB drops alpha.
    /// Premultiplied pictures are written with straight alpha.
    bool saveToFile(const std::string& filename, bool isToRGB = true);

    /// Whether PNG pictures with alpha are premultiplied on reading (on by default).
    static void setPNGPremultipliedAlphaEnabled(bool enabled);

    static bool isPng(const unsigned char* data, ssize_t dataLen);
    static bool isJpg(const unsigned char* data, ssize_t dataLen);

protected:
    bool initWithPngData(const unsigned char* data, ssize_t dataLen);
    bool initWithJpgData(const unsigned char* data, ssize_t dataLen);
    bool saveImageToPNG(const std::string& filePath, bool isToRGB);
    bool saveImageToJPG(const std::string& filePath);
    void premultiplyAlpha();
    bool allocate(int width, int height, int channels);

    unsigned char* _data = nullptr;
    ssize_t _dataLen = 0;
    int _width = 0;
    int _height = 0;
    bool _hasAlpha = false;
    bool _hasPremultipliedAlpha = false;
    Format _fileType = Format::UNKNOWN;
    std::string _filePath;
};

} // namespace cocos2d
