// Numbers as text, always with the C locale's '.', whatever locale the
// process runs under: atof/atoi semantics for reading, "%f"/"%i" for writing.
#pragma once

double textToDouble(const char* text);  // atof
int textToInt(const char* text);        // atoi, saturating at the int range
// "%f" of value into buf, like snprintf (size >= 64 is always enough for a
// float); returns the length of the text.
int formatFloat(char* buf, int size, float value);
