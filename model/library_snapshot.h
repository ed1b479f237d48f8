// A copy of the whole library, made a slice at a time between preview
// frames, for writing in the background (the recovery copy). A change to
// the library between two slices starts the copy over.
#pragma once

#include "script_library.h"

#include <cstdint>

struct LibrarySnapshot {
    Script* head = nullptr;  // the copies made so far, in library order
    Script** tail = &head;
    const Script* next = nullptr;  // the next library script to copy
    uint64_t editCount = 0;        // the library's editCount when the copy began
    bool complete = false;
};

// Copies scripts for at most maxSeconds; true once the copy is complete.
bool continueSnapshot(const ScriptLibrary& library, LibrarySnapshot& snapshot, double maxSeconds);
// Releases the copies; the snapshot starts over at its next slice.
void freeSnapshot(LibrarySnapshot& snapshot);
