#include "cli/guid_text.h"

#include "shared/guid_text_form.h"

namespace pidtool {

std::string FormatGuid(const GUID& guid) {
  char text[rm::kGuidTextLength + 1];
  rm::FormatGuidText(guid, text);
  return text;
}

bool ParseGuid(const std::string& text, GUID* guid) {
  const std::string braced = text.size() == rm::kGuidTextLength - 2 ? "{" + text + "}" : text;
  return rm::ParseGuidText(braced.c_str(), braced.size(), guid);
}

}  // namespace pidtool
