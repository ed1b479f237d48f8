// Whole files in, PNG files out.
#include <fcntl.h>
#include <png.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csetjmp>
#include <cstdio>

#include "cli.h"

bool readWholeFile(const std::string& path, std::string& bytes) {
    FILE* file = fopen(path.c_str(), "rb");
    if (!file) return false;
    bytes.clear();
    if (fseek(file, 0, SEEK_END) == 0) {
        const long size = ftell(file);
        if (size > 0) bytes.reserve((size_t)size);
        rewind(file);
    }
    char buffer[1 << 16];
    size_t count;
    while ((count = fread(buffer, 1, sizeof buffer, file)) > 0) bytes.append(buffer, count);
    const bool failed = ferror(file) != 0;  // a folder fails here with EISDIR
    const int savedErrno = errno;
    fclose(file);
    errno = savedErrno;
    return !failed;
}

bool FileBytes::open(const std::string& path) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat info;
    if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0) {
        void* pages = mmap(nullptr, (size_t)info.st_size, PROT_READ, MAP_PRIVATE, fd, 0);
        if (pages != MAP_FAILED) {
            close(fd);
            mapped = pages;
            data = (const char*)pages;
            size = (size_t)info.st_size;
            return true;
        }
    }
    close(fd);
    if (!readWholeFile(path, copy)) return false;
    data = copy.data();
    size = copy.size();
    return true;
}

FileBytes::~FileBytes() {
    if (mapped) munmap(mapped, size);
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
