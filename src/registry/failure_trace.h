#pragma once
// The field trace: one line through OutputDebugStringA for every exported call that fails,
// naming the function, what it was called on, the Windows code behind the failure and the
// result returned:
//
//   Rm7731: QXGetRegistryStringValueData(HKEY_LOCAL_MACHINE\SOFTWARE\X, "Note") failed:
//   Windows code 2, returned QXIR_REGISTRY_ERROR (13)
//
// It is off unless the environment variable RM7731_TRACE is 1, or the DWORD value
// "Rm7731Trace" under HKEY_CURRENT_USER\SOFTWARE\Varnel or HKEY_LOCAL_MACHINE\SOFTWARE\Varnel
// is not zero; RM7731_TRACE=0 keeps it off whatever the registry says. The switch is read once
// per process, at the first failure, so a call that succeeds pays a few stores and one
// comparison. Lines are built on the stack; the caller's last-error value survives the trace.
//
// Every return of an exported function passes through its CallTrace:
//
//   rm::CallTrace call("QXAddRegistryKey");
//   call.Key(root, subKey);
//   const rm::WinCode code = rm::CreateRegistryKey(root, subKey);
//   return call.Returns(rm::MapByRegistryRule(code), code);

#include <windows.h>

#include "qx/results.h"
#include "shared/win_code.h"

namespace rm {

class CallTrace {
 public:
  explicit CallTrace(const char* function) noexcept : function_(function) {}
  CallTrace(const CallTrace&) = delete;
  CallTrace& operator=(const CallTrace&) = delete;

  // What the call works on, shown in its line in the order given (at most four). The pointers
  // are kept, not copied: what they point to must outlive the call's return.
  CallTrace& Key(HKEY root, const char* path) noexcept { return Add(Kind::Key, root, path); }
  CallTrace& ValueName(const char* name) noexcept { return Add(Kind::ValueName, nullptr, name); }
  CallTrace& Name(const char* name) noexcept { return Add(Kind::Name, nullptr, name); }
  CallTrace& File(const char* path) noexcept { return Add(Kind::File, nullptr, path); }
  // A wide path shows in the ANSI code page; a character the code page lacks shows as <U+XXXX>.
  CallTrace& File(const wchar_t* path) noexcept { return Add(Kind::WideFile, nullptr, path); }
  CallTrace& Guid(const GUID* guid) noexcept { return Add(Kind::Guid, nullptr, guid); }

  // Returns `result`, tracing it first when it is a failure. `code` is the Windows code behind
  // it, or a failed HRESULT; 0 when the call was refused without one.
  tagQXINTRFCRESULT Returns(tagQXINTRFCRESULT result,
                            unsigned long code = kSuccess) const noexcept {
    if (result != QXIR_SUCCESS) TraceResult(result, code);
    return result;
  }
  // The same for a COM entry point.
  HRESULT ReturnsHresult(HRESULT result) const noexcept {
    if (FAILED(result)) TraceHresult(result);
    return result;
  }
  // For the exports that return neither: traces a failure whose return value `returned` names.
  void Failed(unsigned long code, const char* returned) const noexcept;

 private:
  enum class Kind : unsigned char { Key, ValueName, Name, File, WideFile, Guid };
  struct Subject {
    Kind kind;
    HKEY root;
    const void* what;
  };
  static constexpr int kSubjectCapacity = 4;

  CallTrace& Add(Kind kind, HKEY root, const void* what) noexcept {
    if (subjectCount_ < kSubjectCapacity) subjects_[subjectCount_++] = Subject{kind, root, what};
    return *this;
  }
  void TraceResult(tagQXINTRFCRESULT result, unsigned long code) const noexcept;
  void TraceHresult(HRESULT result) const noexcept;
  // What the call returned, as the pieces of its text.
  struct Returned {
    const char* parts[4];
  };
  void Write(unsigned long code, const Returned& returned) const noexcept;

  const char* function_;
  Subject subjects_[kSubjectCapacity];
  int subjectCount_ = 0;
};

// Reads the switch as the environment and the registry set it now (the trace itself reads it
// once per process).
bool TraceSwitchIsOn() noexcept;

// Where trace lines go: OutputDebugStringA, unless a test takes them.
using TraceWriter = void (*)(const char* line) noexcept;

// For tests: sets the switch and the writer (null: OutputDebugStringA).
void SetTraceForTesting(bool on, TraceWriter writer) noexcept;

}  // namespace rm
