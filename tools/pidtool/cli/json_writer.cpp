#include "cli/json_writer.h"

#include "cli/text_format.h"

namespace pidtool {
namespace {

// Decodes one UTF-8 sequence at `text[*at]`, moving past it; returns -1 for a byte that does
// not start a valid, shortest-form sequence (that byte alone is consumed).
long DecodeUtf8(const std::string& text, std::size_t* at) {
  const auto lead = static_cast<unsigned char>(text[*at]);
  ++*at;
  int continuation = 0;
  long code = 0;
  long minimum = 0;
  if (lead < 0x80) return lead;
  if ((lead & 0xE0) == 0xC0) {
    continuation = 1;
    code = lead & 0x1F;
    minimum = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    continuation = 2;
    code = lead & 0x0F;
    minimum = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    continuation = 3;
    code = lead & 0x07;
    minimum = 0x10000;
  } else return -1;
  std::size_t next = *at;
  for (int i = 0; i < continuation; ++i, ++next) {
    if (next >= text.size()) return -1;
    const auto byte = static_cast<unsigned char>(text[next]);
    if ((byte & 0xC0) != 0x80) return -1;
    code = code << 6 | (byte & 0x3F);
  }
  if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return -1;
  *at = next;
  return code;
}

}  // namespace

std::string JsonWriter::Quote(const std::string& utf8) {
  std::string out = "\"";
  for (std::size_t at = 0; at < utf8.size();) {
    const long code = DecodeUtf8(utf8, &at);
    switch (code) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\b': out += "\\b"; break;
      case '\f': out += "\\f"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (code < 0) {
          out += "\\uFFFD";
        } else if (code < 0x20 || code >= 0x7F) {
          if (code >= 0x10000) {
            const long offset = code - 0x10000;
            out += Printf("\\u%04lX\\u%04lX", 0xD800 + (offset >> 10), 0xDC00 + (offset & 0x3FF));
          } else {
            out += Printf("\\u%04lX", code);
          }
        } else {
          out += static_cast<char>(code);
        }
    }
  }
  out += '"';
  return out;
}

void JsonWriter::NewLine() {
  text_ += '\n';
  text_.append(levels_.size() * 2, ' ');
}

void JsonWriter::BeforeValue() {
  if (afterKey_) {
    afterKey_ = false;
    return;
  }
  if (levels_.empty()) return;
  if (!levels_.back().empty) text_ += ',';
  levels_.back().empty = false;
  NewLine();
}

void JsonWriter::EndDocumentIfOutermost() {
  if (levels_.empty()) text_ += '\n';
}

void JsonWriter::Close(char bracket) {
  const bool empty = levels_.empty() || levels_.back().empty;
  if (!levels_.empty()) levels_.pop_back();
  if (!empty) NewLine();
  text_ += bracket;
  EndDocumentIfOutermost();
}

JsonWriter& JsonWriter::BeginObject() {
  BeforeValue();
  text_ += '{';
  levels_.push_back(Level{});
  return *this;
}

JsonWriter& JsonWriter::EndObject() {
  Close('}');
  return *this;
}

JsonWriter& JsonWriter::BeginArray() {
  BeforeValue();
  text_ += '[';
  levels_.push_back(Level{});
  return *this;
}

JsonWriter& JsonWriter::EndArray() {
  Close(']');
  return *this;
}

JsonWriter& JsonWriter::Key(const std::string& name) {
  BeforeValue();
  text_ += Quote(name);
  text_ += ": ";
  afterKey_ = true;
  return *this;
}

JsonWriter& JsonWriter::String(const std::string& utf8) {
  BeforeValue();
  text_ += Quote(utf8);
  EndDocumentIfOutermost();
  return *this;
}

JsonWriter& JsonWriter::Number(std::int64_t value) {
  BeforeValue();
  text_ += Printf("%lld", static_cast<long long>(value));
  EndDocumentIfOutermost();
  return *this;
}

JsonWriter& JsonWriter::Unsigned(std::uint64_t value) {
  BeforeValue();
  text_ += Printf("%llu", static_cast<unsigned long long>(value));
  EndDocumentIfOutermost();
  return *this;
}

JsonWriter& JsonWriter::Bool(bool value) {
  BeforeValue();
  text_ += value ? "true" : "false";
  EndDocumentIfOutermost();
  return *this;
}

JsonWriter& JsonWriter::Null() {
  BeforeValue();
  text_ += "null";
  EndDocumentIfOutermost();
  return *this;
}

}  // namespace pidtool
