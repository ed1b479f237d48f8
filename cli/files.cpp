// Whole files in (or standard input), PNG files out.
#include <png.h>
#include <unistd.h>

#include <cerrno>
#include <csetjmp>
#include <cstdio>

#include "cli.h"

std::string inputName(const std::string& path) {
    return path == STANDARD_INPUT ? "<stdin>" : path;
}

bool readInput(const std::string& path, ScriptFileBytes& bytes, FILE* err) {
    const char* why = nullptr;
    const bool read = path == STANDARD_INPUT ? loadScriptStream(STDIN_FILENO, bytes, &why)
                                             : loadScriptFile(path.c_str(), bytes, &why);
    if (!read) fprintf(err, "veltra: %s: cannot read: %s\n", inputName(path).c_str(), why);
    return read;
}

namespace {

// libpng reports a failed write by jumping back to png_write_rows' caller.
bool writeRows(png_structp png, png_infop info, FILE* file, int width, int height,
               const uint8_t* rgb) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_init_io(png, file);
    png_set_IHDR(png, info, (png_uint_32)width, (png_uint_32)height, 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < height; y++) png_write_row(png, rgb + (size_t)y * width * 3);
    png_write_end(png, info);
    return true;
}

}  // namespace

bool writePngFile(const std::string& path, int width, int height, const uint8_t* rgb) {
    FILE* file = fopen(path.c_str(), "wb");
    if (!file) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    bool written = info && writeRows(png, info, file, width, height, rgb);
    png_destroy_write_struct(&png, &info);
    if (fclose(file) != 0) written = false;
    if (!written) {
        const int savedErrno = errno ? errno : EIO;
        remove(path.c_str());
        errno = savedErrno;
    }
    return written;
}
