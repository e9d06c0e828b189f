#include "registry/registry_tree.h"

#include <cstddef>

#include "shared/registry_key.h"
#include "shared/registry_name_compare.h"
#include "shared/unique_handle.h"

namespace rm {
namespace {

constexpr DWORD kDeleteNameCapacity = 1024;  // characters, the terminator included
constexpr WinCode kNotEnoughMemory = ERROR_NOT_ENOUGH_MEMORY;

// The next non-empty component of a backslash-separated path; advances `cursor` past it.
// Returns its length, 0 when the path has no more components.
std::size_t NextPathComponent(const char*& cursor, const char*& start) noexcept {
  while (*cursor == '\\') ++cursor;
  start = cursor;
  while (*cursor != '\0' && *cursor != '\\') ++cursor;
  return static_cast<std::size_t>(cursor - start);
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
    if (pathLength != ancestorLength || !SameRegistryName(ancestorName, pathName, pathLength)) {
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
// compat F08
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
  if (const WinCode opened = OpenKey(root, subKey, kDeleteAccess, key); opened != kSuccess) {
    return opened;
  }

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
    // Only the key asked for may answer "not there": a child that vanished after it was
    // listed means the tree changed underneath, and this key is not gone.
    // compat F22
    if (child == kNotFound) return ERROR_KEY_DELETED;
    if (child != kSuccess) return child;
  }
  // Deleted while its own handle is still open; the handle closes when the guard leaves scope.
  return static_cast<WinCode>(RegDeleteKeyW(root, subKey));
}

WinCode CopyTree(HKEY sourceRoot, HKEY destinationRoot, const wchar_t* sourceSubKey,
                 const wchar_t* destinationSubKey, int depth) noexcept {
  if (depth > kMaxTreeDepth) return kTreeTooDeep;

  // Declared first, so that scope releases the source key before the destination key.
  UniqueRegKey destination;
  UniqueRegKey source;
  // compat C17
  if (const WinCode created = CreateKey(destinationRoot, destinationSubKey, destination);
      created != kSuccess) {
    return created;
  }
  if (const WinCode opened = OpenKey(sourceRoot, sourceSubKey, kReadAccess, source);
      opened != kSuccess) {
    return opened;
  }
  // The buffers are sized from the source's own maxima; without them nothing can be copied.
  KeyInfo info;
  if (const WinCode queried = QueryKeyInfo<wchar_t>(source.get(), info); queried != kSuccess) {
    return queried;
  }

  // Sub-keys first, depth first. Only the end of the sub-keys ends the phase; an enumeration
  // that fails part-way ends the copy with its code, since what follows was not copied.
  // compat F17
  WinCode failed = kSuccess;
  const WinCode subKeys = EnumerateSubKeys<wchar_t>(source.get(), info, [&](const wchar_t* name) {
    failed = CopyTree(source.get(), destination.get(), name, name, depth + 1);
    return failed == kSuccess;
  });
  if (failed != kSuccess) return failed;
  if (subKeys != kNoMoreItems) return subKeys;

  // Then the values of this key, the default (unnamed) one included, with their exact bytes:
  // each is read again by name and written as it was read.
  // compat C16
  const WinCode values =
      EnumerateValues<wchar_t>(source.get(), info, [&](const ValueView<wchar_t>& value) {
        DWORD type = REG_NONE;
        DWORD dataSize = info.largestData;
        failed = QueryValue(source.get(), value.name, &type, value.data, &dataSize);
        if (failed == kSuccess) {
          failed = SetValue(destination.get(), value.name, type, value.data, dataSize);
        }
        return failed == kSuccess;
      });
  // compat F17
  if (failed != kSuccess) return failed;
  return values == kNoMoreItems ? kSuccess : values;
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
  // compat F08
  if (sourceRoot == destinationRoot && IsBelow(sourceSubKey, destinationSubKey)) {
    return kInvalidParameter;
  }
  const WidePath wideSource(sourceSubKey);
  const WidePath wideDestination(destinationSubKey);
  if (wideSource.failed() || wideDestination.failed()) return kNotEnoughMemory;
  return CopyTree(sourceRoot, destinationRoot, wideSource.get(), wideDestination.get(), 0);
}

}  // namespace rm
