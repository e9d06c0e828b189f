// Finding the module file that serves a component: its "File" value, resolved beside the host's
// executable when it is a bare file name.
#include "components/component_instantiation.h"

#include <shlwapi.h>

#include <cstring>
#include <cwchar>

#include "base/path_builder.h"
#include "components/clsid_text.h"
#include "components/registry_layout.h"
#include "registry/registry_primitives.h"
#include "registry/result_mapping.h"

namespace rm {
namespace {

// The directory of the host's executable with its trailing backslash, or the code of the
// failure when the executable's path cannot be had whole.
WinCode HostExecutableDirectory(WideFilePath& directory) noexcept {
  wchar_t executable[kFilePathCapacity];
  // compat F23
  const DWORD length = GetModuleFileNameW(nullptr, executable, kFilePathCapacity);
  if (length == 0) {
    const WinCode failed = GetLastError();
    return failed != kSuccess ? failed : ERROR_GEN_FAILURE;
  }
  if (length >= kFilePathCapacity) return ERROR_FILENAME_EXCED_RANGE;  // cut short
  const wchar_t* lastSeparator = std::wcsrchr(executable, L'\\');
  if (lastSeparator == nullptr) return ERROR_BAD_PATHNAME;
  directory.append(executable, static_cast<std::size_t>(lastSeparator - executable) + 1);
  return directory.ok() ? kSuccess : ERROR_FILENAME_EXCED_RANGE;
}

}  // namespace

WinCode ReadComponentModulePath(const RegistryPath& componentKey, wchar_t* path,
                                unsigned long capacity) noexcept {
  // compat F23
  const WinCode read = ReadRegistryStringValue(HKEY_LOCAL_MACHINE, componentKey.c_str(),
                                               kFileValueNameWide, path, capacity);
  if (read != kSuccess) return read;

  // A bare file name belongs to the host: it is looked for beside the host's executable,
  // never beside this library, and not at all when the host's folder cannot be had (the
  // loader would search its own path for it). A value with any directory part is loaded as it
  // stands.
  // compat C13
  if (!PathIsFileSpecW(path)) return kSuccess;
  WideFilePath directory;
  if (const WinCode found = HostExecutableDirectory(directory); found != kSuccess) return found;
  WideFilePath resolved;
  resolved.append(directory.c_str()).append(path);
  // compat F13
  if (!resolved.ok() || resolved.length() >= capacity) return ERROR_FILENAME_EXCED_RANGE;
  std::memcpy(path, resolved.c_str(), (resolved.length() + 1) * sizeof(wchar_t));
  return kSuccess;
}

tagQXINTRFCRESULT ResolveComponentModulePath(const GUID& clsid, wchar_t* path,
                                             unsigned long capacity, WinCode* readCode) noexcept {
  ClsidText clsidText;
  if (const auto refused = ComponentKeyText(clsid, clsidText)) return refused;
  if (path == nullptr || capacity == 0) return QXIR_INVALID_PARAMETER;
  const WinCode read = ReadComponentModulePath(ComponentKeyPath(clsidText.c_str()), path, capacity);
  if (readCode != nullptr) *readCode = read;
  return MapByModulePathLookupRule(read);
}

}  // namespace rm
