#pragma once
// Utilities: profile (INI) files, a microsecond stopwatch and named shared memory.

#include <windows.h>

#include "qx/results.h"

// Profile files. The file name comes first; a name without a folder is placed where the
// system's private-profile service places it. Reads report sizes in bytes, terminator included:
// a null buffer is a size probe (0 and the size), a buffer that is too small gives
// QXIR_BUFFER_TOO_SMALL with the size written. A missing, empty or over-long value (16,383
// characters or more) gives QXIR_PROFILE_ERROR; a null argument gives QXIR_INVALID_PARAMETER.
tagQXINTRFCRESULT QXSetIniFileStringValueData(const char* fileName, const char* section,
                                              const char* key, const char* value) noexcept;
tagQXINTRFCRESULT QXGetIniFileStringValueData(const char* fileName, const char* section,
                                              const char* key, char* buffer,
                                              unsigned long bufferSize,
                                              unsigned long* sizeNeeded) noexcept;
// The key names of a section, each followed by a NUL, with one more NUL after the last.
tagQXINTRFCRESULT QXGetIniFileKeyNames(const char* fileName, const char* section, char* buffer,
                                       unsigned long bufferSize,
                                       unsigned long* sizeNeeded) noexcept;
tagQXINTRFCRESULT QXDeleteIniFileKeyName(const char* fileName, const char* section,
                                         const char* key) noexcept;
tagQXINTRFCRESULT QXDeleteIniFileSectionName(const char* fileName, const char* section) noexcept;
