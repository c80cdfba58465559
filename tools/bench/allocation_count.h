// Heap allocations counted while counting is on, by who asked for them: the benchmark's per-frame
// figures and the sound test's "no allocation per message" share this counter.
#pragma once

struct AllocationCount {
    long own = 0;   // from this executable's code
    long other = 0; // from shared libraries: the GL driver, the C++ runtime, SDL, FluidSynth
};

// False under AddressSanitizer, whose allocator stands in for malloc: nothing is counted there.
extern const bool allocationsCounted;

// Counts the allocations of every thread, or of the calling thread alone.
void startCountingAllocations(bool everyThread);
AllocationCount stopCountingAllocations();
