// Reading and writing Veltra script files, and the word tables they share
// with the editor.
#pragma once

#include <cstddef>

#include "script_model.h"

constexpr const char* TOKEN_SEPARATORS = "\r\n\t ";

// Merges the scripts of the file into the library, replacing scripts of the
// same name. A file that cannot be opened leaves the library unchanged.
void readScriptFile(const char* path);
// The same merge for text already in memory (size bytes, need not end in a
// NUL). As for a file, the text ends at its first NUL byte.
void readScriptText(const char* text, size_t size);

// Writes the whole library. The file at path is replaced only once every
// byte is on disk; returns false (and leaves the old file whole) otherwise,
// with errno telling why.
bool writeScriptFile(const char* path);
// The same for any list of scripts (a copy of the library, for example).
bool writeScriptList(const Script* scripts, const char* path);

WaveType waveTypeFromName(const char* word);
const char* waveTypeName(WaveType value);
float blendFactorFromName(const char* name);
const char* blendFactorName(float value);
