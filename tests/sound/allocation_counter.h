// Counts the heap allocations of the calling thread, by standing in for malloc, calloc and
// realloc in the test program.
#pragma once

// False where the sanitizers provide the allocator and nothing is counted.
bool allocationsAreCounted();
long allocationsOnThisThread();
