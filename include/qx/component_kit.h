#pragma once
// The component kit: what every component DLL of the framework needs besides its own logic,
// in one header for GCC, clang and Visual C++ alike.
//
//   QX_INTERFACE_ID(ISampleGreeter, IID_ISampleGreeter);
//
//   class Greeter : public CQXObject<Greeter, ISampleGreeter> {
//    public:
//     HRESULT STDMETHODCALLTYPE Greet(...) override;  // the interface's own methods
//   };
//
//   QX_COMPONENT_CLASS(Greeter, CLSID_SampleGreeter, "Sample Greeter", "CATEGORY_SampleGreeters");
//   QX_COMPONENT_ENTRY_POINTS(Greeter)
//
// CQXObject implements IUnknown for its interfaces and counts the object in the module;
// QX_COMPONENT_CLASS names a class's CLSID, friendly name and category (nullptr for none);
// QX_COMPONENT_ENTRY_POINTS, in one source file of the DLL, defines and exports
// DllGetClassObject, DllCanUnloadNow, DllRegisterServer and DllUnregisterServer for the classes
// it lists, by their plain names on x86 too (no .def file).
//
// The kit needs no C or C++ runtime and no DllMain: objects live on the process heap, no code
// of the kit runs at load time, and no exception leaves a COM method of the kit. A component's
// own methods must not let one out either.
#include <windows.h>
#include <olectl.h>
#include <unknwn.h>

#include "qx_framework.h"

// Options of a component class (QX_COMPONENT_CLASS_WITH_OPTIONS), combined with |.
enum tagQXCOMPONENTOPTION : unsigned {
  QXCO_NONE = 0,
  QXCO_AGGREGATABLE = 1,  // CreateInstance accepts an outer object (only for IID_IUnknown)
  QXCO_COUNTED = 2,       // registered with QXRegisterServerEx(..., 1): "File" is the file name
                          // and each registration counts until QXUnregisterServer undoes it
};

// The interface identifier of `Interface`, for CQXObject: QX_INTERFACE_ID(IFoo, IID_IFoo).
// Visual C++ and clang-cl take it from the interface's __declspec(uuid) when it has one.
template <class Interface>
struct QXInterfaceId
#if defined(_MSC_VER)
{
  static const IID& Get() noexcept { return __uuidof(Interface); }
}
#endif
;

#define QX_INTERFACE_ID(Interface, iid)              \
  template <>                                        \
  struct QXInterfaceId<Interface> {                  \
    static const IID& Get() noexcept { return iid; } \
  }

// A component class's registration: its CLSID, friendly name and category (nullptr for none),
// and its options (QX_COMPONENT_CLASS_WITH_OPTIONS).
template <class Class>
struct QXComponentClass;

#define QX_COMPONENT_CLASS_WITH_OPTIONS(Class, clsid, friendlyName, category, options) \
  template <>                                                                          \
  struct QXComponentClass<Class> {                                                     \
    static const CLSID& Id() noexcept { return clsid; }                                \
    static const char* FriendlyName() noexcept { return friendlyName; }                \
    static const char* Category() noexcept { return category; }                        \
    static unsigned Options() noexcept { return options; }                             \
  }
#define QX_COMPONENT_CLASS(Class, clsid, friendlyName, category) \
  QX_COMPONENT_CLASS_WITH_OPTIONS(Class, clsid, friendlyName, category, QXCO_NONE)

namespace qx_kit {

inline bool SameGuid(const GUID& a, const GUID& b) noexcept {
  const unsigned char* x = reinterpret_cast<const unsigned char*>(&a);
  const unsigned char* y = reinterpret_cast<const unsigned char*>(&b);
  for (unsigned i = 0; i < sizeof(GUID); ++i) {
    if (x[i] != y[i]) return false;
  }
  return true;
}

// The module's live objects, class factory references and server locks: while any is held,
// DllCanUnloadNow answers S_FALSE. One count per DLL (an inline variable is not exported).
inline LONG liveCount = 0;

// Objects are built in memory taken from the process heap: no operator new, so no runtime.
struct Placement {};

}  // namespace qx_kit

inline void* operator new(decltype(sizeof 0), qx_kit::Placement, void* where) noexcept {
  return where;
}
inline void operator delete(void*, qx_kit::Placement, void*) noexcept {}

