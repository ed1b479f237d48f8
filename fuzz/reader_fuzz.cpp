// The script reader under libFuzzer: any bytes read without a crash, leak or read past the
// text into records that keep their invariants; read again over them, with every note at a
// word of the text; and read for problems, each at a place inside the text.
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
            if (!memchr(stage->map, '\0', sizeof stage->map)) __builtin_trap();
            int frames = 0;
            bool currentIsOwn = stage->animCurrent == nullptr;
            for (const AnimFrame* frame = stage->animFrames; frame; frame = frame->next) {
                frames++;
                currentIsOwn |= frame == stage->animCurrent;
                if (!memchr(frame->name, '\0', sizeof frame->name)) __builtin_trap();
            }
            if (frames != stage->animFrameCount || !currentIsOwn) __builtin_trap();
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
