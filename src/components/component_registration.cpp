#include "components/component_registration.h"

#include <shlwapi.h>

#include "common/path_builder.h"
#include "common/unique_handle.h"
#include "components/clsid_text.h"
#include "components/registry_layout.h"
#include "registry/registry_primitives.h"
#include "registry/registry_tree.h"
#include "registry/result_mapping.h"

namespace rm {
namespace {

constexpr char kFileValueName[] = "File";
constexpr char kRefCountValueName[] = "RefCount";

bool IsEmptyText(const char* text) noexcept { return text != nullptr && text[0] == '\0'; }

// The module's full path, or only its file name. False when the path cannot be had whole:
// GetModuleFileNameA fails, or fills the buffer, which is all it says about a cut path.
bool GetModuleFileText(HINSTANCE module, bool fileNameOnly,
                       char (&text)[kFilePathCapacity]) noexcept {
  char fullPath[kFilePathCapacity];
  const DWORD length = GetModuleFileNameA(module, fullPath, kFilePathCapacity);
  if (length == 0 || length >= kFilePathCapacity) return false;
  lstrcpynA(text, fileNameOnly ? PathFindFileNameA(fullPath) : fullPath, kFilePathCapacity);
  return true;
}

// The stored "RefCount", or false when there is none to read.
bool ReadRefCount(const char* componentKey, DWORD* count) noexcept {
  tagQXVALUETYPE type = QXVT_UNKNOWN;
  unsigned long size = 0;
  *count = 0;
  return ReadRegistryValue(HKEY_LOCAL_MACHINE, componentKey, kRefCountValueName, &type, count,
                           sizeof(*count), &size) == kSuccess;
}

WinCode WriteRefCount(const char* componentKey, DWORD count) noexcept {
  return WriteRegistryValue(HKEY_LOCAL_MACHINE, componentKey, kRefCountValueName, QXVT_DWORD,
                            &count, sizeof(count));
}

// False only for a key that exists and holds no value.
bool MayHoldValues(const char* path) noexcept {
  UniqueRegKey key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, kReadAccess, key.put()) != ERROR_SUCCESS) {
    return true;
  }
  DWORD valueCount = 0;
  return RegQueryInfoKeyA(key.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                          &valueCount, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS ||
         valueCount != 0;
}

// Removes a key left with neither sub-keys nor values; the outcome does not matter.
// SHDeleteEmptyKeyA looks only at sub-keys, so a key that still holds values (another
// product's under "SOFTWARE\Varnel\", say) is spared before it is asked.
void PruneIfEmpty(const char* path) noexcept {
  if (!MayHoldValues(path)) SHDeleteEmptyKeyA(HKEY_LOCAL_MACHINE, path);
}

}  // namespace

tagQXINTRFCRESULT RegisterComponent(HINSTANCE module, const GUID& clsid, const char* friendlyName,
                                    const char* category, bool referenceCounted) noexcept {
  if (module == nullptr || IsEmptyText(category)) return QXIR_INVALID_PARAMETER;

  char moduleFile[kFilePathCapacity];
  if (!GetModuleFileText(module, referenceCounted, moduleFile)) return QXIR_REGISTRY_ERROR;

  ClsidText clsidText;
  if (FormatCLSIDText(clsid, clsidText) != QXIR_SUCCESS) return QXIR_BAD_CLSID;

  // Every path is built before the first write, so that a name too long for a registry path
  // is refused with nothing written.
  const RegistryPath componentKey = ComponentKeyPath(clsidText.c_str());
  const RegistryPath categoryEntryKey = CategoryEntryKeyPath(category, clsidText.c_str());
  if (!componentKey.ok() || !categoryEntryKey.ok()) return QXIR_INVALID_PARAMETER;

  WinCode code =
      WriteRegistryStringValue(HKEY_LOCAL_MACHINE, componentKey.c_str(), nullptr, friendlyName);
  if (code != kSuccess) return MapByRegistryRule(code);
  code = WriteRegistryStringValue(HKEY_LOCAL_MACHINE, componentKey.c_str(), kFileValueName,
                                  moduleFile);
  if (code != kSuccess) return MapByRegistryRule(code);
  if (category != nullptr) {
    code = WriteRegistryStringValue(HKEY_LOCAL_MACHINE, categoryEntryKey.c_str(), nullptr,
                                    friendlyName);
    if (code != kSuccess) return MapByRegistryRule(code);
  }
  if (!referenceCounted) return QXIR_SUCCESS;

  DWORD count = 0;
  if (!ReadRefCount(componentKey.c_str(), &count)) count = 0;
  return MapByRegistryRule(WriteRefCount(componentKey.c_str(), count + 1));
}

tagQXINTRFCRESULT UnregisterComponent(const GUID& clsid, const char* category) noexcept {
  if (IsEmptyText(category)) return QXIR_INVALID_PARAMETER;

  ClsidText clsidText;
  if (FormatCLSIDText(clsid, clsidText) != QXIR_SUCCESS) return QXIR_BAD_CLSID;

  const RegistryPath componentKey = ComponentKeyPath(clsidText.c_str());
  const RegistryPath categoryKey = CategoryKeyPath(category);
  const RegistryPath categoryEntryKey = CategoryEntryKeyPath(category, clsidText.c_str());
  const RegistryPath categoryRootKey = CategoryRootKeyPath();
  if (!componentKey.ok() || !categoryKey.ok() || !categoryEntryKey.ok() || !categoryRootKey.ok()) {
    return QXIR_INVALID_PARAMETER;
  }

  // While other registrations are outstanding, only the count goes down. A stored count of
  // zero has none outstanding: it is removed like the last one instead of wrapping around.
  DWORD count = 0;
  if (ReadRefCount(componentKey.c_str(), &count) && count > 1) {
    return MapByRegistryRule(WriteRefCount(componentKey.c_str(), count - 1));
  }

  if (category != nullptr) {
    const WinCode removed = DeleteRegistryKeyTree(HKEY_LOCAL_MACHINE, categoryEntryKey.c_str());
    if (removed != kSuccess) return MapByRegistryRule(removed);
    PruneIfEmpty(categoryKey.c_str());
  }
  PruneIfEmpty(categoryRootKey.c_str());

  // A component key that is already gone is not an error; only a refusal is.
  const WinCode removed = DeleteRegistryKeyTree(HKEY_LOCAL_MACHINE, componentKey.c_str());
  if (removed != kSuccess) return MapByFinalRemovalRule(removed);
  PruneIfEmpty(kComponentRootKey);
  PruneIfEmpty(kVarnelKey);
  return QXIR_SUCCESS;
}

}  // namespace rm