// The module a component class lives in.
class CQXModule {
 public:
  // This DLL's handle, found from an address inside it (no DllMain needed).
  static HINSTANCE Instance() noexcept {
    HMODULE module = nullptr;
    GetModuleHandleExW(
        GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
        reinterpret_cast<LPCWSTR>(&qx_kit::liveCount), &module);
    return module;
  }
  static void Lock() noexcept { InterlockedIncrement(&qx_kit::liveCount); }
  static void Unlock() noexcept { InterlockedDecrement(&qx_kit::liveCount); }
  static bool CanUnload() noexcept { return qx_kit::liveCount == 0; }
};

namespace qx_kit {

// ATL's FinalConstruct: a class may define `HRESULT FinalConstruct()`, called once the object
// is built; a failure destroys the object and is CreateInstance's answer.
template <class T>
auto FinalConstruct(T* object, int) noexcept -> decltype(object->FinalConstruct()) {
  return object->FinalConstruct();
}
template <class T>
HRESULT FinalConstruct(T*, long) noexcept {
  return S_OK;
}

template <class First, class...>
struct FirstType {
  using Type = First;
};

}  // namespace qx_kit

// IUnknown for `Interfaces`, the COM interfaces `Class` implements (each named by
// QX_INTERFACE_ID). QueryInterface answers IID_IUnknown with the first interface, so every
// IUnknown pointer to one object is the same. Counts are atomic. Aggregated (QXCO_AGGREGATABLE
// and an outer object), the object hands its outer IUnknown's QueryInterface, AddRef and
// Release through, and the outer object holds the object's own IUnknown.
template <class Class, class... Interfaces>
class CQXObject : public Interfaces... {
  using Primary = typename qx_kit::FirstType<Interfaces...>::Type;

 public:
  CQXObject(const CQXObject&) = delete;
  CQXObject& operator=(const CQXObject&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) noexcept override {
    if (outer_ != nullptr) return outer_->QueryInterface(iid, object);
    return QueryOwnInterface(iid, object);
  }
  ULONG STDMETHODCALLTYPE AddRef() noexcept override {
    if (outer_ != nullptr) return outer_->AddRef();
    return AddOwnReference();
  }
  ULONG STDMETHODCALLTYPE Release() noexcept override {
    if (outer_ != nullptr) return outer_->Release();
    return ReleaseOwnReference();
  }

  // Makes a `Class` and hands out its `iid`; `outer` aggregates it (IID_IUnknown only).
  static HRESULT Create(IUnknown* outer, REFIID iid, void** object) noexcept {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (outer != nullptr && !qx_kit::SameGuid(iid, IID_IUnknown)) return CLASS_E_NOAGGREGATION;
    void* memory = HeapAlloc(GetProcessHeap(), 0, sizeof(Class));
    if (memory == nullptr) return E_OUTOFMEMORY;
    Class* created = nullptr;
#if defined(__cpp_exceptions) || defined(_CPPUNWIND)
    try {
      created = new (qx_kit::Placement{}, memory) Class;
    } catch (...) {
      HeapFree(GetProcessHeap(), 0, memory);
      return E_UNEXPECTED;
    }
#else
    created = new (qx_kit::Placement{}, memory) Class;
#endif
    CQXObject& base = *created;
    base.outer_ = outer;
    // The object starts with one reference, held here until the caller has its own.
    HRESULT result = qx_kit::FinalConstruct(created, 0);
    if (SUCCEEDED(result)) {
      result = outer != nullptr ? (*object = &base.inner_, base.AddOwnReference(), S_OK)
                                : base.QueryOwnInterface(iid, object);
    }
    base.ReleaseOwnReference();
    return result;
  }

 protected:
  CQXObject() noexcept { CQXModule::Lock(); }
  ~CQXObject() { CQXModule::Unlock(); }

 private:
  // The object's own IUnknown, which an outer object holds when it aggregates this one.
  struct InnerUnknown : IUnknown {
    explicit InnerUnknown(CQXObject& object) noexcept : object_(object) {}
    CQXObject& Object() noexcept { return object_; }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) noexcept override {
      if (object != nullptr && qx_kit::SameGuid(iid, IID_IUnknown)) {
        *object = this;
        AddRef();
        return S_OK;
      }
      return Object().QueryOwnInterface(iid, object);
    }
    ULONG STDMETHODCALLTYPE AddRef() noexcept override { return Object().AddOwnReference(); }
    ULONG STDMETHODCALLTYPE Release() noexcept override { return Object().ReleaseOwnReference(); }

