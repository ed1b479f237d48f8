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
static void poison(void* start, size_t size) { ASAN_POISON_MEMORY_REGION(start, size); }
static void unpoison(void* start, size_t size) { ASAN_UNPOISON_MEMORY_REGION(start, size); }
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

// The records of one kind: a list of released ones, and the rest of the
// block being carved. Once every record is released the blocks are carved
// again from the first, in address order, which a large read walks fastest.
struct RecordPool {
    size_t recordSize;
    size_t stride;  // record, guard and alignment
    FreeRecord* released = nullptr;
    Block* blocks = nullptr;
    Block* carving = nullptr;  // one of blocks, or null before the first
    char* uncarved = nullptr;
    char* blockEnd = nullptr;
    bool carvingUsedBlock = false;  // its records must be zeroed
    size_t inUse = 0;

    explicit RecordPool(size_t size) : recordSize(size), stride((size + GUARD_SIZE + 15) & ~size_t(15)) {}
};

static RecordPool scriptPool(sizeof(Script));
static RecordPool stagePool(sizeof(Stage));
static RecordPool framePool(sizeof(AnimFrame));

// A zero-filled block on a block-size boundary, so that it can be backed by
// one huge page.
static char* mapBlock() {
    char* mapped = (char*)mmap(nullptr, 2 * BLOCK_SIZE, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED)
        return nullptr;
    char* block = (char*)(((uintptr_t)mapped + BLOCK_SIZE - 1) & ~(uintptr_t)(BLOCK_SIZE - 1));
    if (block > mapped)
        munmap(mapped, (size_t)(block - mapped));
    munmap(block + BLOCK_SIZE, (size_t)(mapped + BLOCK_SIZE - block));
    madvise(block, BLOCK_SIZE, MADV_HUGEPAGE);
    return block;
}

static void startCarving(RecordPool& pool, Block* block, bool used) {
    pool.carving = block;
    pool.uncarved = (char*)block + BLOCK_HEADER_SIZE;
    pool.blockEnd = (char*)block + BLOCK_SIZE;
    pool.carvingUsedBlock = used;
    poison(pool.uncarved, BLOCK_SIZE - BLOCK_HEADER_SIZE);
}

// Moves the carving on to the next block, mapping one when none is left.
static bool nextBlock(RecordPool& pool) {
    if (pool.carving && pool.carving->next) {
        startCarving(pool, pool.carving->next, true);
        return true;
    }
    Block* block = (Block*)mapBlock();
    if (!block)
        return false;
    block->next = nullptr;
    if (pool.carving)
        pool.carving->next = block;
    else
        pool.blocks = block;
    startCarving(pool, block, false);
    return true;
}

// With no record in use, every block is free: carving starts over.
static void carveFromTheStart(RecordPool& pool) {
    pool.released = nullptr;
    for (Block* block = pool.blocks; block; block = block->next)
        poison((char*)block + BLOCK_HEADER_SIZE, BLOCK_SIZE - BLOCK_HEADER_SIZE);
    if (pool.blocks)
        startCarving(pool, pool.blocks, true);
}

// A zero-filled record, or null when memory runs out.
static void* allocateRecord(RecordPool& pool) {
    void* record;
    if (pool.released) {
        record = pool.released;
        unpoison(record, pool.recordSize);
        pool.released = pool.released->next;
        memset(record, 0, pool.recordSize);
    } else {
        if ((size_t)(pool.blockEnd - pool.uncarved) < pool.stride && !nextBlock(pool))
            return nullptr;
        record = pool.uncarved;
        pool.uncarved += pool.stride;
        unpoison(record, pool.recordSize);
        if (pool.carvingUsedBlock)  // a new block is still zero from the system
            memset(record, 0, pool.recordSize);
    }
    pool.inUse++;
    return record;
}

static void freeRecord(RecordPool& pool, void* record) {
    if (!record)
        return;
    FreeRecord* released = (FreeRecord*)record;
    released->next = pool.released;
    pool.released = released;
    poison((char*)record + sizeof(FreeRecord), pool.recordSize - sizeof(FreeRecord));
    if (--pool.inUse == 0)
        carveFromTheStart(pool);
}

// Gives a pool's blocks back to the system; only when none of its records
// is in use.
static void releaseBlocks(RecordPool& pool) {
    if (pool.inUse != 0)
        return;
    while (Block* block = pool.blocks) {
        pool.blocks = block->next;
        unpoison(block, BLOCK_SIZE);
        munmap(block, BLOCK_SIZE);
    }
    pool.released = nullptr;
    pool.carving = nullptr;
    pool.uncarved = pool.blockEnd = nullptr;
}

Script* allocateScript() { return (Script*)allocateRecord(scriptPool); }
Stage* allocateStage() { return (Stage*)allocateRecord(stagePool); }
AnimFrame* allocateFrame() { return (AnimFrame*)allocateRecord(framePool); }
void freeScriptRecord(Script* script) { freeRecord(scriptPool, script); }
void freeStageRecord(Stage* stage) { freeRecord(stagePool, stage); }
void freeFrameRecord(AnimFrame* frame) { freeRecord(framePool, frame); }

size_t recordsInUse() { return scriptPool.inUse + stagePool.inUse + framePool.inUse; }

void releaseRecordBlocks() {
    releaseBlocks(scriptPool);
    releaseBlocks(stagePool);
    releaseBlocks(framePool);
}

// Large buffers (the text of a file being read) are mapped on their own,
// backed by huge pages where the system has them. Under AddressSanitizer
// they stay heap objects, so that a read past the text is caught.
#ifdef RECORDS_CHECKED_BY_ASAN
void* allocateLarge(size_t size) { return malloc(size); }
void freeLarge(void* buffer, size_t) { free(buffer); }
#else
void* allocateLarge(size_t size) {
    void* mapped = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED)
        return nullptr;
    if (size >= BLOCK_SIZE)
        madvise(mapped, size, MADV_HUGEPAGE);
    return mapped;
}

void freeLarge(void* buffer, size_t size) {
    if (buffer)
        munmap(buffer, size);
}
#endif
