#include "library_snapshot.h"

#include "script_copy.h"

#include <ctime>

static double monotonicSeconds() {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (double)now.tv_sec + (double)now.tv_nsec * 1e-9;
}

void freeSnapshot(LibrarySnapshot& snapshot) {
    while (snapshot.head) {
        Script* next = snapshot.head->next;
        freeDetachedScript(snapshot.head);
        snapshot.head = next;
    }
    snapshot.tail = &snapshot.head;  // the record points into itself
    snapshot.next = nullptr;
    snapshot.editCount = 0;
    snapshot.complete = false;
}

static void beginSnapshot(const ScriptLibrary& library, LibrarySnapshot& snapshot) {
    freeSnapshot(snapshot);
    snapshot.next = library.scripts;
    snapshot.editCount = library.editCount;
}

bool continueSnapshot(const ScriptLibrary& library, LibrarySnapshot& snapshot, double maxSeconds) {
    // Before anything is read: the script to copy next may be gone.
    if (!snapshot.head && !snapshot.next)
        beginSnapshot(library, snapshot);
    else if (snapshot.editCount != library.editCount)
        beginSnapshot(library, snapshot);
    if (snapshot.complete) return true;
    const double deadline = monotonicSeconds() + maxSeconds;
    int copied = 0;
    while (snapshot.next) {
        Script* copy = copyScript(snapshot.next);
        if (!copy) return false;  // tried again at the next slice
        *snapshot.tail = copy;
        snapshot.tail = &copy->next;
        snapshot.next = snapshot.next->next;
        if (++copied % 16 == 0 && monotonicSeconds() > deadline) return false;
    }
    snapshot.complete = true;
    return true;
}
