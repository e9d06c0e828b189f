#pragma once
// Forced first into every compilation (/FI) with Wine's headers in place of the Windows SDK's.
// Wine 8's winnt.h defines some interlocked functions that clang-cl declares as builtins: renamed,
// Wine's definitions compile and serve the calls.
#if defined(_M_IX86)
#define _InterlockedAnd64 wine_InterlockedAnd64
#define _InterlockedCompareExchangePointer wine_InterlockedCompareExchangePointer
#define _InterlockedDecrement64 wine_InterlockedDecrement64
#define _InterlockedExchangeAdd64 wine_InterlockedExchangeAdd64
#define _InterlockedExchangePointer wine_InterlockedExchangePointer
#define _InterlockedIncrement64 wine_InterlockedIncrement64
#define _InterlockedOr64 wine_InterlockedOr64
#define _InterlockedXor64 wine_InterlockedXor64
#elif defined(_M_X64)
#define _InterlockedCompareExchange128 wine_InterlockedCompareExchange128
#endif
// printf and its kin are msvcrt.dll's functions, not the inline ones of the newer C runtime.
#define _NO_CRT_STDIO_INLINE
