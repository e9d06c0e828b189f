#include "tool_runner.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace rmtest {
namespace {

std::string Quoted(const std::string& argument) {
  if (!argument.empty() && argument.find_first_of(" \t\"") == std::string::npos) return argument;
  std::string quoted = "\"";
  for (char c : argument) {
    if (c == '"') quoted += '\\';
    quoted += c;
  }
  return quoted + "\"";
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

ToolRun RunPidtool(const std::vector<std::string>& arguments) {
  std::string commandLine = "pidtool.exe";
  for (const std::string& argument : arguments) commandLine += " " + Quoted(argument);

  CaptureFile out("out");
  CaptureFile err("err");
  ToolRun run;
  if (out.handle() == INVALID_HANDLE_VALUE || err.handle() == INVALID_HANDLE_VALUE) {
    ADD_FAILURE() << "cannot create the capture files";
    return run;
  }
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = out.handle();
  startup.hStdError = err.handle();
  PROCESS_INFORMATION process{};
  std::vector<char> writable(commandLine.begin(), commandLine.end());
  writable.push_back('\0');
  if (!CreateProcessA(nullptr, writable.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                      &startup, &process)) {
    ADD_FAILURE() << "cannot start " << commandLine << ": error " << GetLastError();
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
