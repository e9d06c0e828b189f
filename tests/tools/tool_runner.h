#pragma once
// Runs pidtool.exe from the test program's folder as a child process, the way a user or a
// script runs it, and captures its exit status, stdout and stderr.

#include <string>
#include <vector>

namespace rmtest {

struct ToolRun {
  unsigned long exitCode = 0xFFFFFFFF;
  std::string out;
  std::string err;
};

// Arguments are UTF-8, passed on wide as a user types them in any script, and quoted as
// needed; `program` is the tool to run (a copy elsewhere, say). Fails the test when the process
// cannot be started.
ToolRun RunPidtool(const std::vector<std::string>& arguments,
                   const std::wstring& program = L"pidtool.exe");

// UTF-8 to UTF-16 and back.
std::wstring WideText(const std::string& utf8);
std::string Utf8Text(const std::wstring& wide);

// The number of lines of `text`.
int LineCount(const std::string& text);

}  // namespace rmtest
