#pragma once
// The hardware-ID matching rule. Plain bytes only, no Windows headers, so it can be tested
// and fuzzed on its own.

#include <cstddef>

namespace rm {

// Hardware-ID lists, device instance IDs and the texts read with them live in buffers of
// this size (MAX_PATH).
constexpr std::size_t kDeviceTextCapacity = 260;

// True when one comma-separated piece of one string of the hardware-ID multi-string `list`
// equals `wantedId`, ASCII letters compared without case. The comma that ends a piece is
// overwritten with NUL, so a list can be examined only once. A string ending in a comma, or
// a run of commas reaching the end of a string, ends the examination (the NUL written over
// the comma is followed by the string's own NUL). Nothing at or past `capacity` is read; a
// piece the buffer ends in before its NUL is never compared.
bool HardwareIdListContains(char* list, std::size_t capacity, const char* wantedId) noexcept;

// True when `a` and `b` are equal with ASCII letters folded (as _stricmp compares in the
// "C" locale); `aLength` bytes of `a` are compared with the whole of NUL-terminated `b`.
bool EqualsIgnoringAsciiCase(const char* a, std::size_t aLength, const char* b) noexcept;

}  // namespace rm
