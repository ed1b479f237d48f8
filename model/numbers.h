// Numbers as text, always with the C locale's '.', whatever locale the
// process runs under: atof/atoi semantics for reading, "%f"/"%i" for writing.
#pragma once

#include <cstddef>

double textToDouble(const char* text);  // atof
int textToInt(const char* text);        // atoi, saturating at the int range
// How many bytes at the start of text atof (integer: atoi) reads as its
// number; 0 when it reads none, and the text gives 0.
size_t numberPrefixLength(const char* text, bool integer);
// Whether the whole text is one number as textToDouble (integer: textToInt)
// reads it, so that reading it loses nothing: spaces and tabs around it are
// allowed, and an empty text counts (it reads as 0). "abc", "0,5" and "2x"
// are not numbers; "16.5" is not an integer.
bool isWholeNumber(const char* text, bool integer);
// "%f" of value into buf, like snprintf (size >= 64 is always enough for a
// float); returns the length of the text.
int formatFloat(char* buf, int size, float value);
