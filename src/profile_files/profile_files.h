#pragma once
// Profile (INI) file routines behind the QX...IniFile... exports. Each checks its arguments,
// makes its profile calls and returns the Windows code: 87 for a null required argument,
// 1009 for a missing, empty or over-long value (or an empty or over-long key list), 234 when
// the caller's buffer is too small, otherwise what the profile service reported.

#include "shared/win_code.h"

namespace rm {

WinCode WriteIniValue(const char* fileName, const char* section, const char* key,
                      const char* value) noexcept;

// A null buffer is a size probe. The size needed (terminator included) is written for a probe
// and for a buffer that is too small, and only then.
WinCode ReadIniValue(const char* fileName, const char* section, const char* key, char* buffer,
                     unsigned long bufferSize, unsigned long* sizeNeeded) noexcept;

// As ReadIniValue for the section's key-name list, whose size includes the final extra NUL.
WinCode ReadIniKeyNames(const char* fileName, const char* section, char* buffer,
                        unsigned long bufferSize, unsigned long* sizeNeeded) noexcept;

WinCode DeleteIniKey(const char* fileName, const char* section, const char* key) noexcept;
WinCode DeleteIniSection(const char* fileName, const char* section) noexcept;

}  // namespace rm
