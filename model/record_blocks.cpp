// Memory of the model's records. A large library holds hundreds of thousands
// of small records, so they are carved from 2 MiB blocks rather than made
// one heap object each: a read touches few, large pages (huge pages where
// the system gives them), and a released record is handed out again first,
// to the next record of its kind, while it is still in the cache. The blocks
// stay for reuse until releaseRecordBlocks, once no record is left.
#include "script_model.h"

#include <sys/mman.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>

#if defined(__SANITIZE_ADDRESS__)
#define RECORDS_CHECKED_BY_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define RECORDS_CHECKED_BY_ASAN 1
#endif
#endif

#ifdef RECORDS_CHECKED_BY_ASAN
#include <sanitizer/asan_interface.h>
// Free records, the space not yet carved and a guard after each record stay
// poisoned, so that a use after release or a write past a record is caught
// as it would be for a heap object.
constexpr size_t GUARD_SIZE = 32;
static void poison(void* start, size_t size) {
    ASAN_POISON_MEMORY_REGION(start, size);
}
static void unpoison(void* start, size_t size) {
    ASAN_UNPOISON_MEMORY_REGION(start, size);
}
#else
constexpr size_t GUARD_SIZE = 0;
static void poison(void*, size_t) {}
static void unpoison(void*, size_t) {}
#endif

constexpr size_t BLOCK_SIZE = size_t(2) << 20;  // one huge page
constexpr size_t BLOCK_HEADER_SIZE = 64;        // the link to the next block, records after it

struct Block {
    Block* next;  // in the order the blocks were mapped
};

struct FreeRecord {
    FreeRecord* next;
};

// Blocks carved one record after another. Scripts have blocks of their own,
// so that walking the library touches nothing else; stages and frames share
// theirs, lying together in the order they were read, as the reader and
// the writer walk them. Once no record is in use the blocks are carved
// again from the first.
struct Arena {
    Block* blocks = nullptr;
    Block* carving = nullptr;  // one of blocks, or null before the first
    char* uncarved = nullptr;
    char* blockEnd = nullptr;
    bool carvingUsedBlock = false;  // its records must be zeroed
};

static Arena scriptArena;
static Arena stageArena;
static Arena* const ARENAS[] = {&scriptArena, &stageArena};

// Each kind keeps its released records for reuse.
struct RecordKind {
    Arena& arena;
    size_t size;
    size_t stride;  // record, guard and alignment
    FreeRecord* released = nullptr;
    size_t inUse = 0;

    RecordKind(Arena& carvedFrom, size_t recordSize)
        : arena(carvedFrom),
          size(recordSize),
          stride((recordSize + GUARD_SIZE + 15) & ~size_t(15)) {}
};

// A script record carries its origin right after it.
static_assert(sizeof(Script) % alignof(ScriptOrigin) == 0);
static RecordKind scriptKind(scriptArena, sizeof(Script) + sizeof(ScriptOrigin));
static RecordKind stageKind(stageArena, sizeof(Stage));
static RecordKind frameKind(stageArena, sizeof(AnimFrame));
static RecordKind* const KINDS[] = {&scriptKind, &stageKind, &frameKind};

// A zero-filled block on a block-size boundary, so that it can be backed by
// one huge page.
static char* mapBlock() {
    const int protection = PROT_READ | PROT_WRITE;
    char* mapped =
        (char*)mmap(nullptr, 2 * BLOCK_SIZE, protection, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED) return nullptr;
    char* block = (char*)(((uintptr_t)mapped + BLOCK_SIZE - 1) & ~(uintptr_t)(BLOCK_SIZE - 1));
    if (block > mapped) munmap(mapped, (size_t)(block - mapped));
    munmap(block + BLOCK_SIZE, (size_t)(mapped + BLOCK_SIZE - block));
    madvise(block, BLOCK_SIZE, MADV_HUGEPAGE);
    return block;
}

static void startCarving(Arena& arena, Block* block, bool used) {
    arena.carving = block;
    arena.uncarved = (char*)block + BLOCK_HEADER_SIZE;
    arena.blockEnd = (char*)block + BLOCK_SIZE;
    arena.carvingUsedBlock = used;
    poison(arena.uncarved, BLOCK_SIZE - BLOCK_HEADER_SIZE);
}

