#include "renderer/Texture2D.h"

#include "base/Director.h"
#include "base/ccLog.h"
#include "platform/Image.h"
#include "renderer/GLProgramCache.h"
#include "renderer/ccGLStateCache.h"

namespace cocos2d {

namespace {

struct GLFormat {
    GLint internalFormat;
    GLenum format;
    GLenum type;
};

bool glFormatFor(Texture2D::PixelFormat f, GLFormat& out)
{
    switch (f) {
    case Texture2D::PixelFormat::RGBA8888: out = {GL_RGBA, GL_RGBA, GL_UNSIGNED_BYTE}; return true;
    case Texture2D::PixelFormat::BGRA8888: out = {GL_RGBA, GL_BGRA, GL_UNSIGNED_BYTE}; return true;
    case Texture2D::PixelFormat::RGB888: out = {GL_RGB, GL_RGB, GL_UNSIGNED_BYTE}; return true;
    case Texture2D::PixelFormat::A8: out = {GL_ALPHA, GL_ALPHA, GL_UNSIGNED_BYTE}; return true;
    case Texture2D::PixelFormat::I8: out = {GL_LUMINANCE, GL_LUMINANCE, GL_UNSIGNED_BYTE}; return true;
    case Texture2D::PixelFormat::AI88: out = {GL_LUMINANCE_ALPHA, GL_LUMINANCE_ALPHA, GL_UNSIGNED_BYTE}; return true;
    case Texture2D::PixelFormat::RGB565: out = {GL_RGB, GL_RGB, GL_UNSIGNED_SHORT_5_6_5}; return true;
    case Texture2D::PixelFormat::RGBA4444: out = {GL_RGBA, GL_RGBA, GL_UNSIGNED_SHORT_4_4_4_4}; return true;
    case Texture2D::PixelFormat::RGB5A1: out = {GL_RGBA, GL_RGBA, GL_UNSIGNED_SHORT_5_5_5_1}; return true;
    default: return false;
    }
}

// The largest alignment (8, 4, 2, 1) that divides the row size, so rows are read as packed.
GLint unpackAlignment(size_t bytesPerRow)
{
    if (bytesPerRow % 8 == 0) return 8;
    if (bytesPerRow % 4 == 0) return 4;
    if (bytesPerRow % 2 == 0) return 2;
    return 1;
}

} // namespace

Texture2D::Texture2D() {}

Texture2D::~Texture2D()
{
    releaseGLTexture();
}

unsigned int Texture2D::getBitsPerPixelForFormat(PixelFormat format)
{
    switch (format) {
    case PixelFormat::BGRA8888:
    case PixelFormat::RGBA8888: return 32;
    case PixelFormat::RGB888: return 24;
    case PixelFormat::RGB565:
    case PixelFormat::AI88:
    case PixelFormat::RGBA4444:
    case PixelFormat::RGB5A1: return 16;
    case PixelFormat::A8:
    case PixelFormat::I8: return 8;
    default: return 0;
    }
}

const char* Texture2D::getStringForFormat() const
{
    switch (_pixelFormat) {
    case PixelFormat::RGBA8888: return "RGBA8888";
    case PixelFormat::BGRA8888: return "BGRA8888";
    case PixelFormat::RGB888: return "RGB888";
    case PixelFormat::RGB565: return "RGB565";
    case PixelFormat::A8: return "A8";
    case PixelFormat::I8: return "I8";
    case PixelFormat::AI88: return "AI88";
    case PixelFormat::RGBA4444: return "RGBA4444";
    case PixelFormat::RGB5A1: return "RGB5A1";
    default: return "unknown";
    }
}

bool Texture2D::initWithData(const void* data, ssize_t dataLen, PixelFormat pixelFormat, int pixelsWide,
                             int pixelsHigh, const Size& contentSize)
{
    GLFormat gl;
    if (!glFormatFor(pixelFormat, gl)) {
        log("Texture2D: unsupported pixel format %d", static_cast<int>(pixelFormat));
        return false;
    }
    if (pixelsWide <= 0 || pixelsHigh <= 0 || pixelsWide > Image::MAX_DIMENSION || pixelsHigh > Image::MAX_DIMENSION) {
        log("Texture2D: size %dx%d is out of bounds", pixelsWide, pixelsHigh);
        return false;
    }
    size_t bytesPerRow = static_cast<size_t>(pixelsWide) * getBitsPerPixelForFormat(pixelFormat) / 8;
    size_t needed = bytesPerRow * static_cast<size_t>(pixelsHigh);
    if (data && (dataLen < 0 || static_cast<size_t>(dataLen) < needed)) {
        // Reading past the caller's buffer would upload garbage or crash.
        log("Texture2D: %zd bytes given, %zu needed for %dx%d %s", dataLen, needed, pixelsWide, pixelsHigh,
            getBitsPerPixelForFormat(pixelFormat) == 8 ? "8-bit" : "pixels");
        return false;
    }
    releaseGLTexture();
    // Whoever shows this texture shows new pixels.
    Director::getInstance()->markChanged();
    _pixelsWide = pixelsWide;
    _pixelsHigh = pixelsHigh;
    _pixelFormat = pixelFormat;
    _contentSize = contentSize;
    _maxS = contentSize.width > 0 ? contentSize.width / pixelsWide : 1.0f;
    _maxT = contentSize.height > 0 ? contentSize.height / pixelsHigh : 1.0f;
    if (!GL::isContextReady()) {
        return true;
    }
    glPixelStorei(GL_UNPACK_ALIGNMENT, unpackAlignment(bytesPerRow));
    glGenTextures(1, &_name);
    GL::bindTexture2D(_name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    while (glGetError() != GL_NO_ERROR) {
    }
    glTexImage2D(GL_TEXTURE_2D, 0, gl.internalFormat, pixelsWide, pixelsHigh, 0, gl.format, gl.type, data);
    GLenum err = glGetError();
    if (err != GL_NO_ERROR) {
        log("Texture2D: glTexImage2D failed (0x%04X) for %dx%d %s", err, pixelsWide, pixelsHigh, getStringForFormat());
        releaseGLTexture();
        return false;
    }
    return true;
}

bool Texture2D::initWithImage(Image* image)
{
    return initWithImage(image, PixelFormat::AUTO);
}

bool Texture2D::initWithImage(Image* image, PixelFormat format)
{
    if (!image || !image->getData()) {
        log("Texture2D: no image");
        return false;
    }
    PixelFormat own = image->hasAlpha() ? PixelFormat::RGBA8888 : PixelFormat::RGB888;
    if (format != PixelFormat::AUTO && format != own) {
        log("Texture2D: converting pictures to %d is not supported; using the picture's format", static_cast<int>(format));
    }
    Size size(static_cast<float>(image->getWidth()), static_cast<float>(image->getHeight()));
    if (!initWithData(image->getData(), image->getDataLen(), own, image->getWidth(), image->getHeight(), size)) {
        return false;
    }
    _hasPremultipliedAlpha = image->hasPremultipliedAlpha();
    return true;
}

bool Texture2D::updateWithData(const void* data, int offsetX, int offsetY, int width, int height)
{
    GLFormat gl;
    if (!data || !glFormatFor(_pixelFormat, gl) || offsetX < 0 || offsetY < 0 || width <= 0 || height <= 0 ||
        offsetX + width > _pixelsWide || offsetY + height > _pixelsHigh) {
        return false;
    }
    if (!_name) {
        return GL::isContextReady() ? false : true;
    }
    size_t bytesPerRow = static_cast<size_t>(width) * getBitsPerPixelForFormat(_pixelFormat) / 8;
    glPixelStorei(GL_UNPACK_ALIGNMENT, unpackAlignment(bytesPerRow));
    GL::bindTexture2D(_name);
    glTexSubImage2D(GL_TEXTURE_2D, 0, offsetX, offsetY, width, height, gl.format, gl.type, data);
    Director::getInstance()->markChanged();
    return true;
}

Size Texture2D::getContentSize() const
{
    float scale = Director::getInstance()->getContentScaleFactor();
    return Size(_contentSize.width / scale, _contentSize.height / scale);
}

void Texture2D::setTexParameters(const TexParams& p)
{
    if (!_name) {
        return;
    }
    GL::bindTexture2D(_name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, static_cast<GLint>(p.minFilter));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, static_cast<GLint>(p.magFilter));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, static_cast<GLint>(p.wrapS));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, static_cast<GLint>(p.wrapT));
    Director::getInstance()->markChanged();
}

void Texture2D::setAntiAliasTexParameters()
{
    setTexParameters({GL_LINEAR, GL_LINEAR, GL_CLAMP_TO_EDGE, GL_CLAMP_TO_EDGE});
}

void Texture2D::setAliasTexParameters()
{
    setTexParameters({GL_NEAREST, GL_NEAREST, GL_CLAMP_TO_EDGE, GL_CLAMP_TO_EDGE});
}

GLProgram* Texture2D::getGLProgram() const
{
    return GLProgramCache::getInstance()->getGLProgram(GLProgram::SHADER_NAME_POSITION_TEXTURE);
}

void Texture2D::releaseGLTexture()
{
    if (_name && GL::isContextReady()) {
        GL::deleteTexture(_name);
    }
    _name = 0;
}

} // namespace cocos2d
