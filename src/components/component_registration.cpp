#include "components/component_registration.h"

#include <shlwapi.h>

#include "base/path_builder.h"
#include "components/registry_layout.h"
#include "registry/registry_primitives.h"
#include "registry/registry_tree.h"
#include "shared/registry_key.h"
#include "shared/unique_handle.h"

namespace rm {
namespace {

// The stored "RefCount" (0 when it is not there), or the failure of its read, from which
// nothing may be decided. The bytes of a value that fits 4 bytes are the count, whatever its
// type; a larger value does not fit and counts as not there.
// compat C12 F20 F21
struct StoredCount {
  ReadOutcome outcome;
  WinCode code;
  DWORD count;
};

StoredCount ReadRefCount(const char* componentKey) noexcept {
  DWORD count = 0;
  const SmallValueRead read =
      ReadSmallValue(HKEY_LOCAL_MACHINE, componentKey, kRefCountValueName, &count, sizeof count);
  return {read.outcome, read.code, read.outcome == ReadOutcome::Found ? count : 0};
}

WinCode WriteRefCount(const char* componentKey, DWORD count) noexcept {
  return WriteRegistryValue(HKEY_LOCAL_MACHINE, componentKey, kRefCountValueName, QXVT_DWORD,
                            &count, sizeof(count));
}

// False only for a key that exists and holds no value.
bool MayHoldValues(const char* path) noexcept {
  UniqueRegKey key;
  if (OpenKey(HKEY_LOCAL_MACHINE, path, kReadAccess, key) != kSuccess) return true;
  KeyInfo info;
  return QueryKeyInfo(key.get(), info) != kSuccess || info.valueCount != 0;
}

// Removes a key left with neither sub-keys nor values; the outcome does not matter.
// SHDeleteEmptyKeyA looks only at sub-keys, so a key that still holds values (another
// product's under "SOFTWARE\Varnel\", say) is spared before it is asked.
// compat F06
void PruneIfEmpty(const char* path) noexcept {
  if (!MayHoldValues(path)) SHDeleteEmptyKeyA(HKEY_LOCAL_MACHINE, path);
}

}  // namespace

RegistrationKeys::RegistrationKeys(const char* clsidText, const char* category) noexcept
    : category(category),
      component(ComponentKeyPath(clsidText)),
      categoryKey(CategoryKeyPath(category)),
      categoryEntry(CategoryEntryKeyPath(category, clsidText)),
      categoryRoot(CategoryRootKeyPath()) {}

bool RegistrationKeys::ok() const noexcept {
  return component.ok() && categoryKey.ok() && categoryEntry.ok() && categoryRoot.ok();
}

bool GetModuleFileText(HINSTANCE module, bool fileNameOnly,
                       wchar_t (&text)[kFilePathCapacity]) noexcept {
  wchar_t fullPath[kFilePathCapacity];
  // compat F23
  const DWORD length = GetModuleFileNameW(module, fullPath, kFilePathCapacity);
  // compat F13
  if (length == 0 || length >= kFilePathCapacity) return false;
  // compat C13
  lstrcpynW(text, fileNameOnly ? PathFindFileNameW(fullPath) : fullPath, kFilePathCapacity);
  return true;
}

WinCode WriteRegistration(const RegistrationKeys& keys, const char* friendlyName,
                          const wchar_t* moduleFile, bool referenceCounted) noexcept {
  const char* componentKey = keys.component.c_str();
  // The count is read before anything is written, so that a count that cannot be read fails
  // the registration with nothing written, instead of being reset to 1.
  // compat C12 F20
  StoredCount stored{ReadOutcome::NotThere, kSuccess, 0};
  if (referenceCounted) stored = ReadRefCount(componentKey);
  if (stored.outcome == ReadOutcome::Failed) return stored.code;

  WinCode code = WriteRegistryStringValue(HKEY_LOCAL_MACHINE, componentKey, nullptr, friendlyName);
  if (code != kSuccess) return code;
  // compat F23
  code = WriteRegistryStringValue(HKEY_LOCAL_MACHINE, componentKey, kFileValueNameWide, moduleFile);
  if (code != kSuccess) return code;
  if (keys.category != nullptr) {
    code = WriteRegistryStringValue(HKEY_LOCAL_MACHINE, keys.categoryEntry.c_str(), nullptr,
                                    friendlyName);
    if (code != kSuccess) return code;
  }
  // compat C12
  if (!referenceCounted) return kSuccess;
  return WriteRefCount(componentKey, stored.count + 1);
}

RemovalOutcome RemoveRegistration(const RegistrationKeys& keys) noexcept {
  const char* componentKey = keys.component.c_str();
  // compat C12 F04 F21
  // While other registrations are outstanding, only the count goes down. A stored count of
  // zero has none outstanding: it is removed like the last one instead of wrapping around.
  // A count that cannot be read removes nothing.
  const StoredCount stored = ReadRefCount(componentKey);
  if (stored.outcome == ReadOutcome::Failed) return {stored.code, false};
  if (stored.count > 1) return {WriteRefCount(componentKey, stored.count - 1), false};

  if (keys.category != nullptr) {
    const WinCode removed = DeleteRegistryKeyTree(HKEY_LOCAL_MACHINE, keys.categoryEntry.c_str());
    // compat C14
    if (removed != kSuccess) return {removed, false};
    PruneIfEmpty(keys.categoryKey.c_str());
  }
  PruneIfEmpty(keys.categoryRoot.c_str());

  // compat C14 F22
  // A component key that is already gone is not an error; any other failure is.
  const WinCode removed = DeleteRegistryKeyTree(HKEY_LOCAL_MACHINE, componentKey);
  if (removed != kSuccess) return {removed, true};
  PruneIfEmpty(kComponentRootKey);
  PruneIfEmpty(kVarnelKey);
  return {};
}

}  // namespace rm
