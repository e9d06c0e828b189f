#include "components/clsid_text.h"

#include <cstdlib>
#include <cstring>

#include "common/unique_handle.h"

namespace rm {

tagQXINTRFCRESULT FormatCLSIDText(const GUID& clsid, char* buffer, unsigned long limit) noexcept {
  UniqueCoTaskMemText wide;
  if (FAILED(StringFromCLSID(clsid, wide.put()))) return QXIR_BAD_CLSID;
  if (buffer != nullptr) std::wcstombs(buffer, wide.get(), limit);
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
