#pragma once
// A hint to fetch memory that is about to be written; nothing where the
// compiler has no such builtin.

#if defined(__GNUC__) || defined(__clang__)
#define WPE_PREFETCH_FOR_WRITE(address) __builtin_prefetch((address), 1)
#else
#define WPE_PREFETCH_FOR_WRITE(address) ((void)(address))
#endif
