#include "cli/json.h"

namespace pidtool {

std::string JsonText(const Json& document) {
  return document.dump(2, ' ', true, Json::error_handler_t::replace) + "\n";
}

Json StringOrNull(const std::string& text) { return text.empty() ? Json() : Json(text); }

}  // namespace pidtool
