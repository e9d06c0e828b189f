// QXCreateInstance and QXFreeUnusedLibraries: creating a component by loading its module
// directly and asking the module's class factory, and releasing modules no longer in use.
#include "components/component_instantiation.h"

#include <shlwapi.h>

#include <cstring>
#include <utility>

#include "common/path_builder.h"
#include "common/unique_handle.h"
#include "components/clsid_text.h"
#include "components/loaded_module_list.h"
#include "components/registry_layout.h"
#include "qx/component_instances.h"
#include "registry/failure_trace.h"
#include "registry/registry_primitives.h"
#include "registry/result_mapping.h"

namespace rm {

using GetClassObjectFunction = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, LPVOID*);

namespace {

// The directory of the host's executable with its trailing backslash, or false when the
// executable's path cannot be had whole.
bool HostExecutableDirectory(FilePath& directory) noexcept {
  char executable[kFilePathCapacity];
  const DWORD length = GetModuleFileNameA(nullptr, executable, sizeof(executable));
  if (length == 0 || length >= sizeof(executable)) return false;  // none, or cut short
  const char* lastSeparator = std::strrchr(executable, '\\');
  if (lastSeparator == nullptr) return false;
  directory.append(executable, static_cast<std::size_t>(lastSeparator - executable) + 1);
  return directory.ok();
}

}  // namespace

WinCode ReadComponentModulePath(const RegistryPath& componentKey, char* path,
                                unsigned long capacity, unsigned long* sizeNeeded) noexcept {
  const WinCode read = ReadRegistryStringValue(HKEY_LOCAL_MACHINE, componentKey.c_str(), kFileValueName,
                                               path, capacity, sizeNeeded, MissingSize::Unreported);
  if (read != kSuccess) return read;

  // A bare file name belongs to the host: it is looked for beside the host's executable,
  // never beside this library. A value with any directory part is loaded as it stands.
  FilePath directory;
  // compat C13
  if (!PathIsFileSpecA(path) || !HostExecutableDirectory(directory)) return kSuccess;
  FilePath resolved;
  resolved.append(directory.c_str()).append(path);
  // compat F13
  if (!resolved.ok() || resolved.length() >= capacity) return ERROR_FILENAME_EXCED_RANGE;
  std::memcpy(path, resolved.c_str(), resolved.length() + 1);
  return kSuccess;
}

tagQXINTRFCRESULT ResolveComponentModulePath(const GUID& clsid, char* path,
                                             unsigned long capacity, unsigned long* sizeNeeded,
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

tagQXINTRFCRESULT QXCreateInstance(const GUID& clsid, IUnknown* outer, unsigned long,
                                   const GUID& iid, void** object) noexcept {
  rm::CallTrace call("QXCreateInstance");
  call.Guid(&clsid);
  // compat F01 F05
  if (object == nullptr || rm::IsNullAddress(&iid)) return call.Returns(QXIR_INVALID_PARAMETER);
  *object = nullptr;

  char path[rm::kFilePathCapacity];
  rm::WinCode readCode = rm::kSuccess;
  const tagQXINTRFCRESULT resolved =
      rm::ResolveComponentModulePath(clsid, path, sizeof(path), nullptr, &readCode);
  if (resolved != QXIR_SUCCESS) return call.Returns(resolved, readCode);
  call.File(path);

  // The list entry is taken before the module is loaded: once an instance exists, listing
  // its module cannot fail. Without memory for it, nothing is loaded.
  rm::LoadedModuleEntryPtr entry = rm::NewLoadedModuleEntry();
  if (!entry) return call.Returns(QXIR_LOADLIBRARY_FAILED, ERROR_NOT_ENOUGH_MEMORY);

  // Every return before the module is listed unloads it again.
  rm::UniqueModule module(LoadLibraryA(path));
  if (!module) return call.Returns(QXIR_LOADLIBRARY_FAILED, GetLastError());

  auto getClassObject = reinterpret_cast<rm::GetClassObjectFunction>(
      GetProcAddress(module.get(), "DllGetClassObject"));
  if (getClassObject == nullptr) return call.Returns(QXIR_NO_DLLGETCLASSOBJECT, GetLastError());

  IClassFactory* factory = nullptr;
  const HRESULT gotFactory = getClassObject(clsid, IID_IClassFactory, reinterpret_cast<void**>(&factory));
  // A module that claims success without handing out a factory has failed all the same.
  // compat F11
  if (FAILED(gotFactory) || factory == nullptr) {
    return call.Returns(QXIR_GETCLASSOBJECT_FAILED, FAILED(gotFactory) ? gotFactory : 0);
  }

  const HRESULT created = factory->CreateInstance(outer, iid, object);
  factory->Release();
  // A factory that claims success without an object has failed too; the module is freed
  // below, as on every failure, and the caller never sees what a failed call left behind.
  // compat F11
  if (FAILED(created) || *object == nullptr) {
    *object = nullptr;
    return call.Returns(QXIR_CREATEINSTANCE_FAILED, FAILED(created) ? created : 0);
  }

  rm::AppendLoadedModule(std::move(entry), module.release());
  return call.Returns(QXIR_SUCCESS);
}

void QXFreeUnusedLibraries() noexcept { rm::FreeUnusedLoadedModules(); }
