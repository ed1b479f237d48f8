// JPEG through libjpeg-turbo, from memory. A file that libjpeg can only
// finish by inventing pixels (cut short, corrupt entropy data) is refused;
// so is one whose decode runs past the time limit or has absurdly many
// scans. CMYK files are turned into RGB as common viewers do: Adobe's
// files store the inks inverted.
#include "image_decoders.h"

#include <IL/il.h>

#include <jpeglib.h>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include <jerror.h>

// More scans than any encoder writes; each is a pass over the whole image.
constexpr int JPEG_MAX_SCANS = 256;

struct JpegDecode {
    jpeg_decompress_struct info;
    jpeg_error_mgr errors;
    jpeg_progress_mgr progress;
    jmp_buf escape;
    timespec deadline;
    uint8_t* row;
    bool reachedEnd;  // the data ended before the end marker
};

static void giveUp(j_common_ptr info) {
    JpegDecode* decode = (JpegDecode*)info->client_data;
    longjmp(decode->escape, 1);
}

// Warnings that mean the pixels would not be the image's.
static bool warningInventsPixels(int code) {
    switch (code) {
        case JWRN_ARITH_BAD_CODE:
        case JWRN_BOGUS_PROGRESSION:
        case JWRN_HIT_MARKER:
        case JWRN_HUFF_BAD_CODE:
        case JWRN_MUST_RESYNC:
        case JWRN_NOT_SEQUENTIAL:
            return true;
        default:
            return false;
    }
}

static void onMessage(j_common_ptr info, int level) {
    if (level >= 0) return;
    if (info->err->msg_code == JWRN_JPEG_EOF)
        ((JpegDecode*)info->client_data)->reachedEnd = true;
    else if (warningInventsPixels(info->err->msg_code))
        giveUp(info);
}

// When the data ends early, libjpeg says so only if it runs short inside a
// scan. A sequential file is whole when its one scan held every component;
// a progressive one when every coefficient has had its last refinement.
static bool scansAreComplete(const jpeg_decompress_struct& info) {
    if (!info.progressive_mode) return info.comps_in_scan == info.num_components;
    for (int c = 0; c < info.num_components; c++)
        for (int k = 0; k < DCTSIZE2; k++)
            if (info.coef_bits[c][k] != 0) return false;
    return true;
}

static bool pastDeadline(const timespec& deadline) {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    if (now.tv_sec != deadline.tv_sec) return now.tv_sec > deadline.tv_sec;
    return now.tv_nsec > deadline.tv_nsec;
}

static void onProgress(j_common_ptr common) {
    JpegDecode* decode = (JpegDecode*)common->client_data;
    if (decode->info.input_scan_number > JPEG_MAX_SCANS || pastDeadline(decode->deadline))
        giveUp(common);
}

static void extendDeadline(timespec* deadline, int64_t milliseconds) {
    int64_t nanoseconds = deadline->tv_nsec + milliseconds * 1000000;
    deadline->tv_sec += nanoseconds / 1000000000;
    deadline->tv_nsec = nanoseconds % 1000000000;
}

// Inks to light: full ink is 0 in Adobe's inverted files and 255 in others.
static void cmykToRgba(const uint8_t* cmyk, uint8_t* out, int width, bool inverted) {
    for (int x = 0; x < width; x++, cmyk += 4, out += 4) {
        uint32_t k = inverted ? cmyk[3] : 255 - cmyk[3];
        for (int c = 0; c < 3; c++) {
            uint32_t light = inverted ? cmyk[c] : 255 - cmyk[c];
            out[c] = (uint8_t)((light * k + 127) / 255);
        }
        out[3] = 255;
    }
}

static void readRows(JpegDecode* d, DecodedImage* image) {
    bool inks = d->info.out_color_space == JCS_CMYK;
    while (d->info.output_scanline < d->info.output_height) {
        uint8_t* out = image->pixels + (size_t)d->info.output_scanline * image->width * 4;
        JSAMPROW target = inks ? d->row : out;
        jpeg_read_scanlines(&d->info, &target, 1);
        if (inks) cmykToRgba(d->row, out, image->width, d->info.saw_Adobe_marker);
    }
}

// Everything after the header; returns through longjmp on any failure.
static int decodeHeaderAndRows(JpegDecode* d, const uint8_t* bytes, size_t size,
                               DecodedImage* image) {
    jpeg_mem_src(&d->info, bytes, (unsigned long)size);
    jpeg_read_header(&d->info, TRUE);
    // Large images get time in proportion: 50 ns a pixel, several times
    // what libjpeg needs on a slow machine.
    extendDeadline(&d->deadline, (int64_t)d->info.image_width * d->info.image_height / 20000);
    bool inks = d->info.jpeg_color_space == JCS_CMYK || d->info.jpeg_color_space == JCS_YCCK;
    d->info.out_color_space = inks ? JCS_CMYK : JCS_EXT_RGBA;
    if (!allocateImage(image, d->info.image_width, d->info.image_height)) return IL_OUT_OF_MEMORY;
    if (inks && !(d->row = (uint8_t*)malloc((size_t)image->width * 4))) return IL_OUT_OF_MEMORY;
    jpeg_start_decompress(&d->info);
    readRows(d, image);
    // The end marker is not waited for: a file cut just before it, which
    // viewers show, loads too.
    if (d->reachedEnd && !scansAreComplete(d->info)) return IL_LIB_JPEG_ERROR;
    return IL_NO_ERROR;
}

int decodeJpg(const uint8_t* bytes, size_t size, DecodedImage* image, int32_t timeLimitMs) {
    if (size == 0) return IL_LIB_JPEG_ERROR;
    JpegDecode* d = (JpegDecode*)calloc(1, sizeof(JpegDecode));
    if (!d) return IL_OUT_OF_MEMORY;
    d->info.err = jpeg_std_error(&d->errors);
    d->errors.error_exit = giveUp;
    d->errors.emit_message = onMessage;
    d->progress.progress_monitor = onProgress;
    clock_gettime(CLOCK_MONOTONIC, &d->deadline);
    extendDeadline(&d->deadline, timeLimitMs);
    volatile int error = IL_LIB_JPEG_ERROR;
    if (setjmp(d->escape) == 0) {
        jpeg_create_decompress(&d->info);
        d->info.client_data = d;
        d->info.progress = &d->progress;
        error = decodeHeaderAndRows(d, bytes, size, image);
    }
    jpeg_destroy_decompress(&d->info);
    free(d->row);
    free(d);
    if (error != IL_NO_ERROR) freeImage(image);
    return error;
}
