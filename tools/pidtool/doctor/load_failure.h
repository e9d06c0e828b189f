#pragma once
// Why LoadLibraryW refused a module file, told apart by what the file is: there is no such
// file, it is no Windows module, it is a module of the other width (the tool of that width is
// named), or a DLL it imports, directly or through another, cannot be found (that DLL is
// named). register, unregister and doctor --load word their load failures with it.

#include <windows.h>

#include <string>

namespace pidtool {

struct LoadFailure {
  std::string why;     // "there is no such file", ...; empty when none of the four is the cause
  std::string remedy;  // what to do about it, when there is more to say than `why` does
};

// `file` (UTF-8) as it was given to LoadLibraryW, which failed with `error`.
LoadFailure ExplainLoadFailure(const std::string& file, DWORD error);

// "<why> (LoadLibraryW failed with ERROR_... (n))", or "LoadLibraryW failed with ..." alone.
std::string LoadFailureText(const LoadFailure& failure, DWORD error);

}  // namespace pidtool
