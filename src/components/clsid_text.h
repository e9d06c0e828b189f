#pragma once
// The braced registry text form of CLSIDs and object identifiers, used as key names:
// "{5C1E2F7A-93B4-4D60-A1E8-3F0B6D92C415}", 38 characters, 39 bytes with the NUL.

#include <windows.h>

#include "base/null_address.h"
#include "qx/results.h"

namespace rm {

constexpr unsigned long kClsidTextLimit = 39;  // bytes stored by the library's own calls
constexpr unsigned long kClsidTextCapacity = 40;

// Writes the text with its terminator, 39 bytes, into `buffer` (null: nothing is stored, the
// CLSID is only checked). A non-null buffer of fewer than 39 bytes gets QXIR_BUFFER_TOO_SMALL
// and is left as it was: a cut text would carry no terminator.
// QXIR_BAD_CLSID, with nothing stored, for a null reference and whenever the conversion does
// not give exactly the 38-character braced form: no key path may end at a parent key.
tagQXINTRFCRESULT FormatCLSIDText(const GUID& clsid, char* buffer, unsigned long limit) noexcept;

// Parses exactly the braced 38-character form. Anything else (a ProgID, a longer name that
// starts with a CLSID, a half-valid text) is QXIR_BAD_CLSID_STRING with `*clsid` all zero.
tagQXINTRFCRESULT ParseCLSIDText(const char* text, GUID* clsid) noexcept;

// A CLSID text in a buffer of its own, as every component function needs one.
struct ClsidText {
  char text[kClsidTextCapacity] = {};
  const char* c_str() const noexcept { return text; }
};

// FormatCLSIDText with the library's limit into `out`.
inline tagQXINTRFCRESULT FormatCLSIDText(const GUID& clsid, ClsidText& out) noexcept {
  return FormatCLSIDText(clsid, out.text, kClsidTextLimit);
}

// The first step of every component function: the key-name text of the component's CLSID,
// or QXIR_BAD_CLSID before anything else is done.
inline tagQXINTRFCRESULT ComponentKeyText(const GUID& clsid, ClsidText& out) noexcept {
  return FormatCLSIDText(clsid, out) == QXIR_SUCCESS ? QXIR_SUCCESS : QXIR_BAD_CLSID;
}

// The same for an object identifier, the second GUID of the object functions:
// QXIR_BAD_OBJECT_ID when it cannot be had.
inline tagQXINTRFCRESULT ObjectKeyText(const GUID& objectId, ClsidText& out) noexcept {
  return FormatCLSIDText(objectId, out) == QXIR_SUCCESS ? QXIR_SUCCESS : QXIR_BAD_OBJECT_ID;
}

}  // namespace rm
