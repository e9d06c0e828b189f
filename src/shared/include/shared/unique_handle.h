#pragma once
// One scope guard for every kind of handle the module takes inside a call.
//
//   UniqueModule module(LoadLibraryA(path));
//   if (!module) ...
//   UniqueCoTaskMemText text;
//   if (FAILED(StringFromCLSID(clsid, text.put()))) ...   // taken over when the statement ends
//
// The guard closes what it holds when it leaves scope, so release on every path comes from
// scope. Each kind keeps a count of live handles, which the tests read to prove that a call
// released everything it took (the platform's own handle count is not usable under Wine).

#include <windows.h>
#include <cstdint>
#include <objbase.h>
#include <setupapi.h>

namespace rm {

enum class HandleKind {
  RegistryKey,
  DeviceInfoSet,
  InfFile,
  FindFile,
  Module,
  CoTaskMemText,
  HeapBlock,
  FileMapping,
  MappedView,
  ComInterface,
  Count
};

// Live handles of one kind held by guards right now, in this process.
long LiveHandleCount(HandleKind kind) noexcept;
// Sum over all kinds.
long LiveHandleCountTotal() noexcept;

namespace detail {
void CountHandleOpened(HandleKind kind) noexcept;
void CountHandleClosed(HandleKind kind) noexcept;
}  // namespace detail

// T: the handle type. Close: the function that releases it. Kind: which count it feeds.
// InvalidBits: the handle value meaning "nothing held" besides null (INVALID_HANDLE_VALUE
// for the kinds that use it).
template <typename T, auto Close, HandleKind Kind, std::uintptr_t InvalidBits = 0>
class UniqueHandle {
 public:
  UniqueHandle() noexcept = default;
  explicit UniqueHandle(T value) noexcept { adopt(value); }
  ~UniqueHandle() { reset(); }

  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& other) noexcept : value_(other.value_) { other.value_ = Invalid(); }
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) {
      reset();
      value_ = other.value_;
      other.value_ = Invalid();
    }
    return *this;
  }

  static bool IsValid(T value) noexcept { return value != Invalid() && value != T(); }

  explicit operator bool() const noexcept { return IsValid(value_); }
  T get() const noexcept { return value_; }

  void reset(T value = Invalid()) noexcept {
    if (IsValid(value_)) {
      Close(value_);
      detail::CountHandleClosed(Kind);
    }
    value_ = Invalid();
    adopt(value);
  }

  // Gives up ownership without closing.
  T release() noexcept {
    T value = value_;
    if (IsValid(value)) detail::CountHandleClosed(Kind);
    value_ = Invalid();
    return value;
  }

  // For out-parameters: closes what is held, and adopts what the call stored once the full
  // expression ends.
  class Receiver {
   public:
    explicit Receiver(UniqueHandle& owner) noexcept : owner_(owner) {}
    ~Receiver() { owner_.adopt(value_); }
    Receiver(const Receiver&) = delete;
    Receiver& operator=(const Receiver&) = delete;
    operator T*() noexcept { return &value_; }  // NOLINT: mirrors the out-parameter type

   private:
    UniqueHandle& owner_;
    T value_ = Invalid();
  };
  Receiver put() noexcept {
    reset();
    return Receiver(*this);
  }

 private:
  static T Invalid() noexcept {
    if constexpr (InvalidBits == 0) {
      return T();
    } else {
      return reinterpret_cast<T>(InvalidBits);
    }
  }
  void adopt(T value) noexcept {
    value_ = value;
    if (IsValid(value_)) detail::CountHandleOpened(Kind);
  }

  T value_ = Invalid();
};

namespace detail {
inline void FreeHeapBlock(void* block) noexcept { HeapFree(GetProcessHeap(), 0, block); }
inline void FreeCoTaskMemText(wchar_t* text) noexcept { CoTaskMemFree(text); }
inline void UnmapView(void* view) noexcept { UnmapViewOfFile(view); }
inline void CloseInf(HINF inf) noexcept { SetupCloseInfFile(inf); }
template <typename Interface>
void ReleaseInterface(Interface* pointer) noexcept {
  pointer->Release();
}
constexpr std::uintptr_t kInvalidHandleBits = static_cast<std::uintptr_t>(-1);
}  // namespace detail

using UniqueRegKey = UniqueHandle<HKEY, RegCloseKey, HandleKind::RegistryKey>;
using UniqueInfFile =
    UniqueHandle<HINF, detail::CloseInf, HandleKind::InfFile, detail::kInvalidHandleBits>;
using UniqueFindHandle =
    UniqueHandle<HANDLE, FindClose, HandleKind::FindFile, detail::kInvalidHandleBits>;
using UniqueModule = UniqueHandle<HMODULE, FreeLibrary, HandleKind::Module>;
using UniqueCoTaskMemText =
    UniqueHandle<wchar_t*, detail::FreeCoTaskMemText, HandleKind::CoTaskMemText>;
using UniqueHeapBlock = UniqueHandle<void*, detail::FreeHeapBlock, HandleKind::HeapBlock>;
using UniqueFileMapping = UniqueHandle<HANDLE, CloseHandle, HandleKind::FileMapping>;
using UniqueMappedView = UniqueHandle<void*, detail::UnmapView, HandleKind::MappedView>;
template <typename Interface>
using UniqueComInterface =
    UniqueHandle<Interface*, detail::ReleaseInterface<Interface>, HandleKind::ComInterface>;

// A heap block of `size` bytes, or an empty guard when the heap refuses.
inline UniqueHeapBlock AllocateHeapBlock(std::size_t size) noexcept {
  return UniqueHeapBlock(HeapAlloc(GetProcessHeap(), 0, size));
}

}  // namespace rm
