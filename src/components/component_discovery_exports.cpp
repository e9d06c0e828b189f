// QXEnumComponents and QXGetComponentFriendlyName: what a category holds and what a component
// is called, read from the machine-wide component registry.
#include "qx/component_instances.h"

#include "base/caller_buffer.h"
#include "components/clsid_text.h"
#include "components/registry_layout.h"
#include "registry/failure_trace.h"
#include "registry/registry_primitives.h"
#include "registry/result_mapping.h"
#include "shared/registry_key.h"
#include "shared/unique_handle.h"

namespace {

// Walks the category's sub-keys; with an array, parses up to `capacity` of them into it.
// Returns the Windows code and, on success, the number of sub-keys handled.
rm::WinCode EnumerateCategory(const char* categoryKeyPath, GUID* clsids, unsigned long capacity,
                              unsigned long* handled) noexcept {
  rm::UniqueRegKey key;
  if (const rm::WinCode opened =
          rm::OpenKey(HKEY_LOCAL_MACHINE, categoryKeyPath, rm::kReadAccess, key);
      opened != rm::kSuccess) {
    return opened;
  }
  rm::KeyInfo info;
  if (const rm::WinCode queried = rm::QueryKeyInfo(key.get(), info); queried != rm::kSuccess) {
    return queried;
  }

  unsigned long index = 0;
  const rm::WinCode walked = rm::EnumerateSubKeys<char>(key.get(), info, [&](const char* name) {
    if (index >= info.subKeyCount || (clsids != nullptr && index >= capacity)) return false;
    // compat C19 F10
    // A sub-key whose name is not a CLSID text still takes its slot, all zero, and is counted.
    if (clsids != nullptr) rm::ParseCLSIDText(name, &clsids[index]);
    ++index;
    return true;
  });
  if (walked != rm::kSuccess && (walked != rm::kNoMoreItems || index < info.subKeyCount)) {
    return walked;
  }
  *handled = index;
  return rm::kSuccess;
}

}  // namespace

tagQXINTRFCRESULT QXEnumComponents(const char* categoryName, GUID* clsids,
                                   unsigned long* count) noexcept {
  rm::CallTrace call("QXEnumComponents");
  call.Name(categoryName);
  // Without a name the path would address the "Category" key itself, whose sub-keys are
  // category names, not components.
  // compat F15
  if (categoryName == nullptr || categoryName[0] == '\0' || count == nullptr) {
    return call.Returns(QXIR_INVALID_PARAMETER);
  }
  const rm::RegistryPath path = rm::CategoryKeyPath(categoryName);
  if (!path.ok()) return call.Returns(QXIR_INVALID_PARAMETER);

  unsigned long handled = 0;
  const rm::WinCode walked = EnumerateCategory(path.c_str(), clsids, *count, &handled);
  if (walked == rm::kSuccess) *count = handled;
  return call.Returns(rm::MapByFixedKeyNotFoundRule(walked), walked);
}

tagQXINTRFCRESULT QXGetComponentFriendlyName(const GUID& clsid, char* buffer,
                                             unsigned long bufferSize,
                                             unsigned long* sizeNeeded) noexcept {
  rm::CallTrace call("QXGetComponentFriendlyName");
  call.Guid(&clsid);
  rm::ClsidText clsidText;
  if (const auto refused = rm::ComponentKeyText(clsid, clsidText)) return call.Returns(refused);
  // A probe has nowhere to put its answer without a size pointer.
  if (buffer == nullptr && sizeNeeded == nullptr) return call.Returns(QXIR_INVALID_PARAMETER);

  // A caller that gives a buffer may leave out the size pointer; a name that does not fit is
  // then still reported as QXIR_BUFFER_TOO_SMALL, only without the size.
  const rm::RegistryPath path = rm::ComponentKeyPath(clsidText.c_str());
  // compat C01
  const rm::WinCode code =
      rm::ReadRegistryStringValue(HKEY_LOCAL_MACHINE, path.c_str(), nullptr, buffer, bufferSize,
                                  sizeNeeded, rm::MissingSize::Unreported);
  return call.Returns(rm::MapByLookupRule(code), code);
}