    CQXObject& object_;
  };

  HRESULT QueryOwnInterface(REFIID iid, void** object) noexcept {
    if (object == nullptr) return E_POINTER;
    void* found = nullptr;
    if (qx_kit::SameGuid(iid, IID_IUnknown)) {
      found = static_cast<IUnknown*>(static_cast<Primary*>(this));
    }
    ((found == nullptr && qx_kit::SameGuid(iid, QXInterfaceId<Interfaces>::Get())
          ? static_cast<void>(found = static_cast<Interfaces*>(this))
          : static_cast<void>(0)),
     ...);
    *object = found;
    if (found == nullptr) return E_NOINTERFACE;
    // The reference goes through the interface handed out: the outer object's when aggregated.
    static_cast<Primary*>(this)->AddRef();
    return S_OK;
  }
  ULONG AddOwnReference() noexcept {
    return static_cast<ULONG>(InterlockedIncrement(&references_));
  }
  ULONG ReleaseOwnReference() noexcept {
    const LONG left = InterlockedDecrement(&references_);
    if (left == 0) {
      Class* self = static_cast<Class*>(this);
      self->Class::~Class();  // `Class` is the most derived type: no virtual destructor needed
      HeapFree(GetProcessHeap(), 0, self);
    }
    return static_cast<ULONG>(left);
  }

  LONG references_ = 1;
  IUnknown* outer_ = nullptr;  // not counted: the outer object holds this one, not back
  InnerUnknown inner_{*this};
};

// The class factory of `Class`: one per class for the life of the DLL. References to it and
// LockServer keep the DLL loaded.
template <class Class>
class CQXClassFactory final : public IClassFactory {
 public:
  static CQXClassFactory& Instance() noexcept { return instance_; }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) noexcept override {
    if (object == nullptr) return E_POINTER;
    if (!qx_kit::SameGuid(iid, IID_IUnknown) && !qx_kit::SameGuid(iid, IID_IClassFactory)) {
      *object = nullptr;
      return E_NOINTERFACE;
    }
    *object = static_cast<IClassFactory*>(this);
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() noexcept override {
    CQXModule::Lock();
    return 2;
  }
  ULONG STDMETHODCALLTYPE Release() noexcept override {
    CQXModule::Unlock();
    return 1;
  }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid,
                                           void** object) noexcept override {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (outer != nullptr && (QXComponentClass<Class>::Options() & QXCO_AGGREGATABLE) == 0) {
      return CLASS_E_NOAGGREGATION;
    }
    return Class::Create(outer, iid, object);
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) noexcept override {
    if (lock) {
      CQXModule::Lock();
    } else {
      CQXModule::Unlock();
    }
    return S_OK;
  }

 private:
  constexpr CQXClassFactory() noexcept = default;
  static CQXClassFactory instance_;  // built by the loader: no code runs to make it
};
template <class Class>
CQXClassFactory<Class> CQXClassFactory<Class>::instance_;

namespace qx_kit {

inline HRESULT RegistrationResult(tagQXINTRFCRESULT result) noexcept {
  if (result == QXIR_SUCCESS) return S_OK;
  return result == QXIR_ACCESS_DENIED ? E_ACCESSDENIED : SELFREG_E_CLASS;
}

template <class Class>
HRESULT Register() noexcept {
  using Traits = QXComponentClass<Class>;
  const int counted = (Traits::Options() & QXCO_COUNTED) != 0 ? 1 : 0;
  return RegistrationResult(QXRegisterServerEx(CQXModule::Instance(), Traits::Id(),
                                               Traits::FriendlyName(), Traits::Category(), nullptr,
                                               nullptr, counted));
}

template <class Class>
HRESULT Unregister() noexcept {
  using Traits = QXComponentClass<Class>;
  return RegistrationResult(QXUnregisterServer(Traits::Id(), Traits::Category(), nullptr, nullptr));
}

// The classes of one DLL, behind its four entry points.
template <class... Classes>
struct ClassTable {
  static HRESULT GetClassObject(REFCLSID clsid, REFIID iid, void** object) noexcept {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    HRESULT result = CLASS_E_CLASSNOTAVAILABLE;
    ((result == CLASS_E_CLASSNOTAVAILABLE && SameGuid(clsid, QXComponentClass<Classes>::Id())
          ? static_cast<void>(result =
                                  CQXClassFactory<Classes>::Instance().QueryInterface(iid, object))
          : static_cast<void>(0)),
     ...);
    return result;
  }

