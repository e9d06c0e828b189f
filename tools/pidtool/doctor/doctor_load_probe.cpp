#include "doctor/doctor_load_probe.h"

#include <objbase.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <vector>

#include "cli/guid_text.h"
#include "cli/text_format.h"
#include "shared/unique_handle.h"

namespace pidtool {
namespace {

// Process, thread and file handles; counted with the file mappings, the only other kernel
// handles the guards hold.
using UniqueKernelHandle = rm::UniqueHandle<HANDLE, CloseHandle, rm::HandleKind::FileMapping,
                                            rm::detail::kInvalidHandleBits>;

// Each line goes out at once, so that what a crash leaves behind says how far the child got.
void Say(const std::string& line) {
  std::fputs((line + "\n").c_str(), stdout);
  std::fflush(stdout);
}

LONG WINAPI EndWithExceptionCode(EXCEPTION_POINTERS* exception) {
  // No debugger, no error box: the parent reads the exception code as the exit status.
  TerminateProcess(GetCurrentProcess(), exception->ExceptionRecord->ExceptionCode);
  return EXCEPTION_EXECUTE_HANDLER;
}

// A scratch file the child writes its lines to, gone when the last handle to it closes. Wide:
// the temporary folder lies in the user's profile, whose name may be in any script.
UniqueKernelHandle InheritableScratchFile() {
  wchar_t folder[MAX_PATH + 1], path[MAX_PATH + 1];
  const DWORD length = GetTempPathW(MAX_PATH + 1, folder);
  if (length == 0 || length > MAX_PATH || GetTempFileNameW(folder, L"pid", 0, path) == 0) {
    return UniqueKernelHandle();
  }
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  return UniqueKernelHandle(CreateFileW(
      path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
      &inherit, CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
}

std::string ReadFromStart(HANDLE file) {
  std::string text;
  SetFilePointer(file, 0, nullptr, FILE_BEGIN);
  char chunk[4096];
  DWORD read = 0;
  while (ReadFile(file, chunk, sizeof chunk, &read, nullptr) && read > 0) text.append(chunk, read);
  return text;
}

// Reads the child's lines into `probe`; true when it reached its end.
bool ReadChildLines(const std::string& text, LoadProbe* probe) {
  std::istringstream lines(text);
  std::string line;
  bool done = false;
  while (std::getline(lines, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::istringstream words(line);
    std::string word;
    words >> word;
    if (word == "step") {
      std::getline(words >> std::ws, probe->step);
    } else if (word == "load-error") {
      words >> probe->code;
      probe->outcome = LoadProbe::Outcome::LoadFailed;
    } else if (word == "class-object") {
      std::string code;
      int gotObject = 0;
      words >> code >> gotObject;
      probe->code = static_cast<DWORD>(std::strtoul(code.c_str(), nullptr, 16));
      probe->gotObject = gotObject != 0;
      probe->outcome = LoadProbe::Outcome::Answered;
    } else if (word == "done") {
      done = true;
    }
  }
  return done;
}

}  // namespace

std::string ThisProgramPath() {
  std::vector<wchar_t> path(32768);
  const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
  return length == 0 || length >= path.size() ? std::string() : Utf8(path.data(), length);
}

LoadProbe ProbeModuleInChild(const std::string& modulePath, const std::string& clsid) {
  LoadProbe probe;
  const std::string self = ThisProgramPath();
  UniqueKernelHandle out = InheritableScratchFile();
  if (self.empty() || !out) {
    probe.code = GetLastError();
    return probe;
  }
  // A file path holds no double quote, so quoting it needs no escapes. Wide, so that the path
  // reaches the child whole.
  std::wstring commandLine =
      Wide("\"" + self + "\" doctor --probe-module \"" + modulePath + "\" --probe-clsid " + clsid);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = out.get();
  PROCESS_INFORMATION started{};
  if (!CreateProcessW(Wide(self).c_str(), &commandLine[0], nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                      nullptr, nullptr, &startup, &started)) {
    probe.code = GetLastError();
    return probe;
  }
  const UniqueKernelHandle process(started.hProcess);
  const UniqueKernelHandle thread(started.hThread);
  const bool timedOut = WaitForSingleObject(process.get(), kLoadProbeMilliseconds) != WAIT_OBJECT_0;
  if (timedOut) {
    TerminateProcess(process.get(), ERROR_TIMEOUT);
    WaitForSingleObject(process.get(), INFINITE);
  }
  DWORD status = 0;
  GetExitCodeProcess(process.get(), &status);
  const bool done = ReadChildLines(ReadFromStart(out.get()), &probe);
  if (timedOut) {
    probe.outcome = LoadProbe::Outcome::TimedOut;
  } else if (!done || status != 0) {
    probe.outcome = LoadProbe::Outcome::Crashed;
    probe.code = status;
  } else if (probe.outcome == LoadProbe::Outcome::LoadFailed) {
    probe.failure = ExplainLoadFailure(modulePath, probe.code);
  }
  return probe;
}

int RunLoadProbe(const std::string& modulePath, const std::string& clsid) {
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
  SetUnhandledExceptionFilter(EndWithExceptionCode);
  GUID guid{};
  ParseGuid(clsid, &guid);
  Say("step LoadLibraryW");
  rm::UniqueModule module(LoadLibraryW(Wide(modulePath).c_str()));
  if (!module) {
    Say("load-error " + std::to_string(GetLastError()));
  } else {
    using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
    const auto getClassObject =
        reinterpret_cast<GetClassObject>(GetProcAddress(module.get(), "DllGetClassObject"));
    Say("step DllGetClassObject");
    IClassFactory* factory = nullptr;
    const HRESULT asked =
        getClassObject != nullptr
            ? getClassObject(guid, IID_IClassFactory, reinterpret_cast<void**>(&factory))
            : HRESULT_FROM_WIN32(GetLastError());
    char answer[64];
    std::snprintf(answer, sizeof answer, "class-object %08lX %d", static_cast<unsigned long>(asked),
                  factory != nullptr ? 1 : 0);
    Say(answer);
    if (factory != nullptr) {
      Say("step IClassFactory::Release");
      factory->Release();
    }
    Say("step FreeLibrary");
  }
  module.reset();
  Say("done");
  return 0;
}

}  // namespace pidtool
