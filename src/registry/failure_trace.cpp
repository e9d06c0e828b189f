#include "registry/failure_trace.h"

#include <objbase.h>
#include <strsafe.h>

#include <cstring>

#include "base/null_address.h"
#include "registry/registry_primitives.h"
#include "shared/result_names.h"

namespace rm {
namespace {

constexpr char kSwitchVariable[] = "RM7731_TRACE";
constexpr char kSwitchKey[] = "SOFTWARE\\Varnel";
constexpr char kSwitchValue[] = "Rm7731Trace";

enum : LONG { kUndecided = 0, kOff = 1, kOn = 2 };
volatile LONG g_traceState = kUndecided;

void WriteToDebugger(const char* line) noexcept { OutputDebugStringA(line); }
TraceWriter g_writer = &WriteToDebugger;

bool TraceIsOn() noexcept {
  LONG state = g_traceState;  // an aligned LONG is read whole
  if (state == kUndecided) {
    // Threads that race here read the same switch and store the same answer.
    state = TraceSwitchIsOn() ? kOn : kOff;
    InterlockedExchange(&g_traceState, state);
  }
  return state == kOn;
}

bool RegistrySwitchIsOn(HKEY root) noexcept {
  tagQXVALUETYPE type = QXVT_UNKNOWN;
  DWORD value = 0;
  unsigned long size = 0;
  return ReadRegistryValue(root, kSwitchKey, kSwitchValue, &type, &value, sizeof(value), &size) ==
             kSuccess &&
         type == QXVT_DWORD && value != 0;
}

const char* ResultName(tagQXINTRFCRESULT result) noexcept {
  const char* name = QXResultName(result);
  return name != nullptr ? name : "result";
}

const char* RootName(HKEY root) noexcept {
  if (root == HKEY_LOCAL_MACHINE) return "HKEY_LOCAL_MACHINE";
  if (root == HKEY_CURRENT_USER) return "HKEY_CURRENT_USER";
  if (root == HKEY_CLASSES_ROOT) return "HKEY_CLASSES_ROOT";
  if (root == HKEY_USERS) return "HKEY_USERS";
  return nullptr;
}

// Numbers as text, in a buffer of their own.
struct NumberText {
  char text[24];
};

NumberText Decimal(unsigned long value) noexcept {
  NumberText out{};
  StringCchPrintfA(out.text, sizeof out.text, "%lu", value);
  return out;
}

// "0x" and eight digits; a handle value has as many digits as it has bits to show.
NumberText Hexadecimal(unsigned long value) noexcept {
  NumberText out{};
  StringCchPrintfA(out.text, sizeof out.text, "0x%08lX", value);
  return out;
}
NumberText HandleValue(ULONG_PTR value) noexcept {
  NumberText out{};
  const unsigned long low = static_cast<unsigned long>(value & 0xFFFFFFFFu);
  if (sizeof value > 4) {
    const unsigned long high =
        static_cast<unsigned long>(static_cast<unsigned long long>(value) >> 32);
    StringCchPrintfA(out.text, sizeof out.text, "0x%08lX%08lX", high, low);
  } else {
    StringCchPrintfA(out.text, sizeof out.text, "0x%08lX", low);
  }
  return out;
}

// One line on the stack. What the call worked on may be cut, marked with "..."; room stays
// for the end of the line, which always comes whole.
class TraceLine {
 public:
  static constexpr std::size_t kCapacity = 2048;
  static constexpr std::size_t kSubjectLimit = kCapacity - 160;

  void Append(const char* text) noexcept { AppendWithin(text, kCapacity - 2); }
  void AppendSubject(const char* text) noexcept {
    if (!cut_) cut_ = !AppendWithin(text, kSubjectLimit);
  }
  // The line's own end, which the sanitising of Copy would turn into '?'.
  void EndLine() noexcept {
    text_[length_++] = '\n';
    text_[length_] = '\0';
  }
  const char* c_str() const noexcept { return text_; }

 private:
  // False when `text` had to be cut to end the line at `limit` bytes with "...".
  bool AppendWithin(const char* text, std::size_t limit) noexcept {
    const std::size_t length = std::strlen(text);
    if (length_ + length <= limit) {
      Copy(text, length);
      return true;
    }
    Copy(text, limit > length_ + 3 ? limit - 3 - length_ : 0);
    if (length_ + 3 <= limit) Copy("...", 3);
    return false;
  }
  // A control character would break the line in a viewer; it shows as '?'.
  void Copy(const char* text, std::size_t length) noexcept {
    for (std::size_t index = 0; index < length; ++index) {
      const unsigned char c = static_cast<unsigned char>(text[index]);
      text_[length_++] = c < 0x20 || c == 0x7F ? '?' : static_cast<char>(c);
    }
    text_[length_] = '\0';
  }

