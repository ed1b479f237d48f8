// A resampler that gives the results of GLU's gluScaleImage for 8-bit RGBA.
// GLU averages, for each output pixel, the box of input it covers, weighting
// each input pixel by the area it shares with the box; when enlarging, the
// box is one input pixel wide; boxes that stick out past an edge wrap to the
// opposite edge. It works in 16-bit channels (a byte times 257) and keeps the
// high byte of (total + 0.5) / area. The box is a product of an interval on
// each axis, so the filter runs as a horizontal pass into rows of sums and a
// vertical pass over them, each with its weights worked out once: in floats
// for any size, and in fixed point, several times faster, for the common
// reductions of up to 6 times where the processor has SSE2.
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

// Output pixel i's box on an axis of in pixels made out long: the shares of
// the input pixels it covers, from *first on, worked out with the same float
// arithmetic as GLU so that they come out alike. *first may be -1 and the
// box may run past in - 1: those pixels wrap to the opposite edge. Returns
// how many shares, at most mostTaps(in, out).
static int mostTaps(int in, int out) {
    return (int)((float)in / out) + 2;
}

static int boxShares(int in, int out, int i, int* first, float* shares) {
    float conv = (float)in / out;
    float halfConv = conv / 2;
    int most = mostTaps(in, out);
    float centre = conv * (i + 0.5);
    float low = in > out ? centre - halfConv : centre - 0.5f;
    float high = in > out ? centre + halfConv : centre + 0.5f;
    float x = low;
    int used = 0;
    *first = (int)floorf(x);
    for (int whole = *first; x < high && used < most; x = ++whole, used++)
        shares[used] = high < whole + 1 ? high - x : whole + 1 - x;
    return used;
}

