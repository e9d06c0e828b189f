#include "identification/language_mask.h"

#include <windows.h>

#include <cstring>

#include "shared/language_table.h"
#include "shared/unique_handle.h"

namespace rm {
namespace {

constexpr std::uint32_t kTranslationEntrySize = 4;

}  // namespace

std::uint32_t LanguageMaskBit(std::uint16_t languageId) noexcept {
  for (std::uint32_t index = 0; index < kLanguageCount; ++index) {
    if (kLanguageTable[index].languageId == languageId) return std::uint32_t{1} << index;
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
