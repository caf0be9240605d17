#pragma once
// A GL texture made from pixels in memory or a decoded picture. Without a GL context (headless
// runs) it keeps its size and format but no GL object.

#include <string>
#include <sys/types.h>

#include "base/Ref.h"
#include "math/CCMath.h"
#include "platform/CCGL.h"

namespace cocos2d {

class GLProgram;
class Image;

class Texture2D : public Ref {
public:
    enum class PixelFormat {
        AUTO,
        BGRA8888,
        RGBA8888,
        RGB888,
        RGB565,
        A8,
        I8,
        AI88,
        RGBA4444,
        RGB5A1,
        DEFAULT = AUTO,
        NONE = -1
    };

    struct TexParams {
        GLuint minFilter;
        GLuint magFilter;
        GLuint wrapS;
        GLuint wrapT;
    };

    Texture2D();
    ~Texture2D() override;

    /// Uploads width x height pixels of the format (RGBA8888, RGB888, AI88, A8 or I8). Rows
    /// are tightly packed; the unpack alignment follows the row size. dataLen must cover them.
    bool initWithData(const void* data, ssize_t dataLen, PixelFormat pixelFormat, int pixelsWide, int pixelsHigh,
                      const Size& contentSize);
    bool initWithImage(Image* image);
    bool initWithImage(Image* image, PixelFormat format);
    /// Replaces a region of an existing texture with pixels of its own format.
    bool updateWithData(const void* data, int offsetX, int offsetY, int width, int height);

    GLuint getName() const { return _name; }
    int getPixelsWide() const { return _pixelsWide; }
    int getPixelsHigh() const { return _pixelsHigh; }
    PixelFormat getPixelFormat() const { return _pixelFormat; }
    /// Size in points.
    Size getContentSize() const;
    const Size& getContentSizeInPixels() const { return _contentSize; }
    bool hasPremultipliedAlpha() const { return _hasPremultipliedAlpha; }
    void setPremultipliedAlpha(bool premultiplied) { _hasPremultipliedAlpha = premultiplied; }
    GLfloat getMaxS() const { return _maxS; }
    GLfloat getMaxT() const { return _maxT; }

    void setTexParameters(const TexParams& texParams);
    /// Linear filtering.
    void setAntiAliasTexParameters();
    /// Nearest filtering.
    void setAliasTexParameters();

    GLProgram* getGLProgram() const;
    void releaseGLTexture();
    /// Where the texture came from (file path or cache key), for the cache.
    const std::string& getPath() const { return _filePath; }
    void setPath(const std::string& path) { _filePath = path; }

    static unsigned int getBitsPerPixelForFormat(PixelFormat format);
    const char* getStringForFormat() const;

protected:
    GLuint _name = 0;
    int _pixelsWide = 0;
    int _pixelsHigh = 0;
    PixelFormat _pixelFormat = PixelFormat::NONE;
    Size _contentSize;
    GLfloat _maxS = 0.0f;
    GLfloat _maxT = 0.0f;
    bool _hasPremultipliedAlpha = false;
    std::string _filePath;
};

} // namespace cocos2d
