// A resampler that gives the results of GLU's gluScaleImage for 8-bit RGBA.
// GLU averages, for each output pixel, the box of input it covers, weighting
// each input pixel by the area it shares with the box; when enlarging, the
// box is one input pixel wide; boxes that stick out past an edge wrap to the
// opposite edge. It works in 16-bit channels (a byte times 257) and keeps the
// high byte of (total + 0.5) / area. The box is a product of an interval on
// each axis, so the filter runs as a horizontal pass into rows of sums and a
// vertical pass over them, each with its weights worked out once.
#include "image_decoders.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

// Four channels of one pixel side by side, so that each step works on all four.
typedef float Channels __attribute__((vector_size(16)));
typedef uint8_t ChannelBytes __attribute__((vector_size(4)));
typedef int32_t ChannelInts __attribute__((vector_size(16)));

// The input pixels that each output pixel of an axis covers, with their
// shares: the same number for every output pixel (unused ones weigh 0), so
// that the loops over them have a fixed length.
struct AxisTaps {
    int count;
    int* index;          // out × count
    Channels* weight;    // out × count, the same share in all four lanes
    float* inverseArea;  // 1 / the sum of each output pixel's shares
};

static void freeTaps(AxisTaps* taps) {
    free(taps->index);
    free(taps->weight);
    free(taps->inverseArea);
}

// The same float arithmetic as GLU, so that the shares come out alike.
static bool makeTaps(int in, int out, float scale, AxisTaps* taps) {
    float conv = (float)in / out;
    float halfConv = conv / 2;
    int most = (int)conv + 2;
    taps->count = most;
    taps->index = (int*)calloc((size_t)out * most, sizeof(int));
    taps->weight = (Channels*)calloc((size_t)out * most, sizeof(Channels));
    taps->inverseArea = (float*)malloc(sizeof(float) * out);
    if (!taps->index || !taps->weight || !taps->inverseArea) return false;
    for (int i = 0; i < out; i++) {
        float centre = conv * (i + 0.5);
        float low = in > out ? centre - halfConv : centre - 0.5f;
        float high = in > out ? centre + halfConv : centre + 0.5f;
        float area = 0;
        float x = low;
        int used = 0;
        for (int whole = (int)floorf(x); x < high && used < most; x = ++whole, used++) {
            float share = high < whole + 1 ? high - x : whole + 1 - x;
            taps->index[i * most + used] = (whole % in + in) % in;
            taps->weight[i * most + used] = Channels{} + share * scale;
            area += share;
        }
        taps->inverseArea[i] = 1 / area;
    }
    return true;
}

// Bytes to floats and back; SSE2 where there is one, as plain x86-64 builds
// would otherwise turn each channel on its own.
#ifdef __SSE2__
static Channels pixelAt(const uint8_t* p) {
    int32_t word;
    memcpy(&word, p, 4);
    __m128i zero = _mm_setzero_si128();
    __m128i bytes = _mm_cvtsi32_si128(word);
    __m128i ints = _mm_unpacklo_epi16(_mm_unpacklo_epi8(bytes, zero), zero);
    return (Channels)_mm_cvtepi32_ps(ints);
}

static void storeBytes(ChannelInts ints, uint8_t* out) {
    __m128i words = _mm_packs_epi32((__m128i)ints, (__m128i)ints);
    int32_t word = _mm_cvtsi128_si32(_mm_packus_epi16(words, words));
    memcpy(out, &word, 4);
}
#else
static Channels pixelAt(const uint8_t* p) {
    ChannelBytes bytes;
    memcpy(&bytes, p, 4);
    return __builtin_convertvector(bytes, Channels);
}

static void storeBytes(ChannelInts ints, uint8_t* out) {
    ChannelBytes bytes = __builtin_convertvector(ints, ChannelBytes);
    memcpy(out, &bytes, 4);
}
#endif

// One input row's weighted sums for every output column; COUNT is the taps'
// count when known at compile time (the common small ones), else 0.
template <int COUNT>
static void sumRow(const Channels* row, const AxisTaps& across, int outWidth, Channels* sums) {
    const int count = COUNT ? COUNT : across.count;
    const int* index = across.index;
    const Channels* weight = across.weight;
    for (int x = 0; x < outWidth; x++, index += count, weight += count) {
        Channels sum = row[index[0]] * weight[0];
        for (int t = 1; t < count; t++) sum += row[index[t]] * weight[t];
        sums[x] = sum;
    }
}

// Each input pixel is read by one to three output pixels: it is turned into
// floats once, into the row buffer.
static void sumAnyRow(const uint8_t* row, int inWidth, Channels* floats, const AxisTaps& across,
                      int outWidth, Channels* sums) {
    for (int x = 0; x < inWidth; x++) floats[x] = pixelAt(row + 4 * x);
    switch (across.count) {
        case 2:
            sumRow<2>(floats, across, outWidth, sums);
            return;
        case 3:
            sumRow<3>(floats, across, outWidth, sums);
            return;
        default:
            sumRow<0>(floats, across, outWidth, sums);
    }
}

