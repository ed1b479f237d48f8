// Numbers as text in the C locale. The desktop toolkit sets the process
// locale from the environment; under a decimal-comma locale plain atof and
// "%f" would read "0.5" as 0 and write "0,500000", so everything here goes
// through one C locale object instead.
#include "numbers.h"

#include <locale.h>
#include <climits>
#include <clocale>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

static locale_t cLocale() {
    static locale_t locale = newlocale(LC_ALL_MASK, "C", (locale_t)0);
    return locale;
}

// Plain decimals ("-1.500000", "0.25", "12") of at most 19 digits whose
// value in units of their last digit is below 2^53, with at most 22 digits
// after the point: both that integer and the power of ten are exact doubles,
// so one division rounds exactly as strtod does. False for anything else
// (an exponent, hexadecimal, inf, nan, leading spaces), left to strtod.
static bool readPlainDecimal(const char* text, double* value) {
    const char* c = text;
    const bool negative = *c == '-';
    if (*c == '-' || *c == '+') c++;
    if (c[0] == '0' && (c[1] == 'x' || c[1] == 'X')) return false;
    uint64_t digits = 0;
    int count = 0;
    int decimals = 0;
    bool point = false;
    for (;; c++) {
        if (*c >= '0' && *c <= '9') {
            if (++count > 19) return false;
            digits = digits * 10 + (uint64_t)(*c - '0');
            decimals += point;
        } else if (*c == '.' && !point) {
            point = true;
        } else {
            break;
        }
    }
    if (count == 0 || *c == 'e' || *c == 'E' || digits > (1ull << 53) || decimals > 22)
        return false;
    static const double POWERS_OF_TEN[23] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                             1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                             1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    const double magnitude = (double)digits / POWERS_OF_TEN[decimals];
    *value = negative ? -magnitude : magnitude;
    return true;
}

double textToDouble(const char* text) {
    double value;
    if (readPlainDecimal(text, &value)) return value;
    return strtod_l(text, nullptr, cLocale());
}

int textToInt(const char* text) {
    long value = strtol_l(text, nullptr, 10, cLocale());
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return (int)value;
}

// The length of a plain decimal that makes up the whole text ("12", "-0.5",
// ".25"), or 0 for anything else.
static size_t wholePlainDecimal(const char* text, bool integer) {
    const char* c = text + (*text == '-' || *text == '+');
    size_t digits = 0;
    for (; *c >= '0' && *c <= '9'; c++) digits++;
    if (*c == '.' && !integer)
        for (c++; *c >= '0' && *c <= '9'; c++) digits++;
    return digits && *c == '\0' ? (size_t)(c - text) : 0;
}

size_t numberPrefixLength(const char* text, bool integer) {
    if (size_t length = wholePlainDecimal(text, integer)) return length;
    char* end = nullptr;
    if (integer)
        (void)strtol_l(text, &end, 10, cLocale());
    else
        (void)strtod_l(text, &end, cLocale());
    return (size_t)(end - text);
}

static bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

bool isWholeNumber(const char* text, bool integer) {
    while (isBlank(*text)) text++;
    size_t length = strlen(text);
    while (length > 0 && isBlank(text[length - 1])) length--;
    if (length == 0) return true;
    char trimmed[128];
    if (length >= sizeof trimmed) return false;  // longer than any box keeps
    memcpy(trimmed, text, length);
    trimmed[length] = '\0';
    return numberPrefixLength(trimmed, integer) == length;
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
    if (biasedExponent == 0xff) return -1;
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
        uint64_t rounded = 0;                  // a shift of 64 or more leaves less than 0.5
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
    while (count) out[length++] = digits[--count];
    out[length++] = '.';
    for (int i = 5; i >= 0; i--, millionths /= 10) out[length + i] = (char)('0' + millionths % 10);
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
