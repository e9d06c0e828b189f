#pragma once
// The tool's --json documents are nlohmann-json values whose object members keep the order they
// are written in (Json), printed by JsonText.

#include <nlohmann/json.hpp>
#include <string>

namespace pidtool {

using Json = nlohmann::ordered_json;

// `document` indented two spaces per level and ended by a newline, in plain ASCII: every other
// character as a \u escape (a surrogate pair above U+FFFF), and each byte that is not part of
// valid UTF-8 as \ufffd.
std::string JsonText(const Json& document);

// `text` as a JSON string, or null when it is empty.
Json StringOrNull(const std::string& text);

}  // namespace pidtool
