#pragma once
// How commands talk back: results on stdout, failures as one line on stderr, and arguments
// that cannot be used sent back with the command's usage.

#include <windows.h>

#include <cstddef>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "cli/json.h"
#include "cli/result_names.h"

namespace pidtool {

// Write UTF-8 `text` to stdout or stderr as the console can show it: to a console as wide text,
// every character whole; redirected, in the ANSI code page, with '?' for a character it lacks
// (--json, which is ASCII, carries such text exactly).
void PrintOut(const std::string& text);
void PrintError(const std::string& text);

// A failure: the line that says what was being done and what went wrong, and the result to blame.
struct Problem {
  std::string what;
  FailureCode code;
};

// Prints "pidtool <command>: <what>" on stderr and, with --json, the problem as a JSON object
// {"error": ..., "code": ..., "name": ...} on stdout; returns kExitFailure.
int Failure(const ParsedCommandLine& parsed, const Problem& problem);

// For a command that goes on after a failure and reports it in its own output: prints the
// stderr line only. With --json the command puts ProblemJson into its document.
void NoteFailure(const CommandSpec& command, const Problem& problem);
Json ProblemJson(const Problem& problem);
// Adds an "errors" member holding the problems to `document`, when there are any.
void AddProblemsJson(Json& document, const std::vector<Problem>& problems);

// Prints "pidtool <command>: <what>" and the command's usage on stderr and, with --json, the
// problem as a JSON object on stdout; returns kExitBadUsage.
int BadArguments(const ParsedCommandLine& parsed, const std::string& what);

// For a name the module must take in the ANSI code page, which lacks one of its characters:
// prints that as bad arguments ("the <what> name '<name>' ...") and returns kExitBadUsage.
int UnpassableName(const ParsedCommandLine& parsed, const char* what, const std::string& name);

// Reads argument `index` of the command as a CLSID or object identifier; on bad text prints
// the usage (naming `what`) and returns false with *status set to kExitBadUsage.
bool GuidArgument(const ParsedCommandLine& parsed, std::size_t index, const char* what, GUID* guid,
                  int* status);

}  // namespace pidtool
