// The counters, the replaced operator new and the stand-ins for opening files.
#include "bench/SystemCounters.h"

#include <dlfcn.h>
#include <fcntl.h>

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <new>

namespace {

std::atomic<bool> counting{false};
std::atomic<long> allocations{0};
std::atomic<long> filesOpened{0};

void* allocate(std::size_t size)
{
    if (counting.load(std::memory_order_relaxed))
        allocations.fetch_add(1, std::memory_order_relaxed);
    return std::malloc(size == 0 ? 1 : size);
}

void noteOpen()
{
    if (counting.load(std::memory_order_relaxed))
        filesOpened.fetch_add(1, std::memory_order_relaxed);
}

// The mode argument is there only when a file may be created.
#define SOVANE05_OPEN_MODE(flags)                                           \
    unsigned mode = 0;                                                      \
    if (((flags) & O_CREAT) != 0 || ((flags) & O_TMPFILE) == O_TMPFILE) {   \
        va_list rest;                                                       \
        va_start(rest, flags);                                              \
        mode = va_arg(rest, unsigned);                                      \
        va_end(rest);                                                       \
    }

template <typename Function>
Function next(const char* name)
{
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

}  // namespace

void* operator new(std::size_t size)
{
    if (void* memory = allocate(size))
        return memory;
    throw std::bad_alloc();
}

void* operator new[](std::size_t size)
{
    return operator new(size);
}

void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    return allocate(size);
}

void* operator new[](std::size_t size, const std::nothrow_t&) noexcept
{
    return allocate(size);
}

void operator delete(void* memory) noexcept
{
    std::free(memory);
}

void operator delete[](void* memory) noexcept
{
    std::free(memory);
}

void operator delete(void* memory, std::size_t) noexcept
{
    std::free(memory);
}

void operator delete[](void* memory, std::size_t) noexcept
{
    std::free(memory);
}

extern "C" {

int open(const char* path, int flags, ...)
{
    SOVANE05_OPEN_MODE(flags)
    noteOpen();
    static auto real = next<int (*)(const char*, int, ...)>("open");
    return real(path, flags, mode);
}

int open64(const char* path, int flags, ...)
{
    SOVANE05_OPEN_MODE(flags)
    noteOpen();
    static auto real = next<int (*)(const char*, int, ...)>("open64");
    return real(path, flags, mode);
}

int openat(int folder, const char* path, int flags, ...)
{
    SOVANE05_OPEN_MODE(flags)
    noteOpen();
    static auto real = next<int (*)(int, const char*, int, ...)>("openat");
    return real(folder, path, flags, mode);
}

int openat64(int folder, const char* path, int flags, ...)
{
    SOVANE05_OPEN_MODE(flags)
    noteOpen();
    static auto real = next<int (*)(int, const char*, int, ...)>("openat64");
    return real(folder, path, flags, mode);
}

FILE* fopen(const char* path, const char* mode)
{
    noteOpen();
    static auto real = next<FILE* (*)(const char*, const char*)>("fopen");
    return real(path, mode);
}

FILE* fopen64(const char* path, const char* mode)
{
    noteOpen();
    static auto real = next<FILE* (*)(const char*, const char*)>("fopen64");
    return real(path, mode);
}

}  // extern "C"

void startCounting()
{
    allocations = 0;
    filesOpened = 0;
    counting = true;
}

SystemCounts stopCounting()
{
    counting = false;
    return {allocations.load(), filesOpened.load()};
}
