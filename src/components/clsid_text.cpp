#include "components/clsid_text.h"

#include <cstdlib>
#include <cstring>

#include "shared/guid_text_form.h"
#include "shared/unique_handle.h"

namespace rm {

namespace {

constexpr std::size_t kClsidTextLength = kClsidTextLimit - 1;  // "{8-4-4-4-12}"
static_assert(kClsidTextLength == kGuidTextLength, "the key-name text is the braced GUID text");

bool IsBracedClsidText(const char* text) noexcept {
  return IsBracedGuidText(text, std::strlen(text));
}

}  // namespace

tagQXINTRFCRESULT FormatCLSIDText(const GUID& clsid, char* buffer, unsigned long limit) noexcept {
  // compat F01
  if (IsNullAddress(&clsid)) return QXIR_BAD_CLSID;
  UniqueCoTaskMemText wide;
  if (FAILED(StringFromCLSID(clsid, wide.put()))) return QXIR_BAD_CLSID;
  if (!wide) return QXIR_BAD_CLSID;  // taken over once the statement above has ended
  // Converted whole first and checked, so that no caller ever sees a short or odd text.
  char text[kClsidTextCapacity] = {};
  const std::size_t converted = std::wcstombs(text, wide.get(), sizeof text);
  if (converted != kClsidTextLength || !IsBracedClsidText(text)) return QXIR_BAD_CLSID;
  if (buffer == nullptr) return QXIR_SUCCESS;
  // compat F09
  if (limit < kClsidTextLimit) return QXIR_BUFFER_TOO_SMALL;
  std::memcpy(buffer, text, kClsidTextLimit);
  return QXIR_SUCCESS;
}

tagQXINTRFCRESULT ParseCLSIDText(const char* text, GUID* clsid) noexcept {
  // Checked before the platform sees it: CLSIDFromString also resolves ProgIDs and leaves
  // part of a half-parsed text behind.
  wchar_t wide[kClsidTextLimit];
  // compat F02
  if (text != nullptr && IsBracedClsidText(text) &&
      std::mbstowcs(wide, text, kClsidTextLimit) == kClsidTextLength &&
      SUCCEEDED(CLSIDFromString(wide, clsid))) {
    return QXIR_SUCCESS;
  }
  *clsid = GUID{};
  return QXIR_BAD_CLSID_STRING;
}

}  // namespace rm
