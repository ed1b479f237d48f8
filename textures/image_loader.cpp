// Loading of one image file into the bound OpenGL texture: one read into one
// buffer, decoding from memory into 8-bit RGBA, sizing to powers of two and
// the upload. DevIL gives the error codes and their texts.
#include "textures.h"

#include "image_decoders.h"
#include "platform.h"

#include <GL/gl.h>
#include <IL/il.h>
#include <IL/ilu.h>

#include <fcntl.h>
#include <malloc.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>

const int TEXTURE_SIZE_STEPS[TEXTURE_SIZE_STEP_COUNT] = {16,  32,   64,   128, 256,
                                                         512, 1024, 2048, 4096};

// Image buffers run to megabytes. By default the C library gives such blocks
// back to the system when they are freed, and the next load pays for every
// page again, which took longer than decoding a 1024 × 1024 image; so freed
// blocks of up to 32 MB stay in the heap for the next load.
static void keepFreedImageBuffers() {
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    mallopt(M_TRIM_THRESHOLD, 64 << 20);
}

void initImageLibrary() {
    keepFreedImageBuffers();
    ilInit();
    iluInit();
}

void shutdownImageLibrary() {
    ilShutDown();
}

// "1288: invalid file header": the code in decimal and DevIL's text for it.
static void formatImageError(int errorCode, char (&text)[2048]) {
    snprintf(text, sizeof text, "%d: %s", errorCode, iluErrorString((ILenum)errorCode));
}

void showImageError(Platform* platform, int errorCode) {
    char text[2048] = {};
    formatImageError(errorCode, text);
    if (platform) platform->showMessageBox("LoadImage Error", text);
}

static void showFileError(Platform* platform, const char* path, int errorCode) {
    char text[2048] = {};
    formatImageError(errorCode, text);
    if (platform) platform->showImageError(path, text);
}

void reportImageErrors(Platform* platform) {
    for (ILenum error = ilGetError(); error != IL_NO_ERROR; error = ilGetError())
        showImageError(platform, (int)error);
}

// The nearest size step, a side exactly half-way between two steps going down;
// sides outside the steps take the nearest end. Then halved until within the limit.
int textureTargetSize(int side, int maxTextureSize) {
    const int first = TEXTURE_SIZE_STEPS[0];
    const int last = TEXTURE_SIZE_STEPS[TEXTURE_SIZE_STEP_COUNT - 1];
    int clamped = std::clamp(side, first, last);
    int target = last;
    for (int i = 0; i + 1 < TEXTURE_SIZE_STEP_COUNT; i++) {
        int lower = TEXTURE_SIZE_STEPS[i], upper = TEXTURE_SIZE_STEPS[i + 1];
        if (clamped >= lower && clamped < upper) {
            target = clamped > (lower + upper) / 2 ? upper : lower;
            break;
        }
    }
    while (target > maxTextureSize && target > 1) target /= 2;
    return target;
}

static int maxTextureSize(int32_t sizeLimit) {
    GLint driverLimit = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &driverLimit);
    if (sizeLimit > 0 && sizeLimit < driverLimit) return sizeLimit;
    return driverLimit;
}

// Reads the whole file into one buffer of its exact size (fewer bytes when
// it shrinks meanwhile); null when it cannot be opened, measured or buffered,
// or is no regular file (a folder, a device, a FIFO, which is not waited
// for). Four system calls: small images cost little more than these.
static uint8_t* readWholeFile(const char* path, size_t* size) {
    int file = open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (file < 0) return nullptr;
    struct stat info;
    uint8_t* bytes = nullptr;
    if (fstat(file, &info) == 0 && S_ISREG(info.st_mode))
        bytes = (uint8_t*)malloc(info.st_size > 0 ? (size_t)info.st_size : 1);
    size_t done = 0;
    while (bytes && done < (size_t)info.st_size) {
        ssize_t got = read(file, bytes + done, (size_t)info.st_size - done);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        done += (size_t)got;
    }
    close(file);
    *size = done;
    return bytes;
}

static void uploadPixels(int width, int height, const void* pixels) {
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
}

// Brings the decoded image to power-of-two sides and uploads it.
static bool uploadImage(const DecodedImage& image, ImageLoading& loading) {
    int limit = maxTextureSize(loading.textureSizeLimit);
    int targetWidth = textureTargetSize(image.width, limit);
    int targetHeight = textureTargetSize(image.height, limit);
    if (targetWidth == image.width && targetHeight == image.height) {
        uploadPixels(image.width, image.height, image.pixels);
        return true;
    }
    uint8_t* scaled = (uint8_t*)malloc((size_t)targetWidth * targetHeight * 4);
    if (!scaled) return false;
    loading.scaledUploadCount++;
    bool resampled =
        scaleImageRgba(image.pixels, image.width, image.height, scaled, targetWidth, targetHeight);
    if (resampled) uploadPixels(targetWidth, targetHeight, scaled);
    free(scaled);
    return resampled;
}

// The decoders are this program's own (JPEG through libjpeg): DevIL 1.7.8
// hangs, crashes, loses memory or gives wrong pixels on files of all four
// types. A refused file shows the DevIL error that describes it.
bool loadTextureFile(const char* path, int imageType, ImageLoading& loading) {
    size_t size = 0;
    uint8_t* bytes = readWholeFile(path, &size);
    if (!bytes) return false;
    DecodedImage image;
    int error = decodeImage(bytes, size, imageType, &image);
    free(bytes);
    if (error != IL_NO_ERROR) {
        showFileError(loading.platform, path, error);
        return false;
    }
    bool uploaded = uploadImage(image, loading);
    freeImage(&image);
    return uploaded;
}
