#include "components/clsid_text.h"

#include <cctype>
#include <cstdlib>
#include <cstring>

#include "common/unique_handle.h"

namespace rm {

namespace {

constexpr std::size_t kClsidTextLength = kClsidTextLimit - 1;  // "{8-4-4-4-12}"

// The braced form: 38 characters, braces at both ends, hyphens after 8, 4, 4 and 4 digits.
bool IsBracedClsidText(const char* text) noexcept {
  if (std::strlen(text) != kClsidTextLength || text[0] != '{' ||
      text[kClsidTextLength - 1] != '}') {
    return false;
  }
  for (std::size_t i = 1; i + 1 < kClsidTextLength; ++i) {
    const bool hyphen = i == 9 || i == 14 || i == 19 || i == 24;
    if (hyphen ? text[i] != '-' : std::isxdigit(static_cast<unsigned char>(text[i])) == 0) {
      return false;
    }
  }
  return true;
}

}  // namespace

tagQXINTRFCRESULT FormatCLSIDText(const GUID& clsid, char* buffer, unsigned long limit) noexcept {
  if (IsNullAddress(&clsid)) return QXIR_BAD_CLSID;
  UniqueCoTaskMemText wide;
  if (FAILED(StringFromCLSID(clsid, wide.put()))) return QXIR_BAD_CLSID;
  if (!wide) return QXIR_BAD_CLSID;  // taken over once the statement above has ended
  // Converted whole first and checked, so that no caller ever sees a short or odd text.
  char text[kClsidTextCapacity] = {};
  const std::size_t converted = std::wcstombs(text, wide.get(), sizeof text);
  if (converted != kClsidTextLength || !IsBracedClsidText(text)) return QXIR_BAD_CLSID;
  if (buffer != nullptr) std::memcpy(buffer, text, limit < kClsidTextLimit ? limit : kClsidTextLimit);
  return QXIR_SUCCESS;
}

tagQXINTRFCRESULT ParseCLSIDText(const char* text, GUID* clsid) noexcept {
  if (text == nullptr) return QXIR_BAD_CLSID_STRING;
  constexpr std::size_t kWideCapacity = 1024;
  wchar_t wide[kWideCapacity];
  const std::size_t length = std::strlen(text);
  // The text with its NUL must fit; a longer one cannot be a CLSID anyway.
  if (length >= kWideCapacity) return QXIR_BAD_CLSID_STRING;
  if (std::mbstowcs(wide, text, length + 1) == static_cast<std::size_t>(-1)) {
    return QXIR_BAD_CLSID_STRING;
  }
  return FAILED(CLSIDFromString(wide, clsid)) ? QXIR_BAD_CLSID_STRING : QXIR_SUCCESS;
}

}  // namespace rm
