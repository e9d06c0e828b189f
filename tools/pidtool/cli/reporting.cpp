#include "cli/reporting.h"

#include <cstdio>

#include "cli/guid_text.h"
#include "cli/text_format.h"

namespace pidtool {

namespace {

void Print(std::FILE* stream, DWORD standardHandle, const std::string& text) {
  std::fflush(stream);
  const HANDLE handle = GetStdHandle(standardHandle);
  DWORD mode = 0;
  if (GetConsoleMode(handle, &mode)) {
    const std::wstring wide = Wide(text);
    DWORD written = 0;
    WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
    return;
  }
  const std::string shown = Utf8ToAnsiShown(text);
  std::fwrite(shown.data(), 1, shown.size(), stream);
  std::fflush(stream);
}

}  // namespace

void PrintOut(const std::string& text) { Print(stdout, STD_OUTPUT_HANDLE, text); }

void PrintError(const std::string& text) { Print(stderr, STD_ERROR_HANDLE, text); }

void NoteFailure(const CommandSpec& command, const Problem& problem) {
  PrintError(std::string("pidtool ") + command.name + ": " + problem.what + "\n");
}

Json ProblemJson(const Problem& problem) {
  return {{"error", problem.what},
          {"code", problem.code.known ? Json(problem.code.number) : Json()},
          {"name", StringOrNull(problem.code.name)}};
}

void AddProblemsJson(Json& document, const std::vector<Problem>& problems) {
  if (problems.empty()) return;
  Json& errors = document["errors"] = Json::array();
  for (const Problem& problem : problems) errors.push_back(ProblemJson(problem));
}

int Failure(const ParsedCommandLine& parsed, const Problem& problem) {
  NoteFailure(*parsed.command, problem);
  if (parsed.json) PrintOut(JsonText(ProblemJson(problem)));
  return kExitFailure;
}

int BadArguments(const ParsedCommandLine& parsed, const std::string& what) {
  const CommandSpec& command = *parsed.command;
  PrintError(std::string("pidtool ") + command.name + ": " + what + "\n" + CommandUsage(command));
  if (parsed.json) PrintOut(JsonText(ProblemJson(Problem{what, FailureCode{}})));
  return kExitBadUsage;
}

int UnpassableName(const ParsedCommandLine& parsed, const char* what, const std::string& name) {
  return BadArguments(parsed, std::string("the ") + what + " name '" + name +
                                  "' holds characters that the ANSI code page lacks, and "
                                  "Rm7731.pid takes names in that code page");
}

bool GuidArgument(const ParsedCommandLine& parsed, std::size_t index, const char* what, GUID* guid,
                  int* status) {
  const std::string& text = parsed.arguments[index];
  if (ParseGuid(text, guid)) return true;
  *status = BadArguments(
      parsed, "'" + text + "' is not " + what + " (write {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX})");
  return false;
}

}  // namespace pidtool
