#include "detail/PngWriter.h"

#include "dcmCallbacks.h"

#include <png.h>

#include <cstdio>

namespace dcmSDK {

namespace {
// libpng reports errors by longjmp; everything that must be cleaned up lives outside the
// function that calls setjmp.
bool writeRows(FILE* fp, int width, int height, const unsigned char* rgb)
{
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!png)
        return false;
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, fp);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    const size_t stride = static_cast<size_t>(width) * 3;
    for (int y = 0; y < height; ++y)
        png_write_row(png, const_cast<png_bytep>(rgb + static_cast<size_t>(y) * stride));
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}
} // namespace

bool writeRgbPng(int width, int height, const unsigned char* rgb, const std::string& path)
{
    if (width <= 0 || height <= 0 || !rgb || path.empty())
        return false;
    FILE* fp = fopen(path.c_str(), "wb");
    if (!fp) {
        dcmLog("png: cannot open %s for writing", path.c_str());
        return false;
    }
    bool ok = writeRows(fp, width, height, rgb);
    if (fclose(fp) != 0)
        ok = false;
    if (!ok) {
        dcmLog("png: writing %s failed", path.c_str());
        remove(path.c_str());
    }
    return ok;
}

} // namespace dcmSDK
