#pragma once
// printf-style formatting into a std::string, for the tool's output lines.

#include <string>

namespace pidtool {

std::string Printf(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace pidtool

namespace pidtool {

// Text in the process's ANSI code page, as the module and the registry hand it out, turned
// into UTF-8 for JSON output.
std::string AnsiToUtf8(const std::string& ansi);

}  // namespace pidtool
