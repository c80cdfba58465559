#include "allocation_counter.h"

#include <cstddef>

#if defined(__SANITIZE_ADDRESS__)

bool allocationsAreCounted() {
    return false;
}

long allocationsOnThisThread() {
    return 0;
}

#else

extern "C" {
void *__libc_malloc(std::size_t size);
void *__libc_calloc(std::size_t count, std::size_t size);
void *__libc_realloc(void *pointer, std::size_t size);
}

namespace {
thread_local long allocations = 0;
}

extern "C" void *malloc(std::size_t size) noexcept {
    ++allocations;
    return __libc_malloc(size);
}

extern "C" void *calloc(std::size_t count, std::size_t size) noexcept {
    ++allocations;
    return __libc_calloc(count, size);
}

extern "C" void *realloc(void *pointer, std::size_t size) noexcept {
    ++allocations;
    return __libc_realloc(pointer, size);
}

bool allocationsAreCounted() {
    return true;
}

long allocationsOnThisThread() {
    return allocations;
}

#endif
