// QXCreateInstance and QXFreeUnusedLibraries: creating a component by loading its module
// directly and asking the module's class factory, and releasing modules no longer in use.
#include <windows.h>

#include "base/null_address.h"
#include "components/component_instantiation.h"
#include "components/loaded_module_list.h"
#include "qx/component_instances.h"
#include "registry/failure_trace.h"
#include "shared/unique_handle.h"

namespace rm {
using GetClassObjectFunction = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, LPVOID*);
}  // namespace rm

tagQXINTRFCRESULT QXCreateInstance(const GUID& clsid, IUnknown* outer, unsigned long,
                                   const GUID& iid, void** object) noexcept {
  rm::CallTrace call("QXCreateInstance");
  call.Guid(&clsid);
  // compat F01 F05
  if (object == nullptr || rm::IsNullAddress(&iid)) return call.Returns(QXIR_INVALID_PARAMETER);
  *object = nullptr;

  wchar_t path[rm::kFilePathCapacity];
  rm::WinCode readCode = rm::kSuccess;
  const tagQXINTRFCRESULT resolved =
      rm::ResolveComponentModulePath(clsid, path, rm::kFilePathCapacity, &readCode);
  if (resolved != QXIR_SUCCESS) return call.Returns(resolved, readCode);
  call.File(path);

  // The list entry is taken before the module is loaded: once an instance exists, listing
  // its module cannot fail. Without memory for it, nothing is loaded.
  rm::UniqueLoadedModuleEntry entry = rm::NewLoadedModuleEntry();
  if (!entry) return call.Returns(QXIR_LOADLIBRARY_FAILED, ERROR_NOT_ENOUGH_MEMORY);

  // Every return before the module is listed unloads it again.
  // By the wide path, so that a module in a folder outside the ANSI code page loads.
  // compat F23
  rm::UniqueModule module(LoadLibraryW(path));
  if (!module) return call.Returns(QXIR_LOADLIBRARY_FAILED, GetLastError());

  auto getClassObject = reinterpret_cast<rm::GetClassObjectFunction>(
      GetProcAddress(module.get(), "DllGetClassObject"));
  if (getClassObject == nullptr) return call.Returns(QXIR_NO_DLLGETCLASSOBJECT, GetLastError());

  IClassFactory* factory = nullptr;
  const HRESULT gotFactory =
      getClassObject(clsid, IID_IClassFactory, reinterpret_cast<void**>(&factory));
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

  rm::AppendLoadedModule(entry.release(), module.release());
  return call.Returns(QXIR_SUCCESS);
}

void QXFreeUnusedLibraries() noexcept { rm::FreeUnusedLoadedModules(); }
