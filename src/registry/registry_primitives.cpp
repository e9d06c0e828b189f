#include "registry/registry_primitives.h"

#include <cstring>
#include <cwchar>

namespace rm {

DWORD RegistryTypeFor(tagQXVALUETYPE type) noexcept {
  switch (type) {
    case QXVT_BINARY: return REG_BINARY;
    case QXVT_DWORD: return REG_DWORD;
    case QXVT_STRING: return REG_SZ;
    default: return REG_NONE;
  }
}

tagQXVALUETYPE ValueTypeFor(DWORD registryType) noexcept {
  switch (registryType) {
    case REG_BINARY: return QXVT_BINARY;
    case REG_DWORD: return QXVT_DWORD;
    case REG_SZ: return QXVT_STRING;
    default: return QXVT_UNKNOWN;
  }
}

WinCode ReadRegistryStringValue(HKEY root, const char* subKey, const char* valueName, char* buffer,
                                unsigned long bufferSize, unsigned long* sizeNeeded,
                                MissingSize missing) noexcept {
  // A probe has nowhere to put its answer without a size pointer.
  if (buffer == nullptr && sizeNeeded == nullptr) return kInvalidParameter;
  UniqueRegKey key;
  if (const WinCode opened = OpenKey(root, subKey, kReadAccess, key); opened != kSuccess)
    return opened;

  DWORD byteCount = bufferSize;
  DWORD storedType = REG_NONE;
  const WinCode queried = QueryValue(key.get(), valueName, &storedType, buffer, &byteCount);
  // compat C01
  if (queried == kMoreData || (queried == kSuccess && buffer == nullptr)) {
    return ReportSizeNeeded(CallerBuffer{buffer, bufferSize, sizeNeeded}, byteCount + 1, missing);
  }
  if (queried != kSuccess) return queried;
  // compat C02
  if (storedType != REG_SZ) return kBadDatabase;
  // Text stored by others may lack its terminator: end it inside the buffer when there is
  // room, otherwise the text does not fit, as the size probe already says (stored size + 1).
  // compat F03
  if (std::memchr(buffer, '\0', byteCount) == nullptr) {
    if (byteCount >= bufferSize) {
      return ReportSizeNeeded(CallerBuffer{buffer, bufferSize, sizeNeeded}, byteCount + 1, missing);
    }
    buffer[byteCount] = '\0';
  }
  return kSuccess;
}

WinCode ReadRegistryStringValue(HKEY root, const char* subKey, const wchar_t* valueName,
                                wchar_t* buffer, DWORD capacity) noexcept {
  UniqueRegKey key;
  if (const WinCode opened = OpenKey(root, subKey, kReadAccess, key); opened != kSuccess)
    return opened;

  DWORD byteCount = capacity * sizeof(wchar_t);
  DWORD storedType = REG_NONE;
  const WinCode queried = QueryValue(key.get(), valueName, &storedType, buffer, &byteCount);
  if (queried != kSuccess) return queried;
  if (storedType != REG_SZ || byteCount % sizeof(wchar_t) != 0) return kBadDatabase;
  // compat F03
  const DWORD length = byteCount / sizeof(wchar_t);
  if (std::wmemchr(buffer, L'\0', length) == nullptr) {
    if (length >= capacity) return kMoreData;
    buffer[length] = L'\0';
  }
  return kSuccess;
}

WinCode ReadRegistryValue(HKEY root, const char* subKey, const char* valueName,
                          tagQXVALUETYPE* type, void* buffer, unsigned long bufferSize,
                          unsigned long* size) noexcept {
  if (type == nullptr || size == nullptr) return kInvalidParameter;
  UniqueRegKey key;
  if (const WinCode opened = OpenKey(root, subKey, kReadAccess, key); opened != kSuccess)
    return opened;

  DWORD byteCount = bufferSize;
  DWORD storedType = REG_NONE;
  const WinCode queried = QueryValue(key.get(), valueName, &storedType, buffer, &byteCount);
  if (queried == kMoreData) {
    // compat C03
    *size = byteCount;
    return queried;
  }
  if (queried != kSuccess) return queried;
  *size = byteCount;
  if (buffer != nullptr) *type = ValueTypeFor(storedType);
  return kSuccess;
}

SmallValueRead ReadSmallValue(HKEY root, const char* subKey, const char* valueName, void* buffer,
                              DWORD capacity) noexcept {
  SmallValueRead read{ReadOutcome::Failed, kSuccess, REG_NONE, capacity};
  UniqueRegKey key;
  read.code = OpenKey(root, subKey, kReadAccess, key);
  if (read.code == kSuccess)
    read.code = QueryValue(key.get(), valueName, &read.type, buffer, &read.size);
  read.outcome = read.code == kMoreData ? ReadOutcome::NotThere : OutcomeOfRead(read.code);
  return read;
}

WinCode WriteRegistryValue(HKEY root, const char* subKey, const char* valueName,
                           tagQXVALUETYPE type, const void* data, unsigned long size) noexcept {
  // The registry would read `size` bytes through the null pointer.
  // compat F07
  if (data == nullptr && size != 0) return kInvalidParameter;
  UniqueRegKey key;
  if (const WinCode created = CreateKey(root, subKey, key); created != kSuccess) return created;
  return SetValue(key.get(), valueName, RegistryTypeFor(type), data, size);
}

WinCode WriteRegistryStringValue(HKEY root, const char* subKey, const char* valueName,
                                 const char* text) noexcept {
  if (text == nullptr) return kInvalidParameter;
  UniqueRegKey key;
  if (const WinCode created = CreateKey(root, subKey, key); created != kSuccess) return created;
  return SetValue(key.get(), valueName, REG_SZ, text, static_cast<DWORD>(lstrlenA(text) + 1));
}

WinCode WriteRegistryStringValue(HKEY root, const char* subKey, const wchar_t* valueName,
                                 const wchar_t* text) noexcept {
  if (text == nullptr) return kInvalidParameter;
  UniqueRegKey key;
  if (const WinCode created = CreateKey(root, subKey, key); created != kSuccess) return created;
  return SetValue(key.get(), valueName, REG_SZ, text,
                  static_cast<DWORD>((std::wcslen(text) + 1) * sizeof(wchar_t)));
}

WinCode CreateRegistryKey(HKEY root, const char* subKey) noexcept {
  UniqueRegKey key;
  return CreateKey(root, subKey, key);
}

WinCode DeleteRegistryValue(HKEY root, const char* subKey, const char* valueName) noexcept {
  UniqueRegKey key;
  if (const WinCode opened = OpenKey(root, subKey, kDeleteAccess, key); opened != kSuccess)
    return opened;
  return static_cast<WinCode>(RegDeleteValueA(key.get(), valueName));
}

}  // namespace rm
