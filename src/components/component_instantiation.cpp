// Finding the module file that serves a component: its "File" value, resolved beside the host's
// executable when it is a bare file name.
#include "components/component_instantiation.h"

#include <shlwapi.h>

#include <cstring>

#include "base/path_builder.h"
#include "components/clsid_text.h"
#include "components/registry_layout.h"
#include "registry/registry_primitives.h"
#include "registry/result_mapping.h"

namespace rm {
namespace {

// The directory of the host's executable with its trailing backslash, or the code of the
// failure when the executable's path cannot be had whole.
WinCode HostExecutableDirectory(FilePath& directory) noexcept {
  char executable[kFilePathCapacity];
  const DWORD length = GetModuleFileNameA(nullptr, executable, sizeof(executable));
  if (length == 0) {
    const WinCode failed = GetLastError();
    return failed != kSuccess ? failed : ERROR_GEN_FAILURE;
  }
  if (length >= sizeof(executable)) return ERROR_FILENAME_EXCED_RANGE;  // cut short
  const char* lastSeparator = std::strrchr(executable, '\\');
  if (lastSeparator == nullptr) return ERROR_BAD_PATHNAME;
  directory.append(executable, static_cast<std::size_t>(lastSeparator - executable) + 1);
  return directory.ok() ? kSuccess : ERROR_FILENAME_EXCED_RANGE;
}

}  // namespace

WinCode ReadComponentModulePath(const RegistryPath& componentKey, char* path,
                                unsigned long capacity, unsigned long* sizeNeeded) noexcept {
  const WinCode read =
      ReadRegistryStringValue(HKEY_LOCAL_MACHINE, componentKey.c_str(), kFileValueName, path,
                              capacity, sizeNeeded, MissingSize::Unreported);
  if (read != kSuccess) return read;

  // A bare file name belongs to the host: it is looked for beside the host's executable,
  // never beside this library, and not at all when the host's folder cannot be had (the
  // loader would search its own path for it). A value with any directory part is loaded as it
  // stands.
  // compat C13
  if (!PathIsFileSpecA(path)) return kSuccess;
  FilePath directory;
  if (const WinCode found = HostExecutableDirectory(directory); found != kSuccess) return found;
  FilePath resolved;
  resolved.append(directory.c_str()).append(path);
  // compat F13
  if (!resolved.ok() || resolved.length() >= capacity) return ERROR_FILENAME_EXCED_RANGE;
  std::memcpy(path, resolved.c_str(), resolved.length() + 1);
  return kSuccess;
}

tagQXINTRFCRESULT ResolveComponentModulePath(const GUID& clsid, char* path, unsigned long capacity,
                                             unsigned long* sizeNeeded,
                                             WinCode* readCode) noexcept {
  ClsidText clsidText;
  if (const auto refused = ComponentKeyText(clsid, clsidText)) return refused;
  if (path == nullptr || capacity == 0) return QXIR_INVALID_PARAMETER;
  const WinCode read =
      ReadComponentModulePath(ComponentKeyPath(clsidText.c_str()), path, capacity, sizeNeeded);
  if (readCode != nullptr) *readCode = read;
  return MapByModulePathLookupRule(read);
}

}  // namespace rm
