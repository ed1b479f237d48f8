// The script reader under libFuzzer: any bytes must read without a crash,
// a leak or a read past the text, and leave a library whose records keep
// their invariants. Each input is read twice, so that the second read
// replaces every script of the first; the second read tells an observer,
// whose every note must point at a word of the text. A third read finds the
// problems of the text, each at a place inside it.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "problems.h"
#include "script_file.h"
#include "script_library.h"

static void checkLibrary(const ScriptLibrary& library) {
    for (const Script* script = library.scripts; script; script = script->next) {
        if (!memchr(script->name, '\0', sizeof script->name)) __builtin_trap();
        for (const Stage* stage = script->stages; stage; stage = stage->next) {
            int frames = 0;
            bool currentIsOwn = stage->animCurrent == nullptr;
            for (const AnimFrame* frame = stage->animFrames; frame; frame = frame->next) {
                frames++;
                currentIsOwn |= frame == stage->animCurrent;
                if (!memchr(frame->name, '\0', sizeof frame->name)) __builtin_trap();
            }
            if (frames != stage->animFrameCount || !currentIsOwn ||
                !memchr(stage->map, '\0', sizeof stage->map))
                __builtin_trap();
        }
    }
}

static void checkNote(const ReadNote& note, void* context) {
    const char* text = static_cast<const char*>(context);
    const size_t length = strlen(note.word);
    if (length == 0 || memcmp(text + note.offset, note.word, length) != 0) __builtin_trap();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const char* text = reinterpret_cast<const char*>(data);
    {
        ScriptLibrary library;
        readScriptText(library, text, size);
        const ReadObserver observer = {checkNote, const_cast<char*>(text)};
        readScriptText(library, text, size, &observer);
        checkLibrary(library);
    }
    {
        ScriptLibrary library;
        std::vector<Problem> problems;
        ProblemFinder(library).read("fuzz", text, size, problems);
        for (const Problem& problem : problems)
            if (problem.line < 1 || problem.column < 1) __builtin_trap();
    }
    if (recordsInUse() != 0)  // a record the library lost: a leak
        __builtin_trap();
    releaseRecordBlocks();
    return 0;
}
