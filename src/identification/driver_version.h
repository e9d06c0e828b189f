#pragma once
// Reading the version numbers out of the text of an INF "DriverVer" line. Plain bytes only.

#include <cstddef>
#include <cstdint>

namespace rm {

struct DriverVersionNumbers {
  std::int32_t major = 0;
  std::int32_t minor = 0;
  std::int32_t build = 0;
};

// `line` is the line's fields joined by commas: a date, then a version such as 5.1.22.0.
// The first field is dropped (leading commas skipped), the second is cut at dots and its
// first three pieces are read as decimal numbers the way atol reads them. A missing field or
// piece gives 0; anything after the third number is ignored.
DriverVersionNumbers ParseDriverVersionLine(const char* line) noexcept;

// atol over at most `length` bytes: white space skipped, an optional sign, then decimal
// digits up to the first other byte; 0 without digits; clamped to the 32-bit range.
std::int32_t ReadDecimalNumber(const char* text, std::size_t length) noexcept;

}  // namespace rm
