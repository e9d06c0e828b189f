#pragma once
// The tool's commands. Each prints its result on stdout (text, or JSON with --json), prints
// one line on stderr for each failure, and returns the exit status.

#include "command_line.h"

namespace pidtool {

int RunRegistration(const ParsedCommandLine& parsed);  // register and unregister
int RunList(const ParsedCommandLine& parsed);
int RunProducts(const ParsedCommandLine& parsed);
int RunShow(const ParsedCommandLine& parsed);
int RunObjectId(const ParsedCommandLine& parsed);
int RunObjectName(const ParsedCommandLine& parsed);
int RunDoctor(const ParsedCommandLine& parsed);

}  // namespace pidtool
