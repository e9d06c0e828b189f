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

// Arguments are quoted as needed; fails the test when the process cannot be started.
ToolRun RunPidtool(const std::vector<std::string>& arguments);

// The number of lines of `text`.
int LineCount(const std::string& text);

}  // namespace rmtest