struct RowCache {
    Channels* rows;  // slots rows of outWidth sums
    int* rowOf;      // the input row each slot holds, -1 for none
    int slots;
    Channels* floats;  // one input row as floats
};

// The sums of an input row, from the cache when the last output row used it.
static const Channels* rowSums(RowCache* cache, const uint8_t* in, int inWidth, int y,
                               const AxisTaps& across, int outWidth) {
    int slot = y % cache->slots;
    Channels* sums = cache->rows + (size_t)slot * outWidth;
    if (cache->rowOf[slot] != y) {
        sumAnyRow(in + (size_t)y * inWidth * 4, inWidth, cache->floats, across, outWidth, sums);
        cache->rowOf[slot] = y;
    }
    return sums;
}

// GLU's (total × 257 + 0.5) / area, then the high byte of the 16-bit value;
// the 257 is already in the weights of the vertical pass.
static void storePixel(Channels wideTotal, float inverseArea, uint8_t* out) {
    Channels wide = (wideTotal + 0.5f) * inverseArea;
    storeBytes(__builtin_convertvector(wide, ChannelInts) >> 8, out);
}

// An output row from the sums of the input rows it covers, all in the cache.
static void finishRow(const Channels* const* sums, const Channels* weight, int count,
                      const AxisTaps& across, float inverseAreaY, uint8_t* out, int outWidth) {
    for (int x = 0; x < outWidth; x++, out += 4) {
        Channels total = sums[0][x] * weight[0];
        for (int t = 1; t < count; t++) total += sums[t][x] * weight[t];
        storePixel(total, across.inverseArea[x] * inverseAreaY, out);
    }
}

// The same when two of the rows share a cache slot (a box that wraps from the
// last row to the first): each row's sums are added as soon as they are made.
static void finishRowInTurns(const uint8_t* in, int inWidth, const int* index,
                             const Channels* weight, int count, const AxisTaps& across,
                             float inverseAreaY, RowCache* cache, Channels* total, uint8_t* out,
                             int outWidth) {
    for (int x = 0; x < outWidth; x++) total[x] = Channels{};
    for (int t = 0; t < count; t++) {
        const Channels* sums = rowSums(cache, in, inWidth, index[t], across, outWidth);
        for (int x = 0; x < outWidth; x++) total[x] += sums[x] * weight[t];
    }
    for (int x = 0; x < outWidth; x++, out += 4)
        storePixel(total[x], across.inverseArea[x] * inverseAreaY, out);
}

static void scaleRows(const uint8_t* in, int inWidth, const AxisTaps& across, const AxisTaps& down,
                      int outHeight, RowCache* cache, Channels* total, uint8_t* out, int outWidth) {
    const Channels** sums = (const Channels**)(total + outWidth);
    for (int y = 0; y < outHeight; y++, out += (size_t)outWidth * 4) {
        const int* index = down.index + y * down.count;
        const Channels* weight = down.weight + y * down.count;
        bool allCached = true;
        for (int t = 0; t < down.count; t++)
            sums[t] = rowSums(cache, in, inWidth, index[t], across, outWidth);
        for (int t = 0; t < down.count; t++)
            allCached = allCached && cache->rowOf[index[t] % cache->slots] == index[t];
        if (allCached)
            finishRow(sums, weight, down.count, across, down.inverseArea[y], out, outWidth);
        else
            finishRowInTurns(in, inWidth, index, weight, down.count, across, down.inverseArea[y],
                             cache, total, out, outWidth);
    }
}

bool scaleImageRgba(const uint8_t* in, int inWidth, int inHeight, uint8_t* out, int outWidth,
                    int outHeight) {
    AxisTaps across = {};
    AxisTaps down = {};
    RowCache cache = {};
    Channels* total = nullptr;
    bool made =
        makeTaps(inWidth, outWidth, 1, &across) && makeTaps(inHeight, outHeight, 257, &down);
    if (made) {
        cache.slots = down.count + 1;
        cache.rows = (Channels*)malloc(sizeof(Channels) * (size_t)outWidth * cache.slots);
        cache.rowOf = (int*)malloc(sizeof(int) * cache.slots);
        // The vertical pass's totals, then room for a pointer to each row it reads.
        total = (Channels*)malloc(sizeof(Channels) * (size_t)outWidth + sizeof(void*) * down.count);
        cache.floats = (Channels*)malloc(sizeof(Channels) * (size_t)inWidth);
        made = cache.rows && cache.rowOf && cache.floats && total;
    }
    if (made) {
        for (int s = 0; s < cache.slots; s++) cache.rowOf[s] = -1;
        scaleRows(in, inWidth, across, down, outHeight, &cache, total, out, outWidth);
    }
    freeTaps(&across);
    freeTaps(&down);
    free(cache.rows);
    free(cache.rowOf);
    free(cache.floats);
    free(total);
    return made;
}
