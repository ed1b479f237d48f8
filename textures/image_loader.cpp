// Loading of one image file into the bound OpenGL texture: one read into one
// buffer, decoding from memory by DevIL, conversion to 8-bit RGBA, sizing to
// powers of two and the upload.
#include "textures.h"

#include "platform.h"

#include <IL/il.h>
#include <IL/ilu.h>
#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

const int TEXTURE_SIZE_STEPS[TEXTURE_SIZE_STEP_COUNT] = {16, 32, 64, 128, 256, 512, 1024, 2048, 4096};
int32_t textureSizeLimit = 0;
int32_t scaledUploadCount = 0;

void initImageLibrary() {
    ilInit();
    iluInit();
}

void shutdownImageLibrary() { ilShutDown(); }

void showImageError(int errorCode) {
    char text[2048] = {};
    snprintf(text, sizeof text, "%d: %s", errorCode, iluErrorString((ILenum)errorCode));
    if (platform) platform->showMessageBox("LoadImage Error", text);
}

void reportImageErrors() {
    for (ILenum error = ilGetError(); error != IL_NO_ERROR; error = ilGetError())
        showImageError((int)error);
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

static int maxTextureSize() {
    GLint driverLimit = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &driverLimit);
    if (textureSizeLimit > 0 && textureSizeLimit < driverLimit) return textureSizeLimit;
    return driverLimit;
}

// Reads the whole file into one buffer of its exact size; null when it
// cannot be opened, measured or buffered.
static uint8_t* readWholeFile(const char* path, size_t* size) {
    FILE* file = fopen(path, "rb");
    if (!file) return nullptr;
    long start = ftell(file);
    long end = -1;
    if (start >= 0 && fseek(file, 0, SEEK_END) == 0) end = ftell(file);
    if (end < start || fseek(file, start, SEEK_SET) != 0) {
        fclose(file);
        return nullptr;
    }
    *size = (size_t)(end - start);
    uint8_t* bytes = (uint8_t*)malloc(*size > 0 ? *size : 1);
    if (bytes) *size = fread(bytes, 1, *size, file);
    fclose(file);
    return bytes;
}

// DevIL 1.7.8 frees memory twice when ilLoadL decodes a WAL file, so WAL
// goes through the stream entry point over the same memory.
static bool decodeFromMemory(const uint8_t* bytes, size_t size, int imageType) {
    if (imageType != IMAGE_TYPE_WAL) return ilLoadL((ILenum)imageType, bytes, (ILuint)size);
    FILE* stream = fmemopen((void*)bytes, size, "rb");
    if (!stream) return false;
    bool decoded = ilLoadF(IL_WAL, stream);
    fclose(stream);
    return decoded;
}

// Errors left by earlier DevIL calls elsewhere do not belong to this file.
static void discardStaleErrors() {
    while (ilGetError() != IL_NO_ERROR) {}
}

static void uploadPixels(int width, int height, const void* pixels) {
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
}

// Brings the bound DevIL image (8-bit RGBA) to power-of-two sides and uploads it.
static bool uploadBoundImage() {
    int width = ilGetInteger(IL_IMAGE_WIDTH);
    int height = ilGetInteger(IL_IMAGE_HEIGHT);
    const uint8_t* pixels = ilGetData();
    int limit = maxTextureSize();
    int targetWidth = textureTargetSize(width, limit);
    int targetHeight = textureTargetSize(height, limit);
    if (targetWidth == width && targetHeight == height) {
        uploadPixels(width, height, pixels);
        return true;
    }
    uint8_t* scaled = (uint8_t*)malloc((size_t)targetWidth * targetHeight * 4);
    if (!scaled) return false;
    scaledUploadCount++;
    gluScaleImage(GL_RGBA, width, height, GL_UNSIGNED_BYTE, pixels, targetWidth, targetHeight,
                  GL_UNSIGNED_BYTE, scaled);
    uploadPixels(targetWidth, targetHeight, scaled);
    free(scaled);
    return true;
}

bool loadTextureFile(const char* path, int imageType) {
    size_t size = 0;
    uint8_t* bytes = readWholeFile(path, &size);
    if (!bytes) return false;
    // Bytes that would crash the decoder are refused as DevIL refuses a bad header.
    if (!imageBytesLookSound(bytes, size, imageType)) {
        free(bytes);
        showImageError(IL_INVALID_FILE_HEADER);
        return false;
    }
    discardStaleErrors();
    ILuint image = 0;
    ilGenImages(1, &image);
    ilBindImage(image);
    bool decoded = decodeFromMemory(bytes, size, imageType);
    free(bytes);
    // DevIL calls an image cut short inside its run-length data decoded, but
    // records a read error: any error recorded counts as a failed decode.
    ILenum firstError = ilGetError();
    if (firstError != IL_NO_ERROR || !decoded || !ilConvertImage(IL_RGBA, IL_UNSIGNED_BYTE)) {
        if (firstError != IL_NO_ERROR) showImageError((int)firstError);
        reportImageErrors();
        ilDeleteImages(1, &image);
        return false;
    }
    bool uploaded = uploadBoundImage();
    ilDeleteImages(1, &image);
    return uploaded;
}
