#include "AllocationCounter.h"

#include <cerrno>
#include <cstddef>
#include <cstdlib>
#include <cstring>

#include <dlfcn.h>
#include <execinfo.h>

// glibc's own allocator, under the names it exports for allocators that wrap it.
extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* pointer, std::size_t size);
void* __libc_memalign(std::size_t alignment, std::size_t size);
}

namespace {

using AllocationCounter::Count;
using AllocationCounter::Stack;

struct ThreadState
{
    bool armed = false;
    bool inside = false; // backtrace() and dladdr() may allocate: never count that
    const char* library = nullptr;
    Count count;
};

// Plain data in thread-local storage, so reaching it never allocates.
thread_local ThreadState t_state;

bool inLibrary(const Stack& stack, const char* library)
{
    for (int i = 0; i < stack.depth; ++i) {
        Dl_info info;
        if (dladdr(stack.frames[i], &info) && info.dli_fname
            && std::strstr(info.dli_fname, library))
            return true;
    }
    return false;
}

void noteAllocation()
{
    ThreadState& state = t_state;
    if (!state.armed || state.inside)
        return;
    state.inside = true;
    Stack stack;
    stack.depth = backtrace(stack.frames.data(), static_cast<int>(stack.frames.size()));
    Count& count = state.count;
    ++count.total;
    if (state.library && inLibrary(stack, state.library))
        ++count.inLibrary;
    else if (count.othersKept < static_cast<int>(count.others.size()))
        count.others[count.othersKept++] = stack;
    state.inside = false;
}

} // namespace

namespace AllocationCounter {

Count& Count::operator+=(const Count& more)
{
    total += more.total;
    inLibrary += more.inLibrary;
    for (int i = 0; i < more.othersKept && othersKept < static_cast<int>(others.size()); ++i)
        others[othersKept++] = more.others[i];
    return *this;
}

std::string Count::describe() const
{
    std::string text;
    for (int i = 0; i < othersKept; ++i) {
        const Stack& stack = others[i];
        char** symbols = backtrace_symbols(stack.frames.data(), stack.depth);
        text += "allocation " + std::to_string(i + 1) + ":\n";
        for (int frame = 0; symbols && frame < stack.depth; ++frame)
            text += std::string("  ") + symbols[frame] + "\n";
        std::free(symbols);
    }
    return text;
}

void arm(const char* library)
{
    // The first backtrace() loads the unwinder, which allocates: do it before counting.
    void* warm[2];
    backtrace(warm, 2);
    t_state.library = library;
    t_state.count = Count {};
    t_state.armed = true;
}

Count disarm()
{
    t_state.armed = false;
    return t_state.count;
}

} // namespace AllocationCounter

extern "C" {

void* malloc(std::size_t size)
{
    noteAllocation();
    return __libc_malloc(size);
}

void* calloc(std::size_t count, std::size_t size)
{
    noteAllocation();
    return __libc_calloc(count, size);
}

void* realloc(void* pointer, std::size_t size)
{
    noteAllocation();
    return __libc_realloc(pointer, size);
}

void* memalign(std::size_t alignment, std::size_t size)
{
    noteAllocation();
    return __libc_memalign(alignment, size);
}

void* aligned_alloc(std::size_t alignment, std::size_t size)
{
    noteAllocation();
    return __libc_memalign(alignment, size);
}

int posix_memalign(void** pointer, std::size_t alignment, std::size_t size)
{
    noteAllocation();
    void* memory = __libc_memalign(alignment, size);
    if (!memory)
        return ENOMEM;
    *pointer = memory;
    return 0;
}

} // extern "C"
