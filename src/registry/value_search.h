#pragma once
// The search of a registry value by its data, behind QXGetObjectKey.

#include <windows.h>

#include "shared/win_code.h"

namespace rm {

// Finds the first value of root\path, in enumeration order, that is REG_BINARY with exactly
// `byteCount` bytes equal to `bytes`, and hands out its name by the caller-buffer rule with
// the name's length plus one as the size. No match among all the values: 1009. A failure to
// open, query or walk the key is returned as the system gave it: a walk that stopped part-way
// has not seen every value, so it is no "no match".
WinCode FindValueNameByData(HKEY root, const char* path, char* buffer, unsigned long bufferSize,
                            unsigned long* sizeNeeded, const void* bytes,
                            unsigned long byteCount) noexcept;

}  // namespace rm
