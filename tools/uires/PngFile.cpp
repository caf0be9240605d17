#include "PngFile.h"

#include <png.h>

#include <cstdio>

namespace uires {

namespace {

bool writeRows(FILE* file, const Canvas& canvas) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!png)
        return false;
    png_infop info = png_create_info_struct(png);
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(canvas.width()),
                 static_cast<png_uint_32>(canvas.height()), 8, PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    const png_byte* data = canvas.pixels().data();
    const size_t stride = static_cast<size_t>(canvas.width()) * 4;
    for (int y = 0; y < canvas.height(); ++y)
        png_write_row(png, data + stride * y);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

} // namespace

bool writePng(const Canvas& canvas, const std::string& path) {
    if (canvas.width() <= 0 || canvas.height() <= 0) {
        fprintf(stderr, "uires: %s: empty picture\n", path.c_str());
        return false;
    }
    const std::string partial = path + ".part";
    FILE* file = fopen(partial.c_str(), "wb");
    if (!file) {
        perror(partial.c_str());
        return false;
    }
    bool ok = writeRows(file, canvas);
    ok = fclose(file) == 0 && ok;
    if (ok && rename(partial.c_str(), path.c_str()) != 0) {
        perror(path.c_str());
        ok = false;
    }
    if (!ok) {
        fprintf(stderr, "uires: cannot write %s\n", path.c_str());
        remove(partial.c_str());
    }
    return ok;
}

} // namespace uires
