#pragma once
// How commands talk back: results on stdout, failures as one line on stderr, and arguments
// that cannot be used sent back with the command's usage.

#include <windows.h>

#include <cstddef>
#include <string>

#include "command_line.h"

namespace pidtool {

// Writes `text` to stdout as it stands.
void PrintOut(const std::string& text);

// Prints "pidtool <command>: <what>" on stderr; returns kExitFailure.
int Failure(const CommandSpec& command, const std::string& what);

// Prints "pidtool <command>: <what>" and the command's usage on stderr; returns kExitBadUsage.
int BadArguments(const CommandSpec& command, const std::string& what);

// Reads argument `index` of the command as a CLSID or object identifier; on bad text prints
// the usage (naming `what`) and returns false with *status set to kExitBadUsage.
bool GuidArgument(const ParsedCommandLine& parsed, std::size_t index, const char* what, GUID* guid,
                  int* status);

}  // namespace pidtool
