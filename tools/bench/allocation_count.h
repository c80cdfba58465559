// Heap allocations counted while counting is on, by who asked for them.
#pragma once

struct AllocationCount {
    long own = 0;   // from this executable's code
    long other = 0; // from shared libraries: the GL driver, the C++ runtime, SDL, FluidSynth
};

void startCountingAllocations();
AllocationCount stopCountingAllocations();
