// CQXGlobalMemObj: named shared memory backed by the paging file.
//
// The record is shared by the objects that operator= joined; a reference count in it makes
// the last of them free it. The mapping and its view outlive the calls on purpose: they stay
// in the record from Create to Destroy, and the destructor leaves them alone.
#include <windows.h>

#include <new>

#include "qx/utilities.h"
#include "registry/failure_trace.h"
#include "shared/unique_handle.h"
#include "shared_memory/global_mem_obj.h"

namespace {
volatile LONG g_liveRecords = 0;
}

namespace rm {
long LiveGlobalMemRecords() noexcept { return InterlockedCompareExchange(&g_liveRecords, 0, 0); }
}  // namespace rm

struct CQXGlobalMemObj::GlobalMemRecord {
  GlobalMemRecord() noexcept { InterlockedIncrement(&g_liveRecords); }
  ~GlobalMemRecord() { InterlockedDecrement(&g_liveRecords); }
  GlobalMemRecord(const GlobalMemRecord&) = delete;
  GlobalMemRecord& operator=(const GlobalMemRecord&) = delete;

  HANDLE mapping = nullptr;
  void* view = nullptr;  // null while no block is held: before Create and after Destroy
  LONG references = 1;   // objects referring to this record

  void AddReference() noexcept { InterlockedIncrement(&references); }
  static void Release(GlobalMemRecord* record) noexcept {
    if (record != nullptr && InterlockedDecrement(&record->references) == 0) delete record;
  }
};

namespace {

// Hands the code of a failure to the caller, and to the trace with what the call returns.
void ReportError(const rm::CallTrace& call, unsigned long* error, DWORD code,
                 const char* returned) noexcept {
  call.Failed(code, returned);
  if (error != nullptr) *error = code;
}

}  // namespace

CQXGlobalMemObj::CQXGlobalMemObj() noexcept : record_(new (std::nothrow) GlobalMemRecord) {}

// compat C23
CQXGlobalMemObj::~CQXGlobalMemObj() noexcept { GlobalMemRecord::Release(record_); }

CQXGlobalMemObj& CQXGlobalMemObj::operator=(const CQXGlobalMemObj& other) noexcept {
  if (other.record_ == record_) return *this;
  if (other.record_ != nullptr) other.record_->AddReference();
  GlobalMemRecord::Release(record_);
  record_ = other.record_;
  return *this;
}

void* CQXGlobalMemObj::Create(unsigned long size, const char* name, int* alreadyExisted,
                              unsigned long* error) noexcept {
  rm::CallTrace call("CQXGlobalMemObj::Create");
  call.Name(name);
  if (record_ == nullptr) {
    ReportError(call, error, ERROR_NOT_ENOUGH_MEMORY, "null");
    return nullptr;
  }
  if (size == 0) {
    ReportError(call, error, ERROR_INVALID_PARAMETER, "null");
    return nullptr;
  }

  HANDLE created = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, size, name);
  const DWORD createCode = GetLastError();  // ERROR_ALREADY_EXISTS even on success
  rm::UniqueFileMapping mapping(created);
  if (!mapping) {
    ReportError(call, error, createCode, "null");
    return nullptr;
  }
  if (alreadyExisted != nullptr) *alreadyExisted = createCode == ERROR_ALREADY_EXISTS ? 1 : 0;

  rm::UniqueMappedView view(MapViewOfFileEx(mapping.get(), FILE_MAP_WRITE, 0, 0, 0, nullptr));
  if (!view) {
    ReportError(call, error, GetLastError(), "null");
    return nullptr;  // the mapping just obtained closes with its guard
  }

  // A block recorded earlier stays mapped and open, out of this object's reach: callers may
  // still be using its address.
  record_->mapping = mapping.release();
  record_->view = view.release();
  return record_->view;
}

int CQXGlobalMemObj::Destroy(unsigned long* error) noexcept {
  rm::CallTrace call("CQXGlobalMemObj::Destroy");
  if (record_ == nullptr) {
    ReportError(call, error, ERROR_NOT_ENOUGH_MEMORY, "0");
    return 0;
  }
  // Without a view nothing is unmapped: the address of a destroyed block may by now belong to
  // another mapping.
  // compat C24 F12
  if (record_->view == nullptr) {
    ReportError(call, error, ERROR_INVALID_ADDRESS, "0");
    return 0;
  }
  if (!UnmapViewOfFile(record_->view)) {
    ReportError(call, error, GetLastError(), "0");
    return 0;  // the mapping stays open
  }
  CloseHandle(record_->mapping);
  record_->view = nullptr;
  record_->mapping = nullptr;
  return 1;
}

// The constructor as Visual C++ callers expect it.
//
// A Visual C++ constructor returns its object's address (EAX on x86, RAX on x64) and callers
// may use that value; GCC's returns nothing. The export list gives this function the Visual C++
// name of the constructor. Every other member has the same calling convention in both compilers
// (__thiscall on x86, a reference from operator= returned as a pointer, a plain non-virtual
// destructor), so those names alias GCC's members directly.
#if defined(__i386__)
#define RM_VISUAL_CPP_MEMBER __attribute__((thiscall))
#else
#define RM_VISUAL_CPP_MEMBER
#endif

extern "C" RM_VISUAL_CPP_MEMBER CQXGlobalMemObj* ConstructGlobalMemObjForVisualCpp(
    CQXGlobalMemObj* object) noexcept {
  return ::new (object) CQXGlobalMemObj;
}
