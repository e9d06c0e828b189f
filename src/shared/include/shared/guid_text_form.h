#pragma once
// The braced registry text form of CLSIDs and object identifiers, used as key names:
// "{5C1E2F7A-93B4-4D60-A1E8-3F0B6D92C415}", 38 characters. Shared by the module and the host tool.

#include <windows.h>

#include <cstddef>
#include <cstdio>

namespace rm {

constexpr std::size_t kGuidTextLength = 38;

// Braces at both ends, hyphens after 8, 4, 4 and 4 hexadecimal digits (of either case).
inline bool IsBracedGuidText(const char* text, std::size_t length) noexcept {
  if (length != kGuidTextLength || text[0] != '{' || text[kGuidTextLength - 1] != '}') return false;
  for (std::size_t i = 1; i + 1 < kGuidTextLength; ++i) {
    const bool hyphen = i == 9 || i == 14 || i == 19 || i == 24;
    const char c = text[i];
    const bool digit = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
    if (hyphen ? c != '-' : !digit) return false;
  }
  return true;
}

// The text with upper-case digits, as StringFromCLSID writes it, and its terminator.
inline void FormatGuidText(const GUID& g, char (&text)[kGuidTextLength + 1]) noexcept {
  std::snprintf(text, sizeof text, "{%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                static_cast<unsigned long>(g.Data1), g.Data2, g.Data3, g.Data4[0], g.Data4[1],
                g.Data4[2], g.Data4[3], g.Data4[4], g.Data4[5], g.Data4[6], g.Data4[7]);
}

// The GUID of a braced text; false, with `guid` left alone, for any other text.
inline bool ParseGuidText(const char* text, std::size_t length, GUID* guid) noexcept {
  if (!IsBracedGuidText(text, length)) return false;
  const auto hex = [text](std::size_t at, int digits) {
    unsigned long value = 0;
    for (int i = 0; i < digits; ++i) {
      const char c = text[at + i];
      value = value << 4 | static_cast<unsigned long>(c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10);
    }
    return value;
  };
  GUID parsed{};
  parsed.Data1 = hex(1, 8);
  parsed.Data2 = static_cast<unsigned short>(hex(10, 4));
  parsed.Data3 = static_cast<unsigned short>(hex(15, 4));
  for (std::size_t i = 0; i < 8; ++i) {
    parsed.Data4[i] = static_cast<unsigned char>(hex(i < 2 ? 20 + 2 * i : 25 + 2 * (i - 2), 2));
  }
  *guid = parsed;
  return true;
}

}  // namespace rm
