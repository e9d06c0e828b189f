// pidtool: the host tool for Rm7731.pid and the component registry. See ToolHelp().
#include <windows.h>
#include <objbase.h>

#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "cli/reporting.h"
#include "cli/version_text.h"

namespace pidtool {
namespace {

int Main(const std::vector<std::string>& words) {
  const ParsedCommandLine parsed = ParseCommandLine(words);
  switch (parsed.action) {
    case ParsedCommandLine::Action::ShowHelp: {
      const std::string help =
          parsed.command != nullptr ? CommandHelp(*parsed.command) : ToolHelp();
      std::fputs(help.c_str(), stdout);
      return kExitSuccess;
    }
    case ParsedCommandLine::Action::ShowVersion:
      std::fputs(VersionText(parsed.json).c_str(), stdout);
      return kExitSuccess;
    case ParsedCommandLine::Action::BadUsage: {
      if (parsed.command != nullptr) return BadArguments(parsed, parsed.error);
      std::fprintf(stderr, "pidtool: %s\n%s", parsed.error.c_str(), ToolUsage().c_str());
      if (parsed.json) {
        JsonWriter json;
        WriteProblemJson(json, Problem{parsed.error, FailureCode{}});
        PrintOut(json.Text());
      }
      return kExitBadUsage;
    }
    case ParsedCommandLine::Action::Run: break;
  }
  // Component modules may expect COM to be initialised on the calling thread, as it is in
  // any host application.
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  const int status = parsed.command->run(parsed);
  if (SUCCEEDED(com)) CoUninitialize();
  return status;
}

}  // namespace
}  // namespace pidtool

int main(int argc, char** argv) {
  try {
    return pidtool::Main(std::vector<std::string>(argv + 1, argv + argc));
  } catch (const std::exception& failure) {
    std::fprintf(stderr, "pidtool: %s\n", failure.what());
    return pidtool::kExitFailure;
  }
}
