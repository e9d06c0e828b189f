#pragma once
// The registry value primitives. Each is one complete round trip: it opens (or creates) the
// key named by a root and a sub-key path, performs one operation, closes the key on every
// path and returns the Windows code. Out-parameters are written only where stated.

#include <windows.h>

#include "base/caller_buffer.h"
#include "qx/results.h"
#include "shared/registry_key.h"
#include "shared/win_code.h"

namespace rm {

// Reads a REG_SZ value. A null buffer is a size probe. The size reported (on a probe and on
// 234) is the stored byte size plus one; when the text fits, *sizeNeeded is not written.
// A stored type other than REG_SZ gives 1009 after the bytes were copied. A probe without
// sizeNeeded is refused with 87 before the registry is asked; a buffer that is too small
// without sizeNeeded gives what `missing` says.
WinCode ReadRegistryStringValue(HKEY root, const char* subKey, const char* valueName, char* buffer,
                                unsigned long bufferSize, unsigned long* sizeNeeded,
                                MissingSize missing = MissingSize::Refused) noexcept;

// Reads a REG_SZ value as wide text, terminated, into `capacity` characters: 234 when the text
// and its terminator do not fit (nothing is cut), 1009 for another stored type or a size that
// is no whole number of characters. Text stored without its terminator is ended inside the
// buffer when there is room. The value is read as the registry holds it, so a text outside the
// ANSI code page comes back whole.
WinCode ReadRegistryStringValue(HKEY root, const char* subKey, const wchar_t* valueName,
                                wchar_t* buffer, DWORD capacity) noexcept;

// Reads a typed value. *size receives the exact stored size on success and on 234; *type is
// written only for a successful read into a buffer. A null type or size pointer gives 87
// before the registry is asked.
WinCode ReadRegistryValue(HKEY root, const char* subKey, const char* valueName,
                          tagQXVALUETYPE* type, void* buffer, unsigned long bufferSize,
                          unsigned long* size) noexcept;

// Writes `size` bytes with the registry type of `type` (REG_NONE for unknown types),
// creating missing keys on the path. Null data with a non-zero size gives 87 and creates
// nothing.
WinCode WriteRegistryValue(HKEY root, const char* subKey, const char* valueName,
                           tagQXVALUETYPE type, const void* data, unsigned long size) noexcept;

// Writes a REG_SZ value with its terminator; a null text gives 87 and creates nothing. The
// wide form stores the text as it stands, whatever characters it holds; readers that use the
// ANSI calls get it converted by the registry, as any wide-written value.
WinCode WriteRegistryStringValue(HKEY root, const char* subKey, const char* valueName,
                                 const char* text) noexcept;
WinCode WriteRegistryStringValue(HKEY root, const char* subKey, const wchar_t* valueName,
                                 const wchar_t* text) noexcept;

// Creates the key and every missing level above it; an existing key is success.
WinCode CreateRegistryKey(HKEY root, const char* subKey) noexcept;

// Deletes one value of an existing key.
WinCode DeleteRegistryValue(HKEY root, const char* subKey, const char* valueName) noexcept;

// One small value read whole, for a caller that decides something from it: the outcome by the
// read rule (registry_key.h), with the value's registry type and size when it was found. A
// value larger than `capacity` is not there: no caller keeps one larger than its buffer.
struct SmallValueRead {
  ReadOutcome outcome;
  WinCode code;  // the read's own code: what a failed read reports
  DWORD type;
  DWORD size;
};
SmallValueRead ReadSmallValue(HKEY root, const char* subKey, const char* valueName, void* buffer,
                              DWORD capacity) noexcept;

// Registry type for a value type, and the value type reported for a stored registry type.
DWORD RegistryTypeFor(tagQXVALUETYPE type) noexcept;
tagQXVALUETYPE ValueTypeFor(DWORD registryType) noexcept;

}  // namespace rm
