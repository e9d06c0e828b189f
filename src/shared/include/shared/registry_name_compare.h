#pragma once
// How the registry compares key and value names: case-insensitively, each character upper-cased
// by the ANSI code page's rule. Shared by the module and the host tool.

#include <windows.h>

#include <cstddef>
#include <cstring>

namespace rm {

inline char RegistryUpperCase(char c) noexcept {
  // CharUpperA converts a single character passed in the low word of the pointer.
  const ULONG_PTR converted = reinterpret_cast<ULONG_PTR>(
      CharUpperA(reinterpret_cast<LPSTR>(static_cast<ULONG_PTR>(static_cast<unsigned char>(c)))));
  return static_cast<char>(converted & 0xFF);
}

// Whether the `length` characters at `a` and at `b` name the same key or value.
inline bool SameRegistryName(const char* a, const char* b, std::size_t length) noexcept {
  for (std::size_t i = 0; i < length; ++i) {
    if (a[i] != b[i] && RegistryUpperCase(a[i]) != RegistryUpperCase(b[i])) return false;
  }
  return true;
}

inline bool SameRegistryName(const char* a, const char* b) noexcept {
  const std::size_t length = std::strlen(a);
  return length == std::strlen(b) && SameRegistryName(a, b, length);
}

}  // namespace rm
