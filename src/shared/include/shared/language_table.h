#pragma once
// The languages of the 32-bit user-interface language mask: bit 1 << index stands for
// kLanguageTable[index]. Plain data, so that a host tool can name the bits of a mask it is
// handed without linking the module's version-resource code.

#include <cstdint>

namespace rm {

struct LanguageEntry {
  std::uint16_t languageId;  // the whole 16-bit language identifier
  const char* tag;
};

// One row per bit of the mask.
// clang-format off
inline constexpr LanguageEntry kLanguageTable[] = {
    {0x0409, "en-US"},
    {0x0404, "zh-TW"},
    {0x0804, "zh-CN"},
    {0x0406, "da-DK"},
    {0x0413, "nl-NL"},
    {0x040B, "fi-FI"},
    {0x040C, "fr-FR"},
    {0x0407, "de-DE"},
    {0x0410, "it-IT"},
    {0x0411, "ja-JP"},
    {0x0412, "ko-KR"},
    {0x0414, "nb-NO"},
    {0x0415, "pl-PL"},
    {0x0416, "pt-BR"},
    {0x0816, "pt-PT"},
    {0x0419, "ru-RU"},
    {0x040A, "es-ES"},  // traditional sort
    {0x041D, "sv-SE"},
    {0x041E, "th-TH"},
};
// clang-format on
inline constexpr std::uint32_t kLanguageCount = sizeof kLanguageTable / sizeof kLanguageTable[0];
static_assert(kLanguageCount == 19, "bits 0 to 18");

}  // namespace rm
