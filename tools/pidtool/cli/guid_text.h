#pragma once
// CLSIDs and object identifiers as the registry writes them: braces, five groups of
// upper-case hexadecimal digits, 38 characters.

#include <windows.h>

#include <string>

namespace pidtool {

// "{5C1E2F7A-93B4-4D60-A1E8-3F0B6D92C415}"
std::string FormatGuid(const GUID& guid);

// Accepts the braced form and the same digits without braces, in either case. Returns false
// (and leaves `guid` alone) for anything else.
bool ParseGuid(const std::string& text, GUID* guid);

}  // namespace pidtool
