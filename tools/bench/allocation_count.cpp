// Counts heap allocations, split by who asked: code of this executable (the scene, the effects, the
// shell) or a shared library (the GL driver, SDL, FluidSynth, libstdc++). Defining malloc and its
// relatives here makes every library of the process use them; they count, then hand over to the
// C library's allocator. Under AddressSanitizer its own allocator takes their place.
#include "tools/bench/allocation_count.h"

#include <link.h>

#include <atomic>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <new>

extern "C" {
void *__libc_malloc(std::size_t size);
void *__libc_calloc(std::size_t count, std::size_t size);
void *__libc_realloc(void *pointer, std::size_t size);
void *__libc_memalign(std::size_t alignment, std::size_t size);
void __libc_free(void *pointer);
}

namespace {

std::atomic<bool> countingEveryThread{false};
thread_local bool countingThisThread = false;
std::atomic<long> own{0}, other{0};
std::uintptr_t ownFirst = 0;
std::uintptr_t ownLast = 0;

[[maybe_unused]] void count(const void *caller) {
    if (!countingThisThread && !countingEveryThread.load(std::memory_order_relaxed)) {
        return;
    }
    const auto address = reinterpret_cast<std::uintptr_t>(caller);
    (address >= ownFirst && address < ownLast ? own : other).fetch_add(1);
}

// The executable's code: the executable segments of the first loaded object, the program itself.
int findOwnCode(dl_phdr_info *info, std::size_t, void *) {
    for (int i = 0; i < info->dlpi_phnum; ++i) {
        const ElfW(Phdr) &segment = info->dlpi_phdr[i];
        if (segment.p_type == PT_LOAD && (segment.p_flags & PF_X) != 0) {
            ownFirst = info->dlpi_addr + segment.p_vaddr;
            ownLast = ownFirst + segment.p_memsz;
        }
    }
    return 1;
}

} // namespace

#if defined(__SANITIZE_ADDRESS__)
const bool allocationsCounted = false;
#else
const bool allocationsCounted = true;
#endif

void startCountingAllocations(bool everyThread) {
    if (ownLast == 0) {
        dl_iterate_phdr(findOwnCode, nullptr);
    }
    own = 0;
    other = 0;
    countingThisThread = true;
    countingEveryThread = everyThread;
}

AllocationCount stopCountingAllocations() {
    countingThisThread = false;
    countingEveryThread = false;
    AllocationCount counted;
    counted.own = own;
    counted.other = other;
    return counted;
}

#if !defined(__SANITIZE_ADDRESS__)
extern "C" {

void *malloc(std::size_t size) {
    count(__builtin_return_address(0));
    return __libc_malloc(size);
}

void *calloc(std::size_t number, std::size_t size) {
    count(__builtin_return_address(0));
    return __libc_calloc(number, size);
}

void *realloc(void *pointer, std::size_t size) {
    count(__builtin_return_address(0));
    return __libc_realloc(pointer, size);
}

void *memalign(std::size_t alignment, std::size_t size) {
    count(__builtin_return_address(0));
    return __libc_memalign(alignment, size);
}

void *aligned_alloc(std::size_t alignment, std::size_t size) {
    count(__builtin_return_address(0));
    return __libc_memalign(alignment, size);
}

int posix_memalign(void **result, std::size_t alignment, std::size_t size) {
    count(__builtin_return_address(0));
    *result = __libc_memalign(alignment, size);
    return *result != nullptr ? 0 : ENOMEM;
}

void free(void *pointer) {
    __libc_free(pointer);
}

} // extern "C"

// operator new counts its own caller, so that C++ allocations are told apart too.
void *operator new(std::size_t size) {
    count(__builtin_return_address(0));
    void *pointer = __libc_malloc(size != 0 ? size : 1);
    if (pointer == nullptr) {
        std::abort();
    }
    return pointer;
}

void *operator new[](std::size_t size) {
    count(__builtin_return_address(0));
    void *pointer = __libc_malloc(size != 0 ? size : 1);
    if (pointer == nullptr) {
        std::abort();
    }
    return pointer;
}

void operator delete(void *pointer) noexcept {
    __libc_free(pointer);
}
void operator delete[](void *pointer) noexcept {
    __libc_free(pointer);
}
void operator delete(void *pointer, std::size_t) noexcept {
    __libc_free(pointer);
}
void operator delete[](void *pointer, std::size_t) noexcept {
    __libc_free(pointer);
}
#endif
