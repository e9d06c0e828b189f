#include "cli/reporting.h"

#include <cstdio>

#include "cli/guid_text.h"
#include "cli/text_format.h"

namespace pidtool {

void PrintOut(const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fflush(stdout);
}

void NoteFailure(const CommandSpec& command, const Problem& problem) {
  std::fprintf(stderr, "pidtool %s: %s\n", command.name, problem.what.c_str());
  std::fflush(stderr);
}

void WriteProblemJson(JsonWriter& json, const Problem& problem) {
  json.BeginObject().Key("error").String(AnsiToUtf8(problem.what)).Key("code");
  if (problem.code.known) {
    json.Unsigned(problem.code.number);
  } else {
    json.Null();
  }
  json.Key("name");
  if (problem.code.name.empty()) {
    json.Null();
  } else {
    json.String(problem.code.name);
  }
  json.EndObject();
}

void WriteProblemsJson(JsonWriter& json, const std::vector<Problem>& problems) {
  if (problems.empty()) return;
  json.Key("errors").BeginArray();
  for (const Problem& problem : problems) WriteProblemJson(json, problem);
  json.EndArray();
}

int Failure(const ParsedCommandLine& parsed, const Problem& problem) {
  NoteFailure(*parsed.command, problem);
  if (parsed.json) {
    JsonWriter json;
    WriteProblemJson(json, problem);
    PrintOut(json.Text());
  }
  return kExitFailure;
}

int BadArguments(const ParsedCommandLine& parsed, const std::string& what) {
  const CommandSpec& command = *parsed.command;
  std::fprintf(stderr, "pidtool %s: %s\n%s", command.name, what.c_str(),
               CommandUsage(command).c_str());
  std::fflush(stderr);
  if (parsed.json) {
    JsonWriter json;
    WriteProblemJson(json, Problem{what, FailureCode{}});
    PrintOut(json.Text());
  }
  return kExitBadUsage;
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
