#pragma once
// The library's buffer protocol for returned text: a call with a null buffer reports the size
// needed, a call with a buffer of that size fills it, and QXIR_BUFFER_TOO_SMALL (with the new
// size) means the text grew in between. The text comes in the ANSI code page and is handed out
// as UTF-8, as the tool keeps all text.

#include <string>
#include <vector>

#include "cli/text_format.h"
#include "qx/results.h"

namespace pidtool {

// `query(buffer, size, &needed)` is one call of such a function.
template <typename Query>
tagQXINTRFCRESULT ReadLibraryText(Query query, std::string* text) {
  unsigned long needed = 0;
  tagQXINTRFCRESULT result = query(nullptr, 0, &needed);
  for (int attempt = 0; attempt < 4 && result == QXIR_SUCCESS; ++attempt) {
    std::vector<char> buffer(needed + 1, '\0');
    unsigned long grown = needed;
    result = query(buffer.data(), static_cast<unsigned long>(buffer.size()), &grown);
    if (result == QXIR_SUCCESS) {
      buffer.back() = '\0';
      *text = AnsiToUtf8(buffer.data());
      return result;
    }
    if (result != QXIR_BUFFER_TOO_SMALL) return result;
    needed = grown;
    result = QXIR_SUCCESS;
  }
  return result != QXIR_SUCCESS ? result : QXIR_BUFFER_TOO_SMALL;
}

}  // namespace pidtool
