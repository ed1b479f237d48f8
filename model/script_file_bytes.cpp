// Script files into memory whole, refusing what the reader cannot take: a
// file that is not a regular file could block the reader (a FIFO) or never
// end (a device), and a folder has no text at all.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "script_file.h"

ScriptFileBytes::~ScriptFileBytes() {
    freeLarge(data, capacity);
}

static const char* const NOT_REGULAR = "not a regular file";
static const char* const TOO_LARGE = "larger than the reader takes (2147483647 bytes)";
static_assert(MAX_SCRIPT_TEXT_SIZE == 2147483647u, "TOO_LARGE names the limit");

static bool refuse(const char** why, const char* reason) {
    if (why) *why = reason;
    return false;
}

static bool failWithErrno(const char** why) {
    return refuse(why, strerror(errno));
}

// Why a file of this kind and size cannot be read, or null when it can.
static const char* refusal(const struct stat& info) {
    if (S_ISDIR(info.st_mode)) return strerror(EISDIR);
    if (!S_ISREG(info.st_mode)) return NOT_REGULAR;
    if ((unsigned long long)info.st_size > MAX_SCRIPT_TEXT_SIZE) return TOO_LARGE;
    return nullptr;
}

// The file opened for reading and its description; -1 when refused. Opened
// without blocking, so that a FIFO without a writer does not stop the caller
// before it is refused.
static int openChecked(const char* path, struct stat& info, const char** why) {
    int fd = open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        const int error = errno;  // a socket cannot be opened at all
        const bool refused = stat(path, &info) == 0 && refusal(info);
        refuse(why, refused ? refusal(info) : strerror(error));
        return -1;
    }
    const char* reason = fstat(fd, &info) == 0 ? refusal(info) : strerror(errno);
    if (!reason) return fd;
    close(fd);
    refuse(why, reason);
    return -1;
}

bool canReadScriptFile(const char* path, const char** why) {
    struct stat info;
    int fd = openChecked(path, info, why);
    if (fd < 0) return false;
    close(fd);
    return true;
}

// Makes room for capacity bytes and the NUL, keeping what bytes holds.
static bool reserve(ScriptFileBytes& bytes, size_t capacity) {
    char* larger = (char*)allocateLarge(capacity + 1);
    if (!larger) return false;
    if (bytes.size) memcpy(larger, bytes.data, bytes.size);
    freeLarge(bytes.data, bytes.capacity);
    bytes.data = larger;
    bytes.capacity = capacity + 1;
    return true;
}

// Reads into bytes until the end or until limit bytes are held; false on a
// read error or a full memory.
static bool readUpTo(int fd, ScriptFileBytes& bytes, size_t limit) {
    for (;;) {
        if (bytes.size + 1 >= bytes.capacity) {
            size_t wanted = bytes.capacity < 65536 ? 65536 : bytes.capacity * 2;
            if (wanted > limit) wanted = limit;
            if (bytes.size >= wanted) return true;
            if (!reserve(bytes, wanted)) return false;
        }
        ssize_t count = read(fd, bytes.data + bytes.size, bytes.capacity - 1 - bytes.size);
        if (count < 0 && errno == EINTR) continue;
        if (count < 0) return false;
        if (count == 0) return true;
        bytes.size += (size_t)count;
    }
}

bool loadScriptFile(const char* path, ScriptFileBytes& bytes, const char** why) {
    struct stat info;
    int fd = openChecked(path, info, why);
    if (fd < 0) return false;
    // A file growing while it is read gets its bytes up to the size it had.
    const size_t size = (size_t)info.st_size;
    const bool loaded = reserve(bytes, size) && readUpTo(fd, bytes, size);
    if (!loaded) failWithErrno(why);
    close(fd);
    if (loaded) bytes.data[bytes.size] = '\0';
    return loaded;
}

bool loadScriptStream(int fd, ScriptFileBytes& bytes, const char** why) {
    if (!readUpTo(fd, bytes, MAX_SCRIPT_TEXT_SIZE + 1)) return failWithErrno(why);
    if (bytes.size > MAX_SCRIPT_TEXT_SIZE) return refuse(why, TOO_LARGE);
    bytes.data[bytes.size] = '\0';
    return true;
}
