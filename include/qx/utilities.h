#pragma once
// Utilities: profile (INI) files, a microsecond stopwatch and named shared memory.

#include <windows.h>

#include "qx/results.h"

// Profile files. The file name comes first; a name without a folder is placed where the
// system's private-profile service places it. Reads report sizes in bytes, terminator included:
// a null buffer is a size probe (0 and the size; without a size pointer
// QXIR_INVALID_PARAMETER), a buffer that is too small gives QXIR_BUFFER_TOO_SMALL with the
// size written. A missing, empty or over-long value (16,383
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

// Stopwatch in microseconds over the high-resolution counter. Call once with start non-zero
// (fills frequency and startCount), then with start zero and the same two values: the low
// 32 bits of the elapsed microseconds go to *elapsed (when given), to a message box captioned
// `caption` (when given, after which the call waits for the box to be dismissed) and to a line
// of section "QXMeasureTiming" in "C:\QXMeasureTiming.ini" keyed by the UTC time and
// `logText` (when given), in that order. Returns non-zero on success, 0 when the counter
// cannot be read or the frequency is zero.
int QXMeasureTiming(int start, LARGE_INTEGER* frequency, LARGE_INTEGER* startCount,
                    unsigned long* elapsed, const char* caption, const char* logText) noexcept;

// A block of memory backed by the paging file, created or opened by name and mapped for
// writing. Processes using the same name share the block; nothing synchronises its contents.
// Errors are Windows system error codes written to `error` (when given) on failure only.
class CQXGlobalMemObj {
 public:
  CQXGlobalMemObj() noexcept;
  // Does not release the block: call Destroy first for that.
  ~CQXGlobalMemObj() noexcept;
  // Both objects afterwards refer to the same block; either one's Destroy releases it.
  CQXGlobalMemObj& operator=(const CQXGlobalMemObj& other) noexcept;
  CQXGlobalMemObj(const CQXGlobalMemObj&) = delete;

  // The address of the block, or null. `alreadyExisted` (when given) receives 1 when the name
  // was already in use, otherwise 0.
  void* Create(unsigned long size, const char* name, int* alreadyExisted,
               unsigned long* error) noexcept;
  // Unmaps the view and closes the mapping: 1 on success, 0 on failure (ERROR_INVALID_ADDRESS
  // when no block is held, as after an earlier Destroy).
  int Destroy(unsigned long* error) noexcept;

 private:
  struct GlobalMemRecord;
  GlobalMemRecord* record_;
};