static bool makeTaps(int in, int out, float scale, AxisTaps* taps) {
    int most = mostTaps(in, out);
    taps->count = most;
    taps->index = (int*)calloc((size_t)out * most, sizeof(int));
    taps->weight = (Channels*)calloc((size_t)out * most, sizeof(Channels));
    taps->inverseArea = (float*)malloc(sizeof(float) * out);
    float* shares = (float*)malloc(sizeof(float) * most);
    bool made = taps->index && taps->weight && taps->inverseArea && shares;
    for (int i = 0; made && i < out; i++) {
        int first = 0;
        int used = boxShares(in, out, i, &first, shares);
        float area = 0;
        for (int t = 0; t < used; t++) {
            taps->index[i * most + t] = ((first + t) % in + in) % in;
            taps->weight[i * most + t] = Channels{} + shares[t] * scale;
            area += shares[t];
        }
        taps->inverseArea[i] = 1 / area;
    }
    free(shares);
    return made;
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

#ifdef __SSE2__
// ---------------------------------------------------------------------------
// The same filter in 16-bit fixed point for boxes of at most FIXED_MOST_TAPS
// pixels on each axis. Each pass multiplies two pixels' channels by their
// weights and adds them in one step (_mm_madd_epi16), and reads its pixels
// in runs rather than one by one. Its results stay within a third of a step
// of exact ones, so within 1 of GLU's: the weights of a box are off by at
// most a unit (1 / 16384 of the whole) a pixel together, 8 pixels at most on
// each axis, and the horizontal sums by 1 / 256 of a step.
constexpr int FIXED_MOST_TAPS = 8;
// An output pixel's horizontal weights add up to ACROSS_ONE, and the
// horizontal sums are kept as a channel times 2^(14 - SUM_SHIFT) = 128.
constexpr int ACROSS_ONE = 1 << 14;
constexpr int SUM_SHIFT = 7;
// The vertical weights add up to 2^14 × 257 / 256: GLU's 16-bit channel
// (a byte × 257), whose high byte it keeps, is the top byte above RESULT_SHIFT.
constexpr int DOWN_ONE = (1 << 14) * 257 / 256;
constexpr int RESULT_SHIFT = 14 + 14 - SUM_SHIFT;
constexpr int PAD_LEFT = 1;  // a box reaches at most one pixel before the first

// Shares as whole weights adding up to exactly one, the rounding's remainder
// on the largest, which keeps the results closer to GLU's.
static void fixedWeights(const float* shares, int used, int one, int16_t* weights) {
    float area = 0;
    for (int t = 0; t < used; t++) area += shares[t];
    int total = 0;
    int largest = 0;
    for (int t = 0; t < used; t++) {
        weights[t] = (int16_t)lrintf(shares[t] / area * one);
        total += weights[t];
        if (weights[t] > weights[largest]) largest = t;
    }
    weights[largest] = (int16_t)(weights[largest] + one - total);
}

// Horizontal taps: for each output pixel its first input pixel and the
// weights of the count pixels from there, in pairs (pixels 0 and 1, 2 and
// 3, ...), each pair four times over, once per channel.
struct FixedAcross {
    int count;  // 2, 4 or 8
    int* first;
    __m128i* pairs;  // out × count / 2
};

// Vertical taps: for each output row its first input row, how many rows
// from there have a share, and their weights (FIXED_MOST_TAPS a row).
struct FixedDown {
    int* first;
    int* used;
    int16_t* weight;
};

static bool makeFixedAcross(int in, int out, FixedAcross* across) {
    int most = mostTaps(in, out);
    across->count = most <= 2 ? 2 : most <= 4 ? 4 : 8;
    const int count = across->count;
    across->first = (int*)malloc(sizeof(int) * out);
    across->pairs = (__m128i*)malloc(sizeof(__m128i) * out * count / 2);
    if (!across->first || !across->pairs) return false;
    float shares[FIXED_MOST_TAPS];
    int16_t w[FIXED_MOST_TAPS];
    for (int x = 0; x < out; x++) {
        int used = boxShares(in, out, x, &across->first[x], shares);
        fixedWeights(shares, used, ACROSS_ONE, w);
        for (int t = used; t < count; t++) w[t] = 0;
        for (int p = 0; p < count / 2; p++)
            across->pairs[x * count / 2 + p] =
                _mm_set1_epi32((uint16_t)w[2 * p] | (uint32_t)(uint16_t)w[2 * p + 1] << 16);
    }
    return true;
}

static bool makeFixedDown(int in, int out, FixedDown* down) {
    down->first = (int*)malloc(sizeof(int) * out);
    down->used = (int*)malloc(sizeof(int) * out);
    down->weight = (int16_t*)calloc((size_t)out * FIXED_MOST_TAPS, sizeof(int16_t));
    if (!down->first || !down->used || !down->weight) return false;
    float shares[FIXED_MOST_TAPS];
    for (int y = 0; y < out; y++) {
        down->used[y] = boxShares(in, out, y, &down->first[y], shares);
        fixedWeights(shares, down->used[y], DOWN_ONE, down->weight + y * FIXED_MOST_TAPS);
    }
    return true;
}

// Channels of two pixels side by side (0 and 1, then 2 and 3 ...), 16 bits
// each, times the pair's weights: four sums, one per channel.
static inline __m128i weighTwo(__m128i bytes, __m128i next, __m128i pair) {
    __m128i sideBySide = _mm_unpacklo_epi8(_mm_unpacklo_epi8(bytes, next), _mm_setzero_si128());
    return _mm_madd_epi16(sideBySide, pair);
}

// COUNT input pixels from pixels times their weights, summed per channel,
// as a channel × 128.
template <int COUNT>
static inline __m128i acrossSum(const uint8_t* pixels, const __m128i* pairs) {
    __m128i sum;
    if (COUNT == 2) {
        __m128i two = _mm_loadl_epi64((const __m128i*)pixels);
        sum = weighTwo(two, _mm_srli_si128(two, 4), pairs[0]);
    } else {
        sum = _mm_setzero_si128();
        for (int g = 0; g < COUNT / 4; g++) {
            __m128i four = _mm_loadu_si128((const __m128i*)(pixels + 16 * g));
            __m128i next = _mm_srli_si128(four, 4);
            sum = _mm_add_epi32(sum, weighTwo(four, next, pairs[2 * g]));
            sum = _mm_add_epi32(sum, weighTwo(_mm_unpackhi_epi64(four, four),
                                              _mm_unpackhi_epi64(next, next), pairs[2 * g + 1]));
        }
    }
    return _mm_srai_epi32(_mm_add_epi32(sum, _mm_set1_epi32(1 << (SUM_SHIFT - 1))), SUM_SHIFT);
}

// One input row, edges wrapped as padding around it, into a row of
// horizontal sums: 16 bits a channel, an even number of pixels.
template <int COUNT>
static void sumAcross(const uint8_t* padded, const FixedAcross& across, int outWidth,
                      int16_t* sums) {
    const __m128i* pairs = across.pairs;
    for (int x = 0; x < outWidth; x += 2, pairs += COUNT) {
        __m128i left = acrossSum<COUNT>(padded + 4 * (across.first[x] + PAD_LEFT), pairs);
        __m128i right = left;
        if (x + 1 < outWidth)
            right =
                acrossSum<COUNT>(padded + 4 * (across.first[x + 1] + PAD_LEFT), pairs + COUNT / 2);
        _mm_storeu_si128((__m128i*)(sums + 4 * x), _mm_packs_epi32(left, right));
    }
}

// The input row copied between copies of the pixels beyond its edges that
// boxes reach (those of the opposite edge), so that every box reads its
// pixels in one run.
static void padRow(const uint8_t* row, int inWidth, int padRight, uint8_t* padded) {
    memcpy(padded + 4 * PAD_LEFT, row, (size_t)inWidth * 4);
    for (int x = -PAD_LEFT; x < 0; x++)
        memcpy(padded + 4 * (x + PAD_LEFT), row + 4 * ((x % inWidth + inWidth) % inWidth), 4);
    for (int x = inWidth; x < inWidth + padRight; x++)
        memcpy(padded + 4 * (x + PAD_LEFT), row + 4 * (x % inWidth), 4);
}

struct FixedRows {
    int16_t** rows;  // slots rows of horizontal sums, as many as a box covers
    int* rowOf;      // the input row (unwrapped) each slot holds
    int slots;
    uint8_t* padded;
    int padRight;
};

static const int16_t* fixedRow(FixedRows* cache, const uint8_t* in, int inWidth, int inHeight,
                               int y, const FixedAcross& across, int outWidth) {
    int slot = (y + PAD_LEFT) % cache->slots;
    if (cache->rowOf[slot] != y) {
        int wrapped = (y % inHeight + inHeight) % inHeight;
        padRow(in + (size_t)wrapped * inWidth * 4, inWidth, cache->padRight, cache->padded);
        int16_t* sums = cache->rows[slot];
        if (across.count == 2)
            sumAcross<2>(cache->padded, across, outWidth, sums);
        else if (across.count == 4)
            sumAcross<4>(cache->padded, across, outWidth, sums);
        else
            sumAcross<8>(cache->padded, across, outWidth, sums);
        cache->rowOf[slot] = y;
    }
    return cache->rows[slot];
}

// An output row from the sums of the rows its boxes cover, two rows a step.
template <int PAIRS>
static void sumDown(const int16_t* const* rows, const int16_t* weight, int outWidth, uint8_t* out) {
    __m128i pairs[PAIRS];
    for (int p = 0; p < PAIRS; p++)
        pairs[p] =
            _mm_set1_epi32((uint16_t)weight[2 * p] | (uint32_t)(uint16_t)weight[2 * p + 1] << 16);
    for (int x = 0; x < outWidth; x += 2) {
        __m128i left = _mm_setzero_si128();
        __m128i right = _mm_setzero_si128();
        for (int p = 0; p < PAIRS; p++) {
            __m128i a = _mm_loadu_si128((const __m128i*)(rows[2 * p] + 4 * x));
            __m128i b = _mm_loadu_si128((const __m128i*)(rows[2 * p + 1] + 4 * x));
            left = _mm_add_epi32(left, _mm_madd_epi16(_mm_unpacklo_epi16(a, b), pairs[p]));
            right = _mm_add_epi32(right, _mm_madd_epi16(_mm_unpackhi_epi16(a, b), pairs[p]));
        }
        __m128i words = _mm_packs_epi32(_mm_srai_epi32(left, RESULT_SHIFT),
                                        _mm_srai_epi32(right, RESULT_SHIFT));
        __m128i bytes = _mm_packus_epi16(words, words);
        if (x + 1 < outWidth)
            _mm_storel_epi64((__m128i*)(out + 4 * x), bytes);
        else
            memcpy(out + 4 * x, &bytes, 4);
    }
}

static void scaleFixedRows(const uint8_t* in, int inWidth, int inHeight, const FixedAcross& across,
                           const FixedDown& down, FixedRows* cache, uint8_t* out, int outWidth,
                           int outHeight) {
    const int16_t* rows[FIXED_MOST_TAPS + 1];
    for (int y = 0; y < outHeight; y++, out += (size_t)outWidth * 4) {
        const int used = down.used[y];
        const int16_t* weight = down.weight + y * FIXED_MOST_TAPS;
        for (int t = 0; t < used; t++)
            rows[t] = fixedRow(cache, in, inWidth, inHeight, down.first[y] + t, across, outWidth);
        rows[used] = rows[used - 1];  // weighs 0 when used is odd
        switch ((used + 1) / 2) {
            case 1:
                sumDown<1>(rows, weight, outWidth, out);
                break;
            case 2:
                sumDown<2>(rows, weight, outWidth, out);
                break;
            case 3:
                sumDown<3>(rows, weight, outWidth, out);
                break;
            default:
                sumDown<4>(rows, weight, outWidth, out);
        }
    }
}

static bool scaleFixed(const uint8_t* in, int inWidth, int inHeight, uint8_t* out, int outWidth,
                       int outHeight) {
    FixedAcross across = {};
    FixedDown down = {};
    FixedRows cache = {};
    bool made =
        makeFixedAcross(inWidth, outWidth, &across) && makeFixedDown(inHeight, outHeight, &down);
    const size_t rowSize = sizeof(int16_t) * 4 * (size_t)((outWidth + 1) & ~1);
    if (made) {
        cache.slots = mostTaps(inHeight, outHeight);
        cache.padRight = across.count + 1;
        cache.rows = (int16_t**)calloc(cache.slots, sizeof(int16_t*));
        cache.rowOf = (int*)malloc(sizeof(int) * cache.slots);
        cache.padded = (uint8_t*)malloc((size_t)(inWidth + PAD_LEFT + cache.padRight) * 4);
        made = cache.rows && cache.rowOf && cache.padded;
    }
    for (int s = 0; made && s < cache.slots; s++)
        made = (cache.rows[s] = (int16_t*)malloc(rowSize)) != nullptr;
    if (made) {
        for (int s = 0; s < cache.slots; s++) cache.rowOf[s] = -PAD_LEFT - 1;
        scaleFixedRows(in, inWidth, inHeight, across, down, &cache, out, outWidth, outHeight);
    }
    for (int s = 0; cache.rows && s < cache.slots; s++) free(cache.rows[s]);
    free(cache.rows);
    free(cache.rowOf);
    free(cache.padded);
    free(across.first);
    free(across.pairs);
    free(down.first);
    free(down.used);
    free(down.weight);
    return made;
}
#endif

bool scaleImageRgba(const uint8_t* in, int inWidth, int inHeight, uint8_t* out, int outWidth,
                    int outHeight) {
#ifdef __SSE2__
    if (mostTaps(inWidth, outWidth) <= FIXED_MOST_TAPS &&
        mostTaps(inHeight, outHeight) <= FIXED_MOST_TAPS)
        return scaleFixed(in, inWidth, inHeight, out, outWidth, outHeight);
#endif
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
