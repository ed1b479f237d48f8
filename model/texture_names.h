// Texture names as scripts give them: relative paths inside a folder.
#pragma once

// False for a name that may never be looked up in a folder: empty, absolute,
// or with a ".." component ('/' and '\\' both separate components).
bool isFolderSafeName(const char* name);
