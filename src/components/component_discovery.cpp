// QXEnumComponents and QXGetComponentFriendlyName: what a category holds and what a component
// is called, read from the machine-wide component registry.
#include "qx/component_instances.h"

#include "common/unique_handle.h"
#include "components/clsid_text.h"
#include "components/registry_layout.h"
#include "registry/registry_primitives.h"
#include "registry/result_mapping.h"

namespace {

constexpr DWORD kSubKeyNameCapacity = 1025;

// Walks the category's sub-keys; with an array, parses up to `capacity` of them into it.
// Returns the Windows code and, on success, the number of sub-keys handled.
rm::WinCode EnumerateCategory(const char* categoryKeyPath, GUID* clsids, unsigned long capacity,
                              unsigned long* handled) noexcept {
  rm::UniqueRegKey key;
  const LONG opened = RegOpenKeyExA(HKEY_LOCAL_MACHINE, categoryKeyPath, 0, KEY_READ, key.put());
  if (opened != ERROR_SUCCESS) return static_cast<rm::WinCode>(opened);

  DWORD subKeyCount = 0;
  const LONG queried = RegQueryInfoKeyA(key.get(), nullptr, nullptr, nullptr, &subKeyCount,
                                        nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                        nullptr);
  if (queried != ERROR_SUCCESS) return static_cast<rm::WinCode>(queried);

  unsigned long index = 0;
  for (; index < subKeyCount; ++index) {
    char name[kSubKeyNameCapacity];
    DWORD nameLength = kSubKeyNameCapacity;
    const LONG enumerated = RegEnumKeyExA(key.get(), index, name, &nameLength, nullptr, nullptr,
                                          nullptr, nullptr);
    if (enumerated != ERROR_SUCCESS) return static_cast<rm::WinCode>(enumerated);
    if (clsids == nullptr) continue;
    if (index >= capacity) break;
    // A sub-key whose name is not a CLSID text still takes its slot and is counted.
    rm::ParseCLSIDText(name, &clsids[index]);
  }
  *handled = index;
  return rm::kSuccess;
}

}  // namespace

tagQXINTRFCRESULT QXEnumComponents(const char* categoryName, GUID* clsids,
                                   unsigned long* count) noexcept {
  // Without a name the path would address the "Category" key itself, whose sub-keys are
  // category names, not components.
  if (categoryName == nullptr || categoryName[0] == '\0' || count == nullptr) {
    return QXIR_INVALID_PARAMETER;
  }
  const rm::RegistryPath path = rm::CategoryKeyPath(categoryName);
  if (!path.ok()) return QXIR_INVALID_PARAMETER;

  unsigned long handled = 0;
  if (EnumerateCategory(path.c_str(), clsids, *count, &handled) != rm::kSuccess) {
    return QXIR_KEY_NOT_FOUND;
  }
  *count = handled;
  return QXIR_SUCCESS;
}

tagQXINTRFCRESULT QXGetComponentFriendlyName(const GUID& clsid, char* buffer,
                                             unsigned long bufferSize,
                                             unsigned long* sizeNeeded) noexcept {
  rm::ClsidText clsidText;
  if (rm::FormatCLSIDText(clsid, clsidText) != QXIR_SUCCESS) return QXIR_BAD_CLSID;
  // A probe has nowhere to put its answer without a size pointer.
  if (buffer == nullptr && sizeNeeded == nullptr) return QXIR_INVALID_PARAMETER;

  // A caller that gives a buffer may leave out the size pointer; a name that does not fit is
  // then still reported as QXIR_BUFFER_TOO_SMALL, only without the size.
  unsigned long unreportedSize = 0;
  const rm::RegistryPath path = rm::ComponentKeyPath(clsidText.c_str());
  const rm::WinCode read = rm::ReadRegistryStringValue(
      HKEY_LOCAL_MACHINE, path.c_str(), nullptr, buffer, bufferSize,
      sizeNeeded != nullptr ? sizeNeeded : &unreportedSize);
  return rm::MapByLookupRule(read);
}
