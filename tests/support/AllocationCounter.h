#pragma once

#include <array>
#include <string>

// Counts the heap allocations made on the calling thread between arm() and disarm(). Linking
// AllocationCounter.cpp into a test executable replaces malloc and its kin (and so every
// operator new) for the whole process, so link it only into the executable that asks.
//
// An allocation is counted whoever makes it; one with a frame in `library` (a part of a file
// name, such as "libgomp") is also counted apart as that library's. The call stacks of the first
// few others are kept, so that a failing test can say whose code allocated.
namespace AllocationCounter {

struct Stack
{
    std::array<void*, 24> frames {};
    int depth = 0;
};

struct Count
{
    int total = 0;
    int inLibrary = 0; // of total: those with a frame in the library named at arm()
    std::array<Stack, 4> others {};
    int othersKept = 0;

    int outsideLibrary() const { return total - inLibrary; }

    Count& operator+=(const Count& more);

    // The kept call stacks, symbolised (allocates: call it disarmed).
    std::string describe() const;
};

void arm(const char* library = nullptr);
Count disarm();

} // namespace AllocationCounter
