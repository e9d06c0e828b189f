#pragma once
// Small typed helpers over the raw registry calls; every registry access of the module (and of
// pidtool) goes through them or through the primitives built on them. Each returns the Windows
// code. They come in ANSI and wide forms (the character type of the names picks the calls), since
// the key-tree operations work on wide names below the caller's ANSI paths.
//
//   UniqueRegKey key;
//   if (const WinCode opened = OpenKey(root, path, kReadAccess, key); opened != kSuccess) ...
//   KeyInfo info;
//   if (const WinCode queried = QueryKeyInfo(key.get(), info); queried != kSuccess) ...
//   EnumerateSubKeys<char>(key.get(), info, [&](const char* name) { ...; return true; });

#include <windows.h>

#include "shared/unique_handle.h"
#include "shared/win_code.h"

namespace rm {

// Access masks, fixed per operation.
constexpr REGSAM kReadAccess = KEY_READ;    // 0x20019
constexpr REGSAM kWriteAccess = KEY_WRITE;  // 0x20006
// compat C15
constexpr REGSAM kDeleteAccess = KEY_ALL_ACCESS;  // 0xF003F

// What a read found: the one rule by which every caller decides something from a read. Only
// "no such key or value" (ERROR_FILE_NOT_FOUND) means not there; a read that failed for any
// other reason (access denied, out of memory, ...) tells nothing about what is stored, so the
// caller fails with its code instead of deciding on it. A caller may count some stored values
// as not there too (one of another type or size), as its own rules say.
enum class ReadOutcome { Found, NotThere, Failed };

constexpr ReadOutcome OutcomeOfRead(WinCode code) noexcept {
  if (code == kSuccess) return ReadOutcome::Found;
  return code == kNotFound ? ReadOutcome::NotThere : ReadOutcome::Failed;
}

namespace detail {

// Forwarders rather than constexpr pointers: the address of an imported function is no
// compile-time constant for clang.
#define RM_REGISTRY_CALL(name, function)       \
  template <typename... Args>                  \
  static LSTATUS name(Args... args) noexcept { \
    return function(args...);                  \
  }

template <typename Char>
struct RegistryCalls;

template <>
struct RegistryCalls<char> {
  RM_REGISTRY_CALL(Open, RegOpenKeyExA)
  RM_REGISTRY_CALL(Create, RegCreateKeyExA)
  RM_REGISTRY_CALL(QueryInfo, RegQueryInfoKeyA)
  RM_REGISTRY_CALL(EnumKey, RegEnumKeyExA)
  RM_REGISTRY_CALL(EnumValue, RegEnumValueA)
  RM_REGISTRY_CALL(QueryValue, RegQueryValueExA)
  RM_REGISTRY_CALL(SetValue, RegSetValueExA)
};

template <>
struct RegistryCalls<wchar_t> {
  RM_REGISTRY_CALL(Open, RegOpenKeyExW)
  RM_REGISTRY_CALL(Create, RegCreateKeyExW)
  RM_REGISTRY_CALL(QueryInfo, RegQueryInfoKeyW)
  RM_REGISTRY_CALL(EnumKey, RegEnumKeyExW)
  RM_REGISTRY_CALL(EnumValue, RegEnumValueW)
  RM_REGISTRY_CALL(QueryValue, RegQueryValueExW)
  RM_REGISTRY_CALL(SetValue, RegSetValueExW)
};

}  // namespace detail

#undef RM_REGISTRY_CALL

// Opens root\subKey with `access` into `key`.
template <typename Char>
WinCode OpenKey(HKEY root, const Char* subKey, REGSAM access, UniqueRegKey& key) noexcept {
  return static_cast<WinCode>(
      detail::RegistryCalls<Char>::Open(root, subKey, 0, access, key.put()));
}

// Opens root\subKey for writing, creating it and every missing level above it.
template <typename Char>
WinCode CreateKey(HKEY root, const Char* subKey, UniqueRegKey& key) noexcept {
  return static_cast<WinCode>(
      detail::RegistryCalls<Char>::Create(root, subKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                          kWriteAccess, nullptr, key.put(), nullptr));
}

// What a key holds: counts, and the longest names (in characters, without the terminator) and
// the largest data (in bytes) among its sub-keys and values.
struct KeyInfo {
  DWORD subKeyCount = 0;
  DWORD longestSubKeyName = 0;
  DWORD valueCount = 0;
  DWORD longestValueName = 0;
  DWORD largestData = 0;
};

template <typename Char = char>
WinCode QueryKeyInfo(HKEY key, KeyInfo& info) noexcept {
  return static_cast<WinCode>(detail::RegistryCalls<Char>::QueryInfo(
      key, nullptr, nullptr, nullptr, &info.subKeyCount, &info.longestSubKeyName, nullptr,
      &info.valueCount, &info.longestValueName, &info.largestData, nullptr, nullptr));
}

// Reads one value of an open key (RegQueryValueEx): *size is the buffer's size on entry and
// the value's size after it.
template <typename Char>
WinCode QueryValue(HKEY key, const Char* name, DWORD* type, void* data, DWORD* size) noexcept {
  return static_cast<WinCode>(detail::RegistryCalls<Char>::QueryValue(
      key, name, nullptr, type, static_cast<BYTE*>(data), size));
}

template <typename Char>
WinCode SetValue(HKEY key, const Char* name, DWORD type, const void* data, DWORD size) noexcept {
  return static_cast<WinCode>(detail::RegistryCalls<Char>::SetValue(
      key, name, 0, type, static_cast<const BYTE*>(data), size));
}

// Calls onSubKey(name) for each sub-key of `key` in enumeration order, until it returns false.
// The name buffer is sized from `info`, the key's QueryKeyInfo. Returns 259 (no more items)
// when every sub-key was seen, 0 when onSubKey stopped the walk, 8 when the heap refused the
// buffer, and otherwise the code of the enumeration call that failed: only 259 says that the
// walk saw everything.
template <typename Char, typename OnSubKey>
WinCode EnumerateSubKeys(HKEY key, const KeyInfo& info, OnSubKey&& onSubKey) noexcept {
  const DWORD capacity = info.longestSubKeyName + 1;
  UniqueHeapBlock block = AllocateHeapBlock(capacity * sizeof(Char));
  if (!block) return ERROR_NOT_ENOUGH_MEMORY;
  Char* const name = static_cast<Char*>(block.get());
  for (DWORD index = 0;; ++index) {
    DWORD length = capacity;
    const WinCode enumerated = static_cast<WinCode>(detail::RegistryCalls<Char>::EnumKey(
        key, index, name, &length, nullptr, nullptr, nullptr, nullptr));
    if (enumerated != kSuccess) return enumerated;
    if (!onSubKey(static_cast<const Char*>(name))) return kSuccess;
  }
}

// One value as EnumerateValues hands it over; the pointers are valid during the callback only.
template <typename Char>
struct ValueView {
  const Char* name;
  DWORD nameLength;  // characters, without the terminator
  DWORD type;
  BYTE* data;
  DWORD dataSize;
};

// Calls onValue(ValueView) for each value of `key` in enumeration order, until it returns
// false; the buffers are sized from `info`. Results as for EnumerateSubKeys.
template <typename Char, typename OnValue>
WinCode EnumerateValues(HKEY key, const KeyInfo& info, OnValue&& onValue) noexcept {
  const DWORD nameCapacity = info.longestValueName + 1;
  const DWORD dataCapacity = info.largestData;
  // At least one byte each, so that an empty guard always means the heap refused.
  UniqueHeapBlock nameBlock = AllocateHeapBlock(nameCapacity * sizeof(Char));
  UniqueHeapBlock dataBlock = AllocateHeapBlock(dataCapacity == 0 ? 1 : dataCapacity);
  if (!nameBlock || !dataBlock) return ERROR_NOT_ENOUGH_MEMORY;
  Char* const name = static_cast<Char*>(nameBlock.get());
  BYTE* const data = static_cast<BYTE*>(dataBlock.get());
  for (DWORD index = 0;; ++index) {
    DWORD nameLength = nameCapacity;
    DWORD dataSize = dataCapacity;
    DWORD type = REG_NONE;
    const WinCode enumerated = static_cast<WinCode>(detail::RegistryCalls<Char>::EnumValue(
        key, index, name, &nameLength, nullptr, &type, data, &dataSize));
    if (enumerated != kSuccess) return enumerated;
    if (!onValue(ValueView<Char>{name, nameLength, type, data, dataSize})) return kSuccess;
  }
}

}  // namespace rm
