#include "profile_files/profile_files.h"

#include <windows.h>

#include <cstring>

#include "base/caller_buffer.h"
#include "shared/unique_handle.h"

namespace rm {
namespace {

// A value is read into a temporary buffer that grows until the value is known not to be cut:
// 1,024 bytes doubling up to 16,384.
constexpr DWORD kFirstAttemptSize = 1024;
constexpr int kReadAttempts = 5;

// The code behind a failed profile write; never success, even if the service left none.
WinCode LastProfileError() noexcept {
  const DWORD code = GetLastError();
  return code != ERROR_SUCCESS ? code : ERROR_GEN_FAILURE;
}

WinCode WriteProfile(const char* section, const char* key, const char* value,
                     const char* fileName) noexcept {
  return WritePrivateProfileStringA(section, key, value, fileName) ? kSuccess : LastProfileError();
}

// Reads one value, or with a null key the section's key-name list. The service returns the
// character count without the terminator; a cut value comes back as size - 1, a cut list as
// size - 2 (the list's own final NUL is not counted, so the list is count + 1 bytes).
WinCode ReadProfileText(const char* fileName, const char* section, const char* key, char* buffer,
                        unsigned long bufferSize, unsigned long* sizeNeeded) noexcept {
  // A size probe with nowhere to put the answer.
  if (buffer == nullptr && sizeNeeded == nullptr) return kInvalidParameter;
  const DWORD cutMargin = key == nullptr ? 2 : 1;
  DWORD attemptSize = kFirstAttemptSize;
  for (int attempt = 0; attempt < kReadAttempts; ++attempt, attemptSize *= 2) {
    UniqueHeapBlock block = AllocateHeapBlock(attemptSize);
    if (!block) return ERROR_NOT_ENOUGH_MEMORY;
    char* text = static_cast<char*>(block.get());

    const DWORD count = GetPrivateProfileStringA(section, key, "", text, attemptSize, fileName);
    // compat C04
    if (count == 0) return kBadDatabase;  // missing file, section or key, or an empty value
    if (count >= attemptSize - cutMargin) continue;

    const unsigned long size = count + 1;
    return DeliverToCallerBuffer(text, size, size, CallerBuffer{buffer, bufferSize, sizeNeeded},
                                 MissingSize::Unreported);
  }
  return kBadDatabase;  // still cut at the largest attempt
}

}  // namespace

WinCode WriteIniValue(const char* fileName, const char* section, const char* key,
                      const char* value) noexcept {
  if (fileName == nullptr || section == nullptr || key == nullptr || value == nullptr) {
    return kInvalidParameter;
  }
  return WriteProfile(section, key, value, fileName);
}

WinCode ReadIniValue(const char* fileName, const char* section, const char* key, char* buffer,
                     unsigned long bufferSize, unsigned long* sizeNeeded) noexcept {
  if (fileName == nullptr || section == nullptr || key == nullptr) return kInvalidParameter;
  return ReadProfileText(fileName, section, key, buffer, bufferSize, sizeNeeded);
}

WinCode ReadIniKeyNames(const char* fileName, const char* section, char* buffer,
                        unsigned long bufferSize, unsigned long* sizeNeeded) noexcept {
  if (fileName == nullptr || section == nullptr) return kInvalidParameter;
  return ReadProfileText(fileName, section, nullptr, buffer, bufferSize, sizeNeeded);
}

WinCode DeleteIniKey(const char* fileName, const char* section, const char* key) noexcept {
  if (fileName == nullptr || section == nullptr || key == nullptr) return kInvalidParameter;
  return WriteProfile(section, key, nullptr, fileName);
}

WinCode DeleteIniSection(const char* fileName, const char* section) noexcept {
  if (fileName == nullptr || section == nullptr) return kInvalidParameter;
  return WriteProfile(section, nullptr, nullptr, fileName);
}

}  // namespace rm
