#include "support/import_faults.h"

#include <objbase.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include <array>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <sstream>
#include <type_traits>

namespace rmtest {
namespace {

// How a function shows a failure.
enum class Shape {
  Status,    // returns the error code (the registry calls)
  Null,      // returns null and sets the last error
  AllBits,   // returns INVALID_HANDLE_VALUE or INVALID_FILE_ATTRIBUTES, sets the last error
  Zero,      // returns 0 or FALSE and sets the last error
  HeapNull,  // returns null, and nothing else (HeapAlloc)
  CrtNull,   // returns null with errno ENOMEM (malloc)
  Hresult,   // returns E_OUTOFMEMORY and a null out-pointer (StringFromCLSID)
  Release,   // gives something back; never counted, never fails
};

// The code for each kind of failure, 0 where it does not apply.
struct Codes {
  DWORD accessDenied, outOfMemory, notFound;
};
constexpr Codes kRead{ERROR_ACCESS_DENIED, ERROR_OUTOFMEMORY, ERROR_FILE_NOT_FOUND};
constexpr Codes kWalk{ERROR_ACCESS_DENIED, ERROR_OUTOFMEMORY, 0};  // the end is 259, not 2
constexpr Codes kWrite{ERROR_ACCESS_DENIED, ERROR_DISK_FULL, 0};
constexpr Codes kLoad{ERROR_ACCESS_DENIED, ERROR_OUTOFMEMORY, ERROR_MOD_NOT_FOUND};
constexpr Codes kLookup{0, 0, ERROR_PROC_NOT_FOUND};
constexpr Codes kModule{0, 0, ERROR_MOD_NOT_FOUND};
constexpr Codes kAllocation{0, ERROR_OUTOFMEMORY, 0};
constexpr Codes kNever{0, 0, 0};

// Where what a call takes or gives back is: the return value, or an argument (by index).
constexpr int kNothing = -2;
constexpr int kReturned = -1;

struct Hook {
  const char* name;
  void* stub;
  Shape shape;
  Codes codes;
  int takes = kNothing;     // on success
  int releases = kNothing;  // on success
  char path = 0;            // 'A' or 'W': the first argument is a module path to record
  void* original = nullptr;
};

extern Hook g_hooks[];

struct State {
  bool armed = false;
  unsigned target = 0;
  Fault fault = Fault::AccessDenied;
  std::vector<std::string> calls;
  std::string failed;
  std::multimap<std::uintptr_t, const char*> held;  // value, the function that took it
  std::string lastLoaded;
};
// Never destroyed: the module may still call in while the program exits.
State& state = *new State;

template <typename T>
std::uintptr_t Raw(const T& value) {
  if constexpr (std::is_pointer_v<T>) {
    return reinterpret_cast<std::uintptr_t>(value);
  } else if constexpr (std::is_class_v<T>) {
    return reinterpret_cast<std::uintptr_t>(&value);  // a GUID passed by reference
  } else {
    return static_cast<std::uintptr_t>(value);
  }
}

template <typename R>
R FromRaw(std::uintptr_t bits) {
  if constexpr (std::is_pointer_v<R>) {
    return reinterpret_cast<R>(bits);
  } else {
    return static_cast<R>(bits);
  }
}

DWORD CodeOf(const Codes& codes, Fault fault) {
  switch (fault) {
    case Fault::AccessDenied: return codes.accessDenied;
    case Fault::OutOfMemory: return codes.outOfMemory;
    case Fault::NotFound: return codes.notFound;
  }
  return 0;
}

// Counts the call and answers the code it is to fail with, or 0.
DWORD NextCallFails(const Hook& hook) {
  if (!state.armed || hook.shape == Shape::Release) return 0;
  state.calls.emplace_back(hook.name);
  if (state.calls.size() != state.target) return 0;
  const DWORD code = CodeOf(hook.codes, state.fault);
  if (code != 0) state.failed = std::string(hook.name) + ": " + std::to_string(code);
  return code;
}

template <typename R>
R Fail(const Hook& hook, DWORD code, const std::uintptr_t* args) {
  switch (hook.shape) {
    case Shape::Status: return FromRaw<R>(code);
    case Shape::AllBits: SetLastError(code); return FromRaw<R>(~std::uintptr_t{0});
    case Shape::CrtNull: errno = ENOMEM; return FromRaw<R>(0);
    case Shape::Hresult:
      *reinterpret_cast<void**>(args[1]) = nullptr;
      return FromRaw<R>(static_cast<DWORD>(E_OUTOFMEMORY));
    case Shape::HeapNull: return FromRaw<R>(0);
    default: SetLastError(code); return FromRaw<R>(0);
  }
}

bool Succeeded(Shape shape, std::uintptr_t result) {
  switch (shape) {
    case Shape::Status: return static_cast<DWORD>(result) == 0;
    case Shape::AllBits:
      return result != ~std::uintptr_t{0} && static_cast<DWORD>(result) != 0xFFFFFFFFu;
    case Shape::Hresult: return static_cast<LONG>(result) >= 0;
    case Shape::Release: return true;
    default: return result != 0;
  }
}

// Books what a call that went through took and gave back; the module's last error and errno
// stay as the real function left them.
void Book(const Hook& hook, std::uintptr_t result, const std::uintptr_t* args) {
  const DWORD lastError = GetLastError();
  const int savedErrno = errno;
  if (hook.path == 'A' && args[0] != 0) {
    state.lastLoaded = reinterpret_cast<const char*>(args[0]);
  } else if (hook.path == 'W' && args[0] != 0) {
    const auto* wide = reinterpret_cast<const wchar_t*>(args[0]);
    state.lastLoaded.assign(wide, wide + std::wcslen(wide));
  }
  if (Succeeded(hook.shape, result)) {
    if (hook.releases >= 0) {
      const auto held = state.held.find(args[hook.releases]);
      if (held != state.held.end()) state.held.erase(held);
    }
    if (hook.takes != kNothing) {
      const std::uintptr_t taken =
          hook.takes == kReturned ? result : *reinterpret_cast<std::uintptr_t*>(args[hook.takes]);
      if (taken != 0) state.held.emplace(taken, hook.name);
    }
  }
  errno = savedErrno;
  SetLastError(lastError);
}

template <typename R, typename Call>
R Intercept(const Hook& hook, const std::uintptr_t* args, Call&& call) {
  if constexpr (std::is_void_v<R>) {
    call();
    Book(hook, 0, args);
  } else {
    if (const DWORD code = NextCallFails(hook)) return Fail<R>(hook, code, args);
    const R result = call();
    Book(hook, Raw(result), args);
    return result;
  }
}

// One stub per hook, with the real function's signature and calling convention.
template <int Id, typename R, typename... A>
R WINAPI WinapiStub(A... args) {
  const std::array<std::uintptr_t, sizeof...(A) + 1> raw{Raw(args)..., 0};
  return Intercept<R>(g_hooks[Id], raw.data(), [&] {
    return reinterpret_cast<R(WINAPI*)(A...)>(g_hooks[Id].original)(args...);
  });
}
template <int Id, typename R, typename... A>
R __cdecl CrtStub(A... args) {
  const std::array<std::uintptr_t, sizeof...(A) + 1> raw{Raw(args)..., 0};
  return Intercept<R>(g_hooks[Id], raw.data(), [&] {
    return reinterpret_cast<R(__cdecl*)(A...)>(g_hooks[Id].original)(args...);
  });
}
template <int Id, typename R, typename... A>
void* WinapiStubFor(R(WINAPI*)(A...)) {
  return reinterpret_cast<void*>(&WinapiStub<Id, R, A...>);
}
template <int Id, typename R, typename... A>
void* CrtStubFor(R(__cdecl*)(A...)) {
  return reinterpret_cast<void*>(&CrtStub<Id, R, A...>);
}

// Each hook's stub knows its place in g_hooks by its position in the list below.
constexpr int kFirstHook = __COUNTER__ + 1;
#define RM_STUB(kind, function) \
  kind##StubFor<__COUNTER__ - kFirstHook>(static_cast<decltype(&function)>(nullptr))
#define RM_HOOK(function, ...) \
  Hook { #function, RM_STUB(Winapi, function), __VA_ARGS__ }
#define RM_CRT_HOOK(function, ...) \
  Hook { #function, RM_STUB(Crt, function), __VA_ARGS__ }

Hook g_hooks[] = {
    // Registry.
    RM_HOOK(RegOpenKeyExA, Shape::Status, kRead, 4),
    RM_HOOK(RegOpenKeyExW, Shape::Status, kRead, 4),
    RM_HOOK(RegCreateKeyExA, Shape::Status, kWrite, 7),
    RM_HOOK(RegCreateKeyExW, Shape::Status, kWrite, 7),
    RM_HOOK(RegCloseKey, Shape::Release, kNever, kNothing, 0),
    RM_HOOK(RegQueryValueExA, Shape::Status, kRead),
    RM_HOOK(RegQueryValueExW, Shape::Status, kRead),
    RM_HOOK(RegSetValueExA, Shape::Status, kWrite),
    RM_HOOK(RegSetValueExW, Shape::Status, kWrite),
    RM_HOOK(RegEnumKeyExA, Shape::Status, kWalk),
    RM_HOOK(RegEnumKeyExW, Shape::Status, kWalk),
    RM_HOOK(RegEnumValueA, Shape::Status, kWalk),
    RM_HOOK(RegEnumValueW, Shape::Status, kWalk),
    RM_HOOK(RegQueryInfoKeyA, Shape::Status, kWalk),
    RM_HOOK(RegQueryInfoKeyW, Shape::Status, kWalk),
    RM_HOOK(RegDeleteKeyA, Shape::Status, kRead),
    RM_HOOK(RegDeleteKeyW, Shape::Status, kRead),
    RM_HOOK(RegDeleteValueA, Shape::Status, kRead),
    RM_HOOK(RegDeleteValueW, Shape::Status, kRead),
    RM_HOOK(SHDeleteEmptyKeyA, Shape::Status, kRead),
    RM_HOOK(SHDeleteEmptyKeyW, Shape::Status, kRead),
    // Memory: heap, C runtime, COM task memory, file mappings.
    RM_HOOK(HeapAlloc, Shape::HeapNull, kAllocation, kReturned),
    RM_HOOK(HeapReAlloc, Shape::HeapNull, kAllocation, kReturned, 2),
    RM_HOOK(HeapFree, Shape::Release, kNever, kNothing, 2),
    RM_CRT_HOOK(malloc, Shape::CrtNull, kAllocation, kReturned),
    RM_CRT_HOOK(calloc, Shape::CrtNull, kAllocation, kReturned),
    RM_CRT_HOOK(realloc, Shape::CrtNull, kAllocation, kReturned, 0),
    RM_CRT_HOOK(free, Shape::Release, kNever, kNothing, 0),
    RM_HOOK(StringFromCLSID, Shape::Hresult, kAllocation, 1),
    RM_HOOK(CoTaskMemFree, Shape::Release, kNever, kNothing, 0),
    RM_HOOK(CreateFileMappingA, Shape::Null, kRead, kReturned),
    RM_HOOK(CreateFileMappingW, Shape::Null, kRead, kReturned),
    RM_HOOK(MapViewOfFile, Shape::Null, kWalk, kReturned),
    RM_HOOK(MapViewOfFileEx, Shape::Null, kWalk, kReturned),
    RM_HOOK(UnmapViewOfFile, Shape::Release, kNever, kNothing, 0),
    RM_HOOK(CloseHandle, Shape::Release, kNever, kNothing, 0),
    // Module loading.
    RM_HOOK(LoadLibraryA, Shape::Null, kLoad, kReturned, kNothing, 'A'),
    RM_HOOK(LoadLibraryW, Shape::Null, kLoad, kReturned, kNothing, 'W'),
    RM_HOOK(LoadLibraryExA, Shape::Null, kLoad, kReturned, kNothing, 'A'),
    RM_HOOK(LoadLibraryExW, Shape::Null, kLoad, kReturned, kNothing, 'W'),
    RM_HOOK(FreeLibrary, Shape::Release, kNever, kNothing, 0),
    RM_HOOK(GetProcAddress, Shape::Null, kLookup),
    RM_HOOK(GetModuleHandleA, Shape::Null, kModule),
    RM_HOOK(GetModuleHandleW, Shape::Null, kModule),
    RM_HOOK(GetModuleFileNameA, Shape::Zero, kLoad),
    RM_HOOK(GetModuleFileNameW, Shape::Zero, kLoad),
    // Files and profiles.
    RM_HOOK(GetPrivateProfileStringA, Shape::Zero, kRead),
    RM_HOOK(GetPrivateProfileStringW, Shape::Zero, kRead),
    RM_HOOK(WritePrivateProfileStringA, Shape::Zero, kWrite),
    RM_HOOK(WritePrivateProfileStringW, Shape::Zero, kWrite),
    RM_HOOK(CreateFileA, Shape::AllBits, kRead, kReturned),
    RM_HOOK(CreateFileW, Shape::AllBits, kRead, kReturned),
    RM_HOOK(GetFileAttributesA, Shape::AllBits, kRead),
    RM_HOOK(GetFileAttributesW, Shape::AllBits, kRead),
    RM_HOOK(FindFirstFileA, Shape::AllBits, kRead, kReturned),
    RM_HOOK(FindFirstFileW, Shape::AllBits, kRead, kReturned),
    RM_HOOK(FindClose, Shape::Release, kNever, kNothing, 0),
    RM_HOOK(GetFileVersionInfoSizeA, Shape::Zero, kRead),
    RM_HOOK(GetFileVersionInfoSizeW, Shape::Zero, kRead),
    RM_HOOK(GetFileVersionInfoA, Shape::Zero, kRead),
    RM_HOOK(GetFileVersionInfoW, Shape::Zero, kRead),
};

#undef RM_CRT_HOOK
#undef RM_HOOK
#undef RM_STUB

Hook* FindHook(const char* name) {
  for (Hook& hook : g_hooks) {
    if (std::strcmp(hook.name, name) == 0) return &hook;
  }
  return nullptr;
}

bool StartsWith(const char* text, const char* prefix) {
  return std::strncmp(text, prefix, std::strlen(prefix)) == 0;
}

// The families whose every import needs a stub: registry, files and profiles, memory, module
// loading. Release functions belong to no family; they are stubbed to book releases.
bool InFamilies(const char* dll, const char* name) {
  if (lstrcmpiA(dll, "advapi32.dll") == 0 && StartsWith(name, "Reg")) return true;
  // The names' beginnings, one family a line.
  static const char* const kFamilies[] = {
      "SHDelete SHCopyKey SHReg SHSetValue SHGetValue SHQueryValue SHEnum",
      "GetPrivateProfile WritePrivateProfile GetProfile WriteProfile CreateFile OpenFile "
      "GetFileAttributes FindFirstFile DeleteFile CopyFile MoveFile ReplaceFile GetFileVersionInfo",
      "HeapAlloc HeapReAlloc LocalAlloc LocalReAlloc GlobalAlloc GlobalReAlloc VirtualAlloc "
      "CoTaskMemAlloc CoTaskMemRealloc MapViewOfFile OpenFileMapping StringFromCLSID "
      "StringFromIID ProgIDFromCLSID malloc calloc realloc _strdup _wcsdup strdup wcsdup "
      "_aligned_malloc _recalloc _expand",
      "LoadLibrary LoadPackagedLibrary GetProcAddress GetModuleFileName GetModuleHandle"};
  for (const char* family : kFamilies) {
    std::istringstream prefixes(family);
    for (std::string prefix; prefixes >> prefix;) {
      if (StartsWith(name, prefix.c_str())) return true;
    }
  }
  return false;
}

template <typename T>
T* At(HMODULE module, DWORD rva) {
  return reinterpret_cast<T*>(reinterpret_cast<BYTE*>(module) + rva);
}

void WriteSlot(void** slot, void* value) {
  DWORD protection = 0;
  VirtualProtect(slot, sizeof(*slot), PAGE_READWRITE, &protection);
  *slot = value;
  VirtualProtect(slot, sizeof(*slot), protection, &protection);
}

}  // namespace

ImportFaults::ImportFaults(HMODULE module) {
  if (module == nullptr) {
    ADD_FAILURE() << "no module to patch";
    return;
  }
  const auto* dos = At<IMAGE_DOS_HEADER>(module, 0);
  const auto* nt = At<IMAGE_NT_HEADERS>(module, static_cast<DWORD>(dos->e_lfanew));
  const IMAGE_DATA_DIRECTORY& imports =
      nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  for (auto* dll = At<IMAGE_IMPORT_DESCRIPTOR>(module, imports.VirtualAddress); dll->Name != 0;
       ++dll) {
    const char* dllName = At<char>(module, dll->Name);
    auto* names = At<IMAGE_THUNK_DATA>(
        module, dll->OriginalFirstThunk != 0 ? dll->OriginalFirstThunk : dll->FirstThunk);
    auto* slots = At<IMAGE_THUNK_DATA>(module, dll->FirstThunk);
    for (; names->u1.AddressOfData != 0; ++names, ++slots) {
      if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) {
        ADD_FAILURE() << dllName << " is imported by ordinal: its family cannot be told";
        continue;
      }
      const char* name =
          At<IMAGE_IMPORT_BY_NAME>(module, static_cast<DWORD>(names->u1.AddressOfData))->Name;
      Hook* hook = FindHook(name);
      if (hook == nullptr) {
        EXPECT_FALSE(InFamilies(dllName, name))
            << dllName << "!" << name << " is imported but has no stub in import_faults.cpp";
        continue;
      }
      void** slot = reinterpret_cast<void**>(&slots->u1.Function);
      hook->original = *slot;
      patched_.emplace_back(slot, *slot);
      WriteSlot(slot, hook->stub);
    }
  }
}

ImportFaults::~ImportFaults() {
  Disarm();
  for (const auto& [slot, original] : patched_) WriteSlot(slot, original);
}

void ImportFaults::Arm(unsigned n, Fault fault) {
  state.calls.clear();
  state.failed.clear();
  state.lastLoaded.clear();
  state.target = n;
  state.fault = fault;
  state.armed = true;
}

void ImportFaults::Disarm() { state.armed = false; }

const std::vector<std::string>& ImportFaults::Calls() const { return state.calls; }

DWORD ImportFaults::CodeFor(const std::string& function, Fault fault) {
  const Hook* hook = FindHook(function.c_str());
  return hook != nullptr ? CodeOf(hook->codes, fault) : 0;
}

std::string ImportFaults::Failed() const { return state.failed; }

std::vector<std::string> ImportFaults::LeftBehind() const {
  std::vector<std::string> lines;
  for (const auto& [value, function] : state.held) {
    lines.push_back(std::string(function) + " " + std::to_string(value));
  }
  return lines;
}

void ImportFaults::ForgetLeftBehind() { state.held.clear(); }

std::string ImportFaults::LastLoadedPath() const { return state.lastLoaded; }

}  // namespace rmtest
