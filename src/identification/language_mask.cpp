#include "identification/language_mask.h"

#include <windows.h>

#include <cstring>

#include "common/unique_handle.h"

namespace rm {
namespace {

// Bit 1 << index stands for kLanguages[index].
constexpr std::uint16_t kLanguages[] = {
    0x0409,  // en-US
    0x0404,  // zh-TW
    0x0804,  // zh-CN
    0x0406,  // da-DK
    0x0413,  // nl-NL
    0x040B,  // fi-FI
    0x040C,  // fr-FR
    0x0407,  // de-DE
    0x0410,  // it-IT
    0x0411,  // ja-JP
    0x0412,  // ko-KR
    0x0414,  // nb-NO
    0x0415,  // pl-PL
    0x0416,  // pt-BR
    0x0816,  // pt-PT
    0x0419,  // ru-RU
    0x040A,  // es-ES, traditional sort
    0x041D,  // sv-SE
    0x041E,  // th-TH
};
static_assert(sizeof kLanguages / sizeof kLanguages[0] == 19, "bits 0 to 18");

constexpr std::uint32_t kTranslationEntrySize = 4;

}  // namespace

std::uint32_t LanguageMaskBit(std::uint16_t languageId) noexcept {
  for (std::uint32_t index = 0; index < sizeof kLanguages / sizeof kLanguages[0]; ++index) {
    if (kLanguages[index] == languageId) return std::uint32_t{1} << index;
  }
  return 0;
}

std::uint32_t LanguageMaskOfTranslations(const void* translations, std::uint32_t length) noexcept {
  const auto* bytes = static_cast<const unsigned char*>(translations);
  std::uint32_t mask = 0;
  for (std::uint32_t entry = 0; entry < length / kTranslationEntrySize; ++entry) {
    const unsigned char* at = bytes + entry * kTranslationEntrySize;
    mask |= LanguageMaskBit(static_cast<std::uint16_t>(at[0] | (at[1] << 8)));
  }
  return mask;
}

int QueryLanguageMask(const char* filePath, std::uint32_t* mask) noexcept {
  if (filePath == nullptr || mask == nullptr) return 0;
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeA(filePath, &ignored);
  if (size == 0) return 0;
  UniqueHeapBlock block = AllocateHeapBlock(size);
  if (!block) return 0;
  if (!GetFileVersionInfoA(filePath, 0, size, block.get())) return 1;
  void* translations = nullptr;
  UINT length = 0;
  if (!VerQueryValueA(block.get(), "\\VarFileInfo\\Translation", &translations, &length)) return 1;
  *mask = translations != nullptr ? LanguageMaskOfTranslations(translations, length) : 0;
  return 1;
}

}  // namespace rm
