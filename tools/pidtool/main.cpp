// pidtool: the host tool for Rm7731.pid and the component registry. See ToolHelp().
#include <windows.h>
#include <objbase.h>

#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "cli/reporting.h"
#include "cli/text_format.h"
#include "cli/version_text.h"

namespace pidtool {
namespace {

int Main(const std::vector<std::string>& words) {
  const ParsedCommandLine parsed = ParseCommandLine(words);
  switch (parsed.action) {
    case ParsedCommandLine::Action::ShowHelp: {
      const std::string help =
          parsed.command != nullptr ? CommandHelp(*parsed.command) : ToolHelp();
      PrintOut(help);
      return kExitSuccess;
    }
    case ParsedCommandLine::Action::ShowVersion:
      PrintOut(VersionText(parsed.json));
      return kExitSuccess;
    case ParsedCommandLine::Action::BadUsage: {
      if (parsed.command != nullptr) return BadArguments(parsed, parsed.error);
      PrintError("pidtool: " + parsed.error + "\n" + ToolUsage());
      if (parsed.json) PrintOut(JsonText(ProblemJson(Problem{parsed.error, FailureCode{}})));
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

// The command line is read wide (the program is linked with -municode), so that a path or name
// typed in any script reaches the tool whole, whatever the ANSI code page holds.
extern "C" int wmain(int argc, wchar_t** argv) {
  try {
    std::vector<std::string> words;
    for (int index = 1; index < argc; ++index) words.push_back(pidtool::Utf8(argv[index]));
    return pidtool::Main(words);
  } catch (const std::exception& failure) {
    std::fprintf(stderr, "pidtool: %s\n", failure.what());
    return pidtool::kExitFailure;
  }
}
