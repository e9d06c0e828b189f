#pragma once
// Text for the tool's output: printf-style formatting into a std::string, and the module's
// and the registry's ANSI text turned into UTF-8 for JSON.

#include <string>

namespace pidtool {

std::string Printf(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Text in the process's ANSI code page, as the module and the registry hand it out, turned
// into UTF-8.
std::string AnsiToUtf8(const std::string& ansi);

}  // namespace pidtool
