// Numbers as text in the C locale. The desktop toolkit sets the process
// locale from the environment; under a decimal-comma locale plain atof and
// "%f" would read "0.5" as 0 and write "0,500000", so everything here goes
// through one C locale object instead.
#include "numbers.h"

#include <climits>
#include <cstdint>
#include <cstring>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <locale.h>

static locale_t cLocale() {
    static locale_t locale = newlocale(LC_ALL_MASK, "C", (locale_t)0);
    return locale;
}

double textToDouble(const char* text) {
    return strtod_l(text, nullptr, cLocale());
}

int textToInt(const char* text) {
    long value = strtol_l(text, nullptr, 10, cLocale());
    if (value > INT_MAX)
        return INT_MAX;
    if (value < INT_MIN)
        return INT_MIN;
    return (int)value;
}

// "%f" of a finite float, exactly as the C library prints it, without the
// cost of the general conversion: a float is mantissa * 2^exponent, so its
// value in millionths is one multiplication and one shift, rounded half to
// even like the C library in the default rounding mode. The integer part
// of the largest float still fits 128 bits. Returns the length, or -1 for
// infinities and NaN.
static int formatFiniteFloat(char* out, float value) {
    uint32_t bits;
    memcpy(&bits, &value, sizeof bits);
    int biasedExponent = (int)((bits >> 23) & 0xff);
    if (biasedExponent == 0xff)
        return -1;
    uint64_t mantissa = bits & 0x7fffff;
    int exponent = -149;  // denormals
    if (biasedExponent) {
        mantissa |= 0x800000;
        exponent = biasedExponent - 150;
    }

    unsigned __int128 integerPart;
    uint32_t millionths = 0;
    if (exponent >= 0) {
        integerPart = (unsigned __int128)mantissa << exponent;
    } else {
        int shift = -exponent;
        uint64_t scaled = mantissa * 1000000;  // below 2^44
        uint64_t rounded = 0;                   // a shift of 64 or more leaves less than 0.5
        if (shift < 64) {
            uint64_t quotient = scaled >> shift;
            uint64_t remainder = scaled & ((1ull << shift) - 1);
            uint64_t half = 1ull << (shift - 1);
            rounded = quotient + (remainder > half || (remainder == half && (quotient & 1)));
        }
        integerPart = rounded / 1000000;
        millionths = (uint32_t)(rounded % 1000000);
    }

    char digits[40];
    int count = 0;
    while (integerPart >> 64) {  // 128-bit division only for the huge values
        digits[count++] = (char)('0' + (int)(integerPart % 10));
        integerPart /= 10;
    }
    uint64_t smallPart = (uint64_t)integerPart;
    do {
        digits[count++] = (char)('0' + (int)(smallPart % 10));
        smallPart /= 10;
    } while (smallPart);

    int length = 0;
    if (bits >> 31)  // the C library keeps the sign of -0.0 and of tiny negatives
        out[length++] = '-';
    while (count)
        out[length++] = digits[--count];
    out[length++] = '.';
    for (int i = 5; i >= 0; i--, millionths /= 10)
        out[length + i] = (char)('0' + millionths % 10);
    length += 6;
    out[length] = '\0';
    return length;
}

int formatFloat(char* buf, int size, float value) {
    char text[64];
    int length = formatFiniteFloat(text, value);
    if (length >= 0 && length < size) {
        memcpy(buf, text, (size_t)length + 1);
        return length;
    }
    locale_t previous = uselocale(cLocale());
    length = snprintf(buf, (size_t)size, "%f", (double)value);
    uselocale(previous);
    return length;
}
