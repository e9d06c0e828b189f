#pragma once
// The search behind QXGetObjectKey: which value of a key holds a given identifier.

#include <windows.h>

#include "registry/result_mapping.h"

namespace rm {

// Finds the first value of root\path, in enumeration order, that is REG_BINARY with exactly
// `byteCount` bytes equal to `bytes`, and hands out its name: a null buffer is a size probe
// (*sizeNeeded = length + 1, success); a buffer below length + 1 gets 234 with the same figure;
// otherwise the name and its NUL are copied and *sizeNeeded is not written. No match: 1009.
// A failure to open or query the key is returned as the system gave it.
WinCode FindValueNameByData(HKEY root, const char* path, char* buffer, unsigned long bufferSize,
                            unsigned long* sizeNeeded, const void* bytes,
                            unsigned long byteCount) noexcept;

}  // namespace rm
