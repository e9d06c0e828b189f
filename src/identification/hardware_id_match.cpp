#include "identification/hardware_id_match.h"

namespace rm {
namespace {

char FoldAscii(char c) noexcept {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

bool EqualsIgnoringAsciiCase(const char* a, std::size_t aLength, const char* b) noexcept {
  for (std::size_t i = 0; i < aLength; ++i) {
    if (b[i] == '\0' || FoldAscii(a[i]) != FoldAscii(b[i])) return false;
  }
  return b[aLength] == '\0';
}

bool HardwareIdListContains(char* list, std::size_t capacity, const char* wantedId) noexcept {
  if (list == nullptr || wantedId == nullptr) return false;
  std::size_t position = 0;
  while (position < capacity && list[position] != '\0') {
    // Cut one piece the way strtok(..., ",") would, but from an explicit position.
    std::size_t start = position;
    while (start < capacity && list[start] == ',') ++start;
    if (start >= capacity || list[start] == '\0') return false;  // only commas left
    std::size_t end = start;
    while (end < capacity && list[end] != ',' && list[end] != '\0') ++end;
    if (end >= capacity) return false;  // the buffer ends inside the piece
    list[end] = '\0';
    if (EqualsIgnoringAsciiCase(list + start, end - start, wantedId)) return true;
    position = end + 1;
  }
  return false;
}

}  // namespace rm
