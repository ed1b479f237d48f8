// Numbers as text in the C locale. The desktop toolkit sets the process
// locale from the environment; under a decimal-comma locale plain atof and
// "%f" would read "0.5" as 0 and write "0,500000", so everything here goes
// through one C locale object instead.
#include "numbers.h"

#include <climits>
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

int formatFloat(char* buf, int size, float value) {
    locale_t previous = uselocale(cLocale());
    int length = snprintf(buf, (size_t)size, "%f", (double)value);
    uselocale(previous);
    return length;
}