  char text_[kCapacity] = {};
  std::size_t length_ = 0;
  bool cut_ = false;
};

void AppendQuoted(TraceLine& line, const char* text) noexcept {
  line.AppendSubject("\"");
  line.AppendSubject(text);
  line.AppendSubject("\"");
}

void AppendGuid(TraceLine& line, const GUID* guid) noexcept {
  // StringFromGUID2 writes into the buffer given, without allocating.
  wchar_t wide[40];
  char text[40];
  if (IsNullAddress(guid) || StringFromGUID2(*guid, wide, 40) == 0) {
    line.AppendSubject("(null)");
    return;
  }
  std::size_t index = 0;
  for (; wide[index] != L'\0'; ++index) text[index] = static_cast<char>(wide[index]);
  text[index] = '\0';
  line.AppendSubject(text);
}

// Each character as the ANSI code page has it, without a best-fit stand-in ("?" or a look-alike
// would name another file), or else as its code point.
void AppendWidePath(TraceLine& line, const wchar_t* path) noexcept {
  for (const wchar_t* at = path; *at != L'\0'; ++at) {
    const bool pair = at[0] >= 0xD800 && at[0] < 0xDC00 && at[1] >= 0xDC00 && at[1] < 0xE000;
    char bytes[8] = {};
    if (*at < 0x80) {
      bytes[0] = static_cast<char>(*at);
      line.AppendSubject(bytes);
      continue;
    }
    BOOL usedDefault = FALSE;
    if (!pair &&
        WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, at, 1, bytes, sizeof bytes - 1, nullptr,
                            &usedDefault) > 0 &&
        !usedDefault) {
      line.AppendSubject(bytes);
      continue;
    }
    unsigned long codePoint = static_cast<unsigned long>(*at);
    if (pair) {
      codePoint =
          0x10000 + ((codePoint - 0xD800) << 10) + (static_cast<unsigned long>(at[1]) - 0xDC00);
      ++at;
    }
    NumberText shown{};
    StringCchPrintfA(shown.text, sizeof shown.text, "<U+%04lX>", codePoint);
    line.AppendSubject(shown.text);
  }
}

}  // namespace

void CallTrace::TraceResult(tagQXINTRFCRESULT result, unsigned long code) const noexcept {
  const NumberText number = Decimal(static_cast<unsigned long>(result));
  Write(code, Returned{ResultName(result), " (", number.text, ")"});
}

void CallTrace::TraceHresult(HRESULT result) const noexcept {
  const NumberText number = Hexadecimal(static_cast<unsigned long>(result));
  Write(kSuccess, Returned{"HRESULT ", number.text, "", ""});
}

void CallTrace::Failed(unsigned long code, const char* returned) const noexcept {
  Write(code, Returned{returned, "", "", ""});
}

void CallTrace::Write(unsigned long code, const Returned& returned) const noexcept {
  if (g_traceState == kOff) return;  // the usual answer, decided at the first failure
  const DWORD lastError = GetLastError();
  if (!TraceIsOn()) {
    SetLastError(lastError);
    return;
  }
  TraceLine line;
  line.Append("Rm7731: ");
  line.Append(function_);
  line.Append("(");
  for (int index = 0; index < subjectCount_; ++index) {
    const Subject& subject = subjects_[index];
    const char* text = static_cast<const char*>(subject.what);
    if (index > 0) line.AppendSubject(", ");
    switch (subject.kind) {
      case Kind::Key:
        if (const char* rootName = RootName(subject.root)) {
          line.AppendSubject(rootName);
        } else {
          line.AppendSubject("HKEY ");
          line.AppendSubject(HandleValue(reinterpret_cast<ULONG_PTR>(subject.root)).text);
        }
        line.AppendSubject("\\");
        line.AppendSubject(text != nullptr ? text : "(null)");
        break;
      case Kind::ValueName:
        if (text == nullptr) line.AppendSubject("(default)");
        else AppendQuoted(line, text);
        break;
      case Kind::Name:
        if (text == nullptr) line.AppendSubject("(null)");
        else AppendQuoted(line, text);
        break;
      case Kind::File: line.AppendSubject(text != nullptr ? text : "(null)"); break;
      case Kind::WideFile:
        if (subject.what == nullptr) line.AppendSubject("(null)");
        else AppendWidePath(line, static_cast<const wchar_t*>(subject.what));
        break;
      case Kind::Guid: AppendGuid(line, static_cast<const GUID*>(subject.what)); break;
    }
  }
  line.Append(") failed: ");
  if (code != kSuccess) {
    // Windows codes are small; a code with the top bit set is a failed HRESULT.
    if ((code & 0x80000000u) != 0) {
      line.Append("HRESULT ");
      line.Append(Hexadecimal(code).text);
    } else {
      line.Append("Windows code ");
      line.Append(Decimal(code).text);
    }
    line.Append(", ");
  }
  line.Append("returned ");
  for (const char* part : returned.parts) line.Append(part);
  line.EndLine();
  g_writer(line.c_str());
  SetLastError(lastError);
}

bool TraceSwitchIsOn() noexcept {
  char value[8];
  const DWORD length = GetEnvironmentVariableA(kSwitchVariable, value, sizeof(value));
  if (length > 0 && length < sizeof(value)) return std::strcmp(value, "0") != 0;
  return RegistrySwitchIsOn(HKEY_CURRENT_USER) || RegistrySwitchIsOn(HKEY_LOCAL_MACHINE);
}

void SetTraceForTesting(bool on, TraceWriter writer) noexcept {
  g_writer = writer != nullptr ? writer : &WriteToDebugger;
  InterlockedExchange(&g_traceState, on ? kOn : kOff);
}

}  // namespace rm
