// Number conversions: "%f" exactly as the C library prints a float, and
// atof/atoi semantics for reading.
#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>

#include "numbers.h"

static std::string formatted(float value) {
    char text[64];
    int length = formatFloat(text, sizeof text, value);
    EXPECT_EQ(length, (int)strlen(text));
    return text;
}

static std::string printed(float value) {
    char text[128];
    snprintf(text, sizeof text, "%f", (double)value);
    return text;
}

static float fromBits(uint32_t bits) {
    float value;
    memcpy(&value, &bits, sizeof value);
    return value;
}

TEST(Numbers, FormatFloatMatchesTheCLibraryOnTrickyValues) {
    const float values[] = {
        0.0f, -0.0f, 0.5f, 0.0078125f, -0.0078125f, 0.0000005f, -0.0000005f,
        std::nextafter(0.0000005f, 0.0f), std::nextafter(0.0000005f, 1.0f),
        0.0000015f, 0.0000025f, 1e-7f, -1e-7f, 1e-30f, FLT_MIN, FLT_TRUE_MIN, -FLT_TRUE_MIN,
        fromBits(0x007fffff), 1e7f, 1e8f, 1e9f, 1e10f, 1e11f, 1e12f, 16777216.0f,
        18446744073709551616.0f, 1e30f, FLT_MAX, -FLT_MAX, 0.001f, 0.1f, 123.456f,
        INFINITY, -INFINITY, NAN, -NAN};
    for (float value : values)
        EXPECT_EQ(formatted(value), printed(value)) << "value " << value;
}

TEST(Numbers, FormatFloatMatchesTheCLibraryOnRandomBitPatterns) {
    std::mt19937 random(20261206);
    std::uniform_int_distribution<int> exponent(100, 170);  // where rounding happens
    for (int i = 0; i < 2000000; i++) {
        uint32_t bits = random();
        if (i % 2)
            bits = (bits & 0x807fffffu) | ((uint32_t)exponent(random) << 23);
        float value = fromBits(bits);
        ASSERT_EQ(formatted(value), printed(value)) << "bits " << std::hex << bits;
    }
}

TEST(Numbers, TextReadsLikeAtofAndAtoi) {
    EXPECT_EQ(textToDouble("0.5"), 0.5);
    EXPECT_EQ(textToDouble("-2.25xyz"), -2.25);
    EXPECT_EQ(textToDouble("abc"), 0.0);
    EXPECT_EQ(textToDouble("1e3"), 1000.0);
    EXPECT_EQ(textToInt("42abc"), 42);
    EXPECT_EQ(textToInt("-7"), -7);
    EXPECT_EQ(textToInt("x"), 0);
    EXPECT_EQ(textToInt("99999999999"), INT_MAX);
    EXPECT_EQ(textToInt("-99999999999999999999999"), INT_MIN);
}
