#pragma once
// The user-interface languages a file's version information lists, as a 32-bit mask.

#include <cstdint>

namespace rm {

// Bit 0 (0x1): English, United States.
constexpr std::uint32_t kEnglishUnitedStatesBit = 0x1;

// The mask bit of a whole 16-bit language identifier, or 0 for one outside the table.
std::uint32_t LanguageMaskBit(std::uint16_t languageId) noexcept;

// The mask of a "\VarFileInfo\Translation" value: `length` bytes of 4-byte entries (a
// language identifier, then a code page, little-endian); a remainder of less than 4 bytes
// is dropped.
std::uint32_t LanguageMaskOfTranslations(const void* translations, std::uint32_t length) noexcept;

// Returns 0 when the file has no version information (or is missing) or the working block
// cannot be allocated, 1 otherwise. `*mask` is written only once the translation table is
// found: then it holds the bits of the listed languages that the table knows.
int QueryLanguageMask(const char* filePath, std::uint32_t* mask) noexcept;

}  // namespace rm
