#include "registry/registry_tree.h"

#include <cstddef>

#include "common/unique_handle.h"
#include "registry/registry_primitives.h"

namespace rm {
namespace {

constexpr DWORD kDeleteNameCapacity = 1024;     // characters, the terminator included
constexpr WinCode kNotEnoughMemory = ERROR_NOT_ENOUGH_MEMORY;

// The next non-empty component of a backslash-separated path; advances `cursor` past it.
// Returns its length, 0 when the path has no more components.
std::size_t NextPathComponent(const char*& cursor, const char*& start) noexcept {
  while (*cursor == '\\') ++cursor;
  start = cursor;
  while (*cursor != '\0' && *cursor != '\\') ++cursor;
  return static_cast<std::size_t>(cursor - start);
}

char UpperCase(char c) noexcept {
  // CharUpperA converts a single character passed in the low word of the pointer.
  const ULONG_PTR converted = reinterpret_cast<ULONG_PTR>(
      CharUpperA(reinterpret_cast<LPSTR>(static_cast<ULONG_PTR>(static_cast<unsigned char>(c)))));
  return static_cast<char>(converted & 0xFF);
}

bool SameNameIgnoringCase(const char* a, const char* b, std::size_t length) noexcept {
  for (std::size_t i = 0; i < length; ++i) {
    if (a[i] != b[i] && UpperCase(a[i]) != UpperCase(b[i])) return false;
  }
  return true;
}

// True when `path` names a key below `ancestor` (not the key itself), comparing whole
// components case-insensitively as the registry does. Null means the root itself.
bool IsBelow(const char* ancestor, const char* path) noexcept {
  const char* ancestorCursor = ancestor != nullptr ? ancestor : "";
  const char* pathCursor = path != nullptr ? path : "";
  for (;;) {
    const char* ancestorName = nullptr;
    const std::size_t ancestorLength = NextPathComponent(ancestorCursor, ancestorName);
    const char* pathName = nullptr;
    if (ancestorLength == 0) return NextPathComponent(pathCursor, pathName) != 0;
    const std::size_t pathLength = NextPathComponent(pathCursor, pathName);
    if (pathLength != ancestorLength || !SameNameIgnoringCase(ancestorName, pathName, pathLength)) {
      return false;
    }
  }
}

// A heap block of at least one byte, so that a zero capacity still gets a real buffer.
UniqueHeapBlock AllocateBuffer(DWORD capacity) noexcept {
  return AllocateHeapBlock(capacity == 0 ? 1 : capacity);
}

// The registry's own nesting limit. A recursion deeper than that can only be a copy that keeps
// finding the keys it has just written (a destination inside the source reached through a
// second handle), so it stops there.
constexpr int kMaxTreeDepth = 512;
constexpr WinCode kTreeTooDeep = ERROR_STACK_OVERFLOW;  // "recursion too deep"

// A caller's ANSI path in wide characters, so that the walk below can handle names of any
// character, whatever the ANSI code page can spell. Null stays null.
class WidePath {
 public:
  explicit WidePath(const char* path) noexcept {
    if (path == nullptr) return;
    const int length = MultiByteToWideChar(CP_ACP, 0, path, -1, nullptr, 0);
    if (length <= 0) {
      failed_ = true;
      return;
    }
    block_ = AllocateHeapBlock(static_cast<std::size_t>(length) * sizeof(wchar_t));
    failed_ = !block_ || MultiByteToWideChar(CP_ACP, 0, path, -1, get(), length) != length;
  }
  bool failed() const noexcept { return failed_; }
  wchar_t* get() const noexcept { return static_cast<wchar_t*>(block_.get()); }

