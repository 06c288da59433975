#pragma once
// Hints to fetch memory that is about to be read or written; nothing where
// the compiler has no such builtin. Any address will do: a prefetch never
// faults.

// A function that only prefetches has no effect the optimizer can see, so
// GCC drops calls to it unless it is inlined first: helpers built on these
// hints must be WPE_PREFETCH_INLINE.

#if defined(__GNUC__) || defined(__clang__)
#define WPE_PREFETCH_FOR_READ(address) __builtin_prefetch((address), 0)
#define WPE_PREFETCH_FOR_WRITE(address) __builtin_prefetch((address), 1)
#define WPE_PREFETCH_INLINE inline __attribute__((always_inline))
#else
#define WPE_PREFETCH_FOR_READ(address) ((void)(address))
#define WPE_PREFETCH_FOR_WRITE(address) ((void)(address))
#define WPE_PREFETCH_INLINE inline
#endif

#include <cstddef>

namespace wpe {

// The reference counts of an object made by std::make_shared, which sit
// just before it in the same block, about to change.
WPE_PREFETCH_INLINE void PrefetchSharedCount(const void* object)
{
    if (object)
        WPE_PREFETCH_FOR_WRITE(static_cast<const char*>(object) - 8);
}

// Every cache line of a small object, about to be read.
template <class T>
WPE_PREFETCH_INLINE void PrefetchObject(const T* object)
{
    const char* bytes = reinterpret_cast<const char*>(object);
    for (size_t offset = 0; offset < sizeof(T); offset += 64)
        WPE_PREFETCH_FOR_READ(bytes + offset);
    WPE_PREFETCH_FOR_READ(bytes + sizeof(T) - 1);
}

} // namespace wpe
