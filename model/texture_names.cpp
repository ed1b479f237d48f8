#include "texture_names.h"

#include <cstring>

static bool isPathSeparator(char c) {
    return c == '/' || c == '\\';
}

bool isFolderSafeName(const char* name) {
    if (!name[0] || isPathSeparator(name[0])) return false;
    const char* dot = strchr(name, '.');
    while (dot && dot[1] != '.') dot = strchr(dot + 1, '.');
    if (!dot) return true;  // nearly every name: no ".." at all
    for (const char* part = name; *part;) {
        size_t length = strcspn(part, "/\\");
        if (length == 2 && part[0] == '.' && part[1] == '.') return false;
        part += length;
        if (*part) part++;
    }
    return true;
}