// Moves the carving on to the next block, mapping one when none is left.
static bool nextBlock(Arena& arena) {
    if (arena.carving && arena.carving->next) {
        startCarving(arena, arena.carving->next, true);
        return true;
    }
    Block* block = (Block*)mapBlock();
    if (!block) return false;
    block->next = nullptr;
    if (arena.carving)
        arena.carving->next = block;
    else
        arena.blocks = block;
    startCarving(arena, block, false);
    return true;
}

size_t recordsInUse() {
    return scriptKind.inUse + stageKind.inUse + frameKind.inUse;
}

// With no record in use, every block is free: carving starts over.
static void carveFromTheStart() {
    for (RecordKind* kind : KINDS) kind->released = nullptr;
    for (Arena* arena : ARENAS) {
        for (Block* block = arena->blocks; block; block = block->next)
            poison((char*)block + BLOCK_HEADER_SIZE, BLOCK_SIZE - BLOCK_HEADER_SIZE);
        if (arena->blocks) startCarving(*arena, arena->blocks, true);
    }
}

// A zero-filled record, or null when memory runs out.
static void* allocateRecord(RecordKind& kind) {
    void* record;
    if (kind.released) {
        record = kind.released;
        unpoison(record, kind.size);
        kind.released = kind.released->next;
        memset(record, 0, kind.size);
    } else {
        Arena& arena = kind.arena;
        if ((size_t)(arena.blockEnd - arena.uncarved) < kind.stride && !nextBlock(arena))
            return nullptr;
        record = arena.uncarved;
        arena.uncarved += kind.stride;
        unpoison(record, kind.size);
        if (arena.carvingUsedBlock)  // a new block is still zero from the system
            memset(record, 0, kind.size);
    }
    kind.inUse++;
    return record;
}

static void freeRecord(RecordKind& kind, void* record) {
    if (!record) return;
    FreeRecord* released = (FreeRecord*)record;
    released->next = kind.released;
    kind.released = released;
    poison((char*)record + sizeof(FreeRecord), kind.size - sizeof(FreeRecord));
    kind.inUse--;
    if (recordsInUse() == 0) carveFromTheStart();
}

ScriptOrigin& scriptOrigin(Script* script) {
    return *(ScriptOrigin*)(script + 1);
}
const ScriptOrigin& scriptOrigin(const Script* script) {
    return *(const ScriptOrigin*)(script + 1);
}

Script* allocateScript() {
    return (Script*)allocateRecord(scriptKind);
}
Stage* allocateStage() {
    return (Stage*)allocateRecord(stageKind);
}
AnimFrame* allocateFrame() {
    return (AnimFrame*)allocateRecord(frameKind);
}
void freeScriptRecord(Script* script) {
    freeRecord(scriptKind, script);
}
void freeStageRecord(Stage* stage) {
    freeRecord(stageKind, stage);
}
void freeFrameRecord(AnimFrame* frame) {
    freeRecord(frameKind, frame);
}

void releaseRecordBlocks() {
    if (recordsInUse() != 0) return;
    for (Arena* arena : ARENAS) {
        while (Block* block = arena->blocks) {
            arena->blocks = block->next;
            unpoison(block, BLOCK_SIZE);
            munmap(block, BLOCK_SIZE);
        }
        *arena = Arena();
    }
    for (RecordKind* kind : KINDS) kind->released = nullptr;
}

// Large buffers (the text of a file being read) are mapped on their own,
// backed by huge pages where the system has them. Under AddressSanitizer
// they stay heap objects, so that a read past the text is caught.
#ifdef RECORDS_CHECKED_BY_ASAN
void* allocateLarge(size_t size) {
    return malloc(size);
}
void freeLarge(void* buffer, size_t) {
    free(buffer);
}
#else
// A text under a block is no large buffer: the heap serves it without the
// cost of a mapping (a save reads every script of a file on its own).
void* allocateLarge(size_t size) {
    if (size < BLOCK_SIZE) return malloc(size);
    void* mapped = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED) return nullptr;
    madvise(mapped, size, MADV_HUGEPAGE);
    return mapped;
}

void freeLarge(void* buffer, size_t size) {
    if (size < BLOCK_SIZE)
        free(buffer);
    else if (buffer)
        munmap(buffer, size);
}
#endif
