#include "tool_runner.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace rmtest {
namespace {

std::wstring Quoted(const std::wstring& argument) {
  if (!argument.empty() && argument.find_first_of(L" \t\"") == std::wstring::npos) return argument;
  std::wstring quoted = L"\"";
  for (wchar_t c : argument) {
    if (c == L'"') quoted += L'\\';
    quoted += c;
  }
  return quoted + L"\"";
}

// An inheritable scratch file that the child writes to and that is read back afterwards.
class CaptureFile {
 public:
  explicit CaptureFile(const char* tag) {
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    GetTempFileNameA(folder, tag, 0, path_);
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    handle_ = CreateFileA(path_, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                          &inherit, CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY, nullptr);
  }
  ~CaptureFile() {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    DeleteFileA(path_);
  }
  HANDLE handle() const { return handle_; }

  std::string Contents() const {
    std::string text;
    SetFilePointer(handle_, 0, nullptr, FILE_BEGIN);
    char chunk[4096];
    DWORD read = 0;
    while (ReadFile(handle_, chunk, sizeof chunk, &read, nullptr) && read > 0)
      text.append(chunk, read);
    // The tool writes through the C runtime in text mode.
    std::string lines;
    for (char c : text) {
      if (c != '\r') lines += c;
    }
    return lines;
  }

 private:
  char path_[MAX_PATH] = {};
  HANDLE handle_ = INVALID_HANDLE_VALUE;
};

}  // namespace

std::wstring WideText(const std::string& utf8) {
  std::wstring wide(utf8.size() + 1, L'\0');
  const int length =
      MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, &wide[0], static_cast<int>(wide.size()));
  wide.resize(length > 0 ? static_cast<std::size_t>(length) - 1 : 0);
  return wide;
}

std::string Utf8Text(const std::wstring& wide) {
  std::string utf8(wide.size() * 3 + 1, '\0');
  const int length = WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, &utf8[0],
                                         static_cast<int>(utf8.size()), nullptr, nullptr);
  utf8.resize(length > 0 ? static_cast<std::size_t>(length) - 1 : 0);
  return utf8;
}

ToolRun RunPidtool(const std::vector<std::string>& arguments, const std::wstring& program) {
  std::wstring commandLine = Quoted(program);
  for (const std::string& argument : arguments) commandLine += L" " + Quoted(WideText(argument));

  CaptureFile out("out");
  CaptureFile err("err");
  ToolRun run;
  if (out.handle() == INVALID_HANDLE_VALUE || err.handle() == INVALID_HANDLE_VALUE) {
    ADD_FAILURE() << "cannot create the capture files";
    return run;
  }
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = out.handle();
  startup.hStdError = err.handle();
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                      &startup, &process)) {
    ADD_FAILURE() << "cannot start " << Utf8Text(commandLine) << ": error " << GetLastError();
    return run;
  }
  WaitForSingleObject(process.hProcess, 120000);
  DWORD code = 0xFFFFFFFF;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  run.exitCode = code;
  run.out = out.Contents();
  run.err = err.Contents();
  return run;
}

int LineCount(const std::string& text) {
  int lines = 0;
  for (char c : text) lines += c == '\n';
  if (!text.empty() && text.back() != '\n') ++lines;
  return lines;
}

}  // namespace rmtest