 private:
  UniqueHeapBlock block_;
  bool failed_ = false;
};

WinCode DeleteTree(HKEY root, const wchar_t* subKey, int depth) noexcept {
  if (depth > kMaxTreeDepth) return kTreeTooDeep;
  UniqueRegKey key;
  const WinCode opened =
      static_cast<WinCode>(RegOpenKeyExW(root, subKey, 0, kDeleteAccess, key.put()));
  if (opened != kSuccess) return opened;

  // One name buffer per level, reused for every child; on the heap because trees may be deep.
  UniqueHeapBlock nameBlock = AllocateBuffer(kDeleteNameCapacity * sizeof(wchar_t));
  if (!nameBlock) return kNotEnoughMemory;
  wchar_t* const name = static_cast<wchar_t*>(nameBlock.get());

  // Always index 0: each child is gone by the time the next one is asked for.
  for (;;) {
    DWORD nameLength = kDeleteNameCapacity;
    const WinCode enumerated = static_cast<WinCode>(
        RegEnumKeyExW(key.get(), 0, name, &nameLength, nullptr, nullptr, nullptr, nullptr));
    if (enumerated == kNoMoreItems) break;
    if (enumerated != kSuccess) return enumerated;
    const WinCode child = DeleteTree(key.get(), name, depth + 1);
    if (child != kSuccess) return child;
  }
  // Deleted while its own handle is still open; the handle closes when the guard leaves scope.
  return static_cast<WinCode>(RegDeleteKeyW(root, subKey));
}

WinCode CopyTree(HKEY sourceRoot, HKEY destinationRoot, const wchar_t* sourceSubKey,
                 const wchar_t* destinationSubKey, int depth) noexcept {
  if (depth > kMaxTreeDepth) return kTreeTooDeep;

  // Declared in the reverse of the release order: scope releases the sub-key name buffer,
  // the value name buffer, the data buffer, the source key, then the destination key.
  UniqueRegKey destination;
  UniqueRegKey source;
  UniqueHeapBlock dataBlock;
  UniqueHeapBlock valueNameBlock;
  UniqueHeapBlock subKeyNameBlock;

  const WinCode created = static_cast<WinCode>(
      RegCreateKeyExW(destinationRoot, destinationSubKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                      kWriteAccess, nullptr, destination.put(), nullptr));
  if (created != kSuccess) return created;
  const WinCode opened =
      static_cast<WinCode>(RegOpenKeyExW(sourceRoot, sourceSubKey, 0, kReadAccess, source.put()));
  if (opened != kSuccess) return opened;

  // The buffers are sized from the source's own maxima (names in characters, data in bytes);
  // without them nothing can be copied.
  DWORD longestSubKeyName = 0;
  DWORD longestValueName = 0;
  DWORD longestData = 0;
  const WinCode queried = static_cast<WinCode>(
      RegQueryInfoKeyW(source.get(), nullptr, nullptr, nullptr, nullptr, &longestSubKeyName,
                       nullptr, nullptr, &longestValueName, &longestData, nullptr, nullptr));
  if (queried != kSuccess) return queried;

  // Sub-keys first, depth first. An enumeration that stops for any reason ends the phase.
  const DWORD subKeyNameCapacity = longestSubKeyName + 1;
  subKeyNameBlock = AllocateBuffer(subKeyNameCapacity * sizeof(wchar_t));
  if (!subKeyNameBlock) return kNotEnoughMemory;
  wchar_t* const subKeyName = static_cast<wchar_t*>(subKeyNameBlock.get());
  for (DWORD index = 0;; ++index) {
    DWORD nameLength = subKeyNameCapacity;
    if (RegEnumKeyExW(source.get(), index, subKeyName, &nameLength, nullptr, nullptr, nullptr,
                      nullptr) != ERROR_SUCCESS) {
      break;
    }
    const WinCode child =
        CopyTree(source.get(), destination.get(), subKeyName, subKeyName, depth + 1);
    if (child != kSuccess) return child;
  }

  // Then the values of this key, the default (unnamed) one included, with their exact bytes.
  const DWORD valueNameCapacity = longestValueName + 1;
  const DWORD dataCapacity = longestData;
  valueNameBlock = AllocateBuffer(valueNameCapacity * sizeof(wchar_t));
  dataBlock = AllocateBuffer(dataCapacity);
  if (!valueNameBlock || !dataBlock) return kNotEnoughMemory;
  wchar_t* const valueName = static_cast<wchar_t*>(valueNameBlock.get());
  BYTE* const data = static_cast<BYTE*>(dataBlock.get());
  for (DWORD index = 0;; ++index) {
    DWORD nameLength = valueNameCapacity;
    DWORD dataSize = dataCapacity;
    if (RegEnumValueW(source.get(), index, valueName, &nameLength, nullptr, nullptr, data,
                      &dataSize) != ERROR_SUCCESS) {
      break;
    }
    DWORD type = REG_NONE;
    const WinCode read = static_cast<WinCode>(
        RegQueryValueExW(source.get(), valueName, nullptr, &type, data, &dataSize));
    if (read != kSuccess) return read;
    const WinCode written = static_cast<WinCode>(
        RegSetValueExW(destination.get(), valueName, 0, type, data, dataSize));
    if (written != kSuccess) return written;
  }
  return kSuccess;
}

}  // namespace

WinCode DeleteRegistryKeyTree(HKEY root, const char* subKey) noexcept {
  if (subKey == nullptr || *subKey == '\0') return kBadKey;
  const WidePath wideSubKey(subKey);
  if (wideSubKey.failed()) return kNotEnoughMemory;
  return DeleteTree(root, wideSubKey.get(), 0);
}

WinCode CopyRegistryKeyTree(HKEY sourceRoot, HKEY destinationRoot, const char* sourceSubKey,
                            const char* destinationSubKey) noexcept {
  if (sourceRoot == destinationRoot && IsBelow(sourceSubKey, destinationSubKey)) {
    return kInvalidParameter;
  }
  const WidePath wideSource(sourceSubKey);
  const WidePath wideDestination(destinationSubKey);
  if (wideSource.failed() || wideDestination.failed()) return kNotEnoughMemory;
  return CopyTree(sourceRoot, destinationRoot, wideSource.get(), wideDestination.get(), 0);
}

}  // namespace rm
