#include "guid_text.h"

#include "text_format.h"

namespace pidtool {
namespace {

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// Reads `digits` hexadecimal digits at `text[*at]` and moves past them.
bool ReadHex(const std::string& text, std::size_t* at, int digits, unsigned long* value) {
  unsigned long result = 0;
  for (int i = 0; i < digits; ++i, ++*at) {
    const int digit = *at < text.size() ? HexDigitValue(text[*at]) : -1;
    if (digit < 0) return false;
    result = result << 4 | static_cast<unsigned long>(digit);
  }
  *value = result;
  return true;
}

bool Expect(const std::string& text, std::size_t* at, char c) {
  if (*at >= text.size() || text[*at] != c) return false;
  ++*at;
  return true;
}

}  // namespace

std::string FormatGuid(const GUID& g) {
  return Printf("{%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                static_cast<unsigned long>(g.Data1), g.Data2, g.Data3, g.Data4[0], g.Data4[1],
                g.Data4[2], g.Data4[3], g.Data4[4], g.Data4[5], g.Data4[6], g.Data4[7]);
}

bool ParseGuid(const std::string& text, GUID* guid) {
  const bool braced = !text.empty() && text.front() == '{';
  if (text.size() != (braced ? 38u : 36u)) return false;
  std::size_t at = braced ? 1 : 0;
  GUID parsed{};
  unsigned long value = 0;
  if (!ReadHex(text, &at, 8, &value) || !Expect(text, &at, '-')) return false;
  parsed.Data1 = value;
  if (!ReadHex(text, &at, 4, &value) || !Expect(text, &at, '-')) return false;
  parsed.Data2 = static_cast<unsigned short>(value);
  if (!ReadHex(text, &at, 4, &value) || !Expect(text, &at, '-')) return false;
  parsed.Data3 = static_cast<unsigned short>(value);
  for (int i = 0; i < 8; ++i) {
    if (i == 2 && !Expect(text, &at, '-')) return false;
    if (!ReadHex(text, &at, 2, &value)) return false;
    parsed.Data4[i] = static_cast<unsigned char>(value);
  }
  if (braced && !Expect(text, &at, '}')) return false;
  *guid = parsed;
  return true;
}

}  // namespace pidtool
