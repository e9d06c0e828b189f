#pragma once
// A small JSON writer for the tool's --json output: objects, arrays, strings, numbers and
// booleans, indented two spaces per level. Strings go in as UTF-8 and come out as plain
// ASCII: quotes, backslashes and control characters are escaped, every other non-ASCII
// character is written as \uXXXX (surrogate pairs above U+FFFF), and a byte that is not
// part of valid UTF-8 becomes \uFFFD.

#include <cstdint>
#include <string>
#include <vector>

namespace pidtool {

class JsonWriter {
 public:
  JsonWriter& BeginObject();
  JsonWriter& EndObject();
  JsonWriter& BeginArray();
  JsonWriter& EndArray();
  // Names the next member of the enclosing object.
  JsonWriter& Key(const std::string& name);
  JsonWriter& String(const std::string& utf8);
  JsonWriter& Number(std::int64_t value);
  JsonWriter& Unsigned(std::uint64_t value);
  JsonWriter& Bool(bool value);
  JsonWriter& Null();

  // The document written so far, with a final newline once the outermost value is closed.
  const std::string& Text() const { return text_; }

  // `utf8` as a quoted JSON string.
  static std::string Quote(const std::string& utf8);

 private:
  void BeforeValue();
  void Close(char bracket);
  void NewLine();
  void EndDocumentIfOutermost();

  struct Level {
    bool empty = true;
  };
  std::string text_;
  std::vector<Level> levels_;
  bool afterKey_ = false;
};

}  // namespace pidtool
