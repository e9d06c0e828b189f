#include "identification/driver_version.h"

#include <cstddef>
#include <cstring>

namespace rm {
namespace {

// One strtok-like cutter over a bounded text, with its position kept in the object (so in
// the call that owns it, never shared between threads).
class FieldCutter {
 public:
  FieldCutter(const char* text, std::size_t length) noexcept : text_(text), end_(length) {}

  // Skips delimiters, then returns the next piece up to a delimiter or the end of the text;
  // false when only delimiters are left.
  bool Next(char delimiter, const char** piece, std::size_t* pieceLength) noexcept {
    while (position_ < end_ && text_[position_] == delimiter) ++position_;
    if (position_ >= end_) return false;
    const std::size_t start = position_;
    while (position_ < end_ && text_[position_] != delimiter) ++position_;
    *piece = text_ + start;
    *pieceLength = position_ - start;
    if (position_ < end_) ++position_;  // past the delimiter that ended the piece
    return true;
  }

 private:
  const char* text_;
  std::size_t end_;
  std::size_t position_ = 0;
};

bool IsSpace(char c) noexcept { return c == ' ' || (c >= '\t' && c <= '\r'); }

}  // namespace

std::int32_t ReadDecimalNumber(const char* text, std::size_t length) noexcept {
  std::size_t i = 0;
  while (i < length && IsSpace(text[i])) ++i;
  bool negative = false;
  if (i < length && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  constexpr std::int64_t kLimit = 2147483648LL;  // |INT32_MIN|
  std::int64_t value = 0;
  for (; i < length && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > kLimit) value = kLimit;
  }
  if (negative) return static_cast<std::int32_t>(-value);
  return static_cast<std::int32_t>(value >= kLimit ? kLimit - 1 : value);
}

DriverVersionNumbers ParseDriverVersionLine(const char* line) noexcept {
  DriverVersionNumbers numbers;
  if (line == nullptr) return numbers;
  FieldCutter fields(line, std::strlen(line));
  const char* field = nullptr;
  std::size_t fieldLength = 0;
  if (!fields.Next(',', &field, &fieldLength)) return numbers;  // the date, dropped
  if (!fields.Next(',', &field, &fieldLength)) return numbers;  // no version field

  FieldCutter pieces(field, fieldLength);
  std::int32_t* targets[] = {&numbers.major, &numbers.minor, &numbers.build};
  for (std::int32_t* target : targets) {
    const char* piece = nullptr;
    std::size_t pieceLength = 0;
    if (!pieces.Next('.', &piece, &pieceLength)) break;
    *target = ReadDecimalNumber(piece, pieceLength);
  }
  return numbers;
}

}  // namespace rm