  // Every class or none: a class that fails takes back the registrations made before it.
  static HRESULT RegisterAll() noexcept { return RegisterFrom<Classes...>(); }

  // Every class is tried; the first failure is the answer.
  static HRESULT UnregisterAll() noexcept {
    HRESULT first = S_OK;
    ((first = Keep(first, Unregister<Classes>())), ...);
    return first;
  }

 private:
  static HRESULT Keep(HRESULT first, HRESULT next) noexcept { return FAILED(first) ? first : next; }
  template <class Class, class... Rest>
  static HRESULT RegisterFrom() noexcept {
    HRESULT result = Register<Class>();
    if (FAILED(result)) return result;
    if constexpr (sizeof...(Rest) > 0) {
      result = RegisterFrom<Rest...>();
      if (FAILED(result)) Unregister<Class>();
    }
    return result;
  }
};

}  // namespace qx_kit

// The four entry points leave the DLL by their plain names, whatever the compiler decorates
// them with (x86 stdcall adds @<bytes>): one linker directive each, so that no .def file and no
// linker option is needed, and nothing else is exported.
#if defined(_MSC_VER) && defined(_M_IX86)
#define QX_KIT_EXPORT_ENTRY_POINTS                                                              \
  __pragma(comment(linker, "/EXPORT:DllGetClassObject=_DllGetClassObject@12,PRIVATE"))          \
      __pragma(comment(linker, "/EXPORT:DllCanUnloadNow=_DllCanUnloadNow@0,PRIVATE")) __pragma( \
          comment(linker, "/EXPORT:DllRegisterServer=_DllRegisterServer@0,PRIVATE"))            \
          __pragma(comment(linker, "/EXPORT:DllUnregisterServer=_DllUnregisterServer@0,PRIVATE"))
#elif defined(_MSC_VER)
#define QX_KIT_EXPORT_ENTRY_POINTS                                       \
  __pragma(comment(linker, "/EXPORT:DllGetClassObject,PRIVATE"))         \
      __pragma(comment(linker, "/EXPORT:DllCanUnloadNow,PRIVATE"))       \
          __pragma(comment(linker, "/EXPORT:DllRegisterServer,PRIVATE")) \
              __pragma(comment(linker, "/EXPORT:DllUnregisterServer,PRIVATE"))
#else
#if defined(__i386__)
#define QX_KIT_EXPORT_DIRECTIVES                            \
  " -export:DllGetClassObject=DllGetClassObject@12,PRIVATE" \
  " -export:DllCanUnloadNow=DllCanUnloadNow@0,PRIVATE"      \
  " -export:DllRegisterServer=DllRegisterServer@0,PRIVATE"  \
  " -export:DllUnregisterServer=DllUnregisterServer@0,PRIVATE "
#else
#define QX_KIT_EXPORT_DIRECTIVES                                       \
  " -export:DllGetClassObject,PRIVATE -export:DllCanUnloadNow,PRIVATE" \
  " -export:DllRegisterServer,PRIVATE -export:DllUnregisterServer,PRIVATE "
#endif
// GNU ld and lld read the .drectve section as linker options, as they do for dllexport.
#define QX_KIT_EXPORT_ENTRY_POINTS                                           \
  [[gnu::section(".drectve"), gnu::used]] static const char qxKitExports[] = \
      QX_KIT_EXPORT_DIRECTIVES;
#endif

// Defines the DLL's four COM entry points for the component classes listed, once per DLL.
#define QX_COMPONENT_ENTRY_POINTS(...)                                                      \
  QX_KIT_EXPORT_ENTRY_POINTS                                                                \
  STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, LPVOID* object) {                    \
    return qx_kit::ClassTable<__VA_ARGS__>::GetClassObject(clsid, iid, object);             \
  }                                                                                         \
  STDAPI DllCanUnloadNow(void) { return CQXModule::CanUnload() ? S_OK : S_FALSE; }          \
  STDAPI DllRegisterServer(void) { return qx_kit::ClassTable<__VA_ARGS__>::RegisterAll(); } \
  STDAPI DllUnregisterServer(void) { return qx_kit::ClassTable<__VA_ARGS__>::UnregisterAll(); }
