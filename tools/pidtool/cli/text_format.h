#pragma once
// Text for the tool's output: printf-style formatting into a std::string, and the conversions
// at the tool's edges. Text inside pidtool is UTF-8, so that a path or name written in any
// script stays whole from the command line (read wide) and the registry (read wide) to the
// wide Windows calls and to --json. The module takes and gives ANSI text: it is converted as it
// goes in and comes out. Text output shows it as the console can (cli/reporting.h).

#include <string>

namespace pidtool {

std::string Printf(const char* format, ...) __attribute__((format(printf, 1, 2)));

// UTF-8 to UTF-16 for the wide Windows calls, and back.
std::wstring Wide(const std::string& utf8);
std::string Utf8(const wchar_t* wide, std::size_t length);
std::string Utf8(const std::wstring& wide);

// Text in the process's ANSI code page, as the module hands it out, turned into UTF-8.
std::string AnsiToUtf8(const std::string& ansi);

// The ANSI form of `utf8` for the module's calls. False when the ANSI code page lacks one of
// its characters: no '?' or look-alike ever stands in for one.
bool Utf8ToAnsi(const std::string& utf8, std::string* ansi);

// The same for showing: a character the code page lacks becomes '?'.
std::string Utf8ToAnsiShown(const std::string& utf8);

}  // namespace pidtool
