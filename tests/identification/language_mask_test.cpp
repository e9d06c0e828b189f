// QueryLanguageMask on language resource files the build made with windres.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "identification/language_mask.h"
#include "shared/unique_handle.h"

namespace {

constexpr std::uint32_t kPreset = 0x1;

std::string Fixture(const char* name) { return std::string("language_fixtures\\") + name + ".rsl"; }

struct MaskQuery {
  int result;
  std::uint32_t mask;
};

MaskQuery Query(const std::string& path) {
  const long before = rm::LiveHandleCountTotal();
  MaskQuery query{0, kPreset};
  query.result = rm::QueryLanguageMask(path.c_str(), &query.mask);
  EXPECT_EQ(rm::LiveHandleCountTotal(), before) << "working block freed";
  return query;
}

TEST(QueryLanguageMask, SetsOneBitPerListedLanguage) {
  MaskQuery query = Query(Fixture("lang_en_us_de_de"));
  EXPECT_EQ(query.result, 1);
  EXPECT_EQ(query.mask, 0x81u);
  query = Query(Fixture("lang_it_it"));
  EXPECT_EQ(query.result, 1);
  EXPECT_EQ(query.mask, 0x100u) << "the preset is replaced, not added to";
}

TEST(QueryLanguageMask, LanguagesOutsideTheTableGiveZero) {
  const MaskQuery query = Query(Fixture("lang_outside_table"));
  EXPECT_EQ(query.result, 1);
  EXPECT_EQ(query.mask, 0u) << "0x0809 and 0x0C0A set no bit";
}

TEST(QueryLanguageMask, OneLanguageWithTwoCodePagesSetsItsBitOnce) {
  const MaskQuery query = Query(Fixture("lang_de_de_two_code_pages"));
  EXPECT_EQ(query.result, 1);
  EXPECT_EQ(query.mask, 0x80u);
}

TEST(QueryLanguageMask, VersionResourceWithoutTranslationTableKeepsTheMask) {
  const MaskQuery query = Query(Fixture("lang_no_translation_table"));
  EXPECT_EQ(query.result, 1);
  EXPECT_EQ(query.mask, kPreset);
}

TEST(QueryLanguageMask, TranslationShorterThanOneEntryGivesZero) {
  const MaskQuery query = Query(Fixture("lang_short_translation"));
  EXPECT_EQ(query.result, 1);
  EXPECT_EQ(query.mask, 0u);
}

TEST(QueryLanguageMask, FileWithoutVersionInformationOrMissingKeepsTheMask) {
  MaskQuery query = Query(Fixture("lang_no_version_resource"));
  EXPECT_EQ(query.result, 0);
  EXPECT_EQ(query.mask, kPreset);
  query = Query("language_fixtures\\no_such_file.rsl");
  EXPECT_EQ(query.result, 0);
  EXPECT_EQ(query.mask, kPreset);
}

TEST(LanguageMaskOfTranslations, CoversTheWholeTable) {
  // All 19 languages, in bit order, then 0x0409 again.
  const std::uint16_t ids[] = {0x0409, 0x0404, 0x0804, 0x0406, 0x0413, 0x040B, 0x040C,
                               0x0407, 0x0410, 0x0411, 0x0412, 0x0414, 0x0415, 0x0416,
                               0x0816, 0x0419, 0x040A, 0x041D, 0x041E, 0x0409};
  unsigned char table[sizeof ids * 2] = {};
  for (std::size_t i = 0; i < sizeof ids / sizeof ids[0]; ++i) {
    table[4 * i] = static_cast<unsigned char>(ids[i] & 0xFF);
    table[4 * i + 1] = static_cast<unsigned char>(ids[i] >> 8);
    table[4 * i + 2] = 0xE4;  // code page 1252
    table[4 * i + 3] = 0x04;
  }
  EXPECT_EQ(rm::LanguageMaskOfTranslations(table, sizeof table), 0x7FFFFu) << "bits 0 to 18";
  for (std::uint32_t i = 0; i < 19; ++i) {
    EXPECT_EQ(rm::LanguageMaskOfTranslations(table + 4 * i, 4), 1u << i) << std::hex << ids[i];
  }
  EXPECT_EQ(rm::LanguageMaskBit(0x0010), 0u) << "the whole identifier is compared";
  EXPECT_EQ(rm::LanguageMaskBit(0x0C0A), 0u);
}

TEST(LanguageMaskOfTranslations, DropsAPartialEntry) {
  const unsigned char table[] = {0x09, 0x04, 0xE4, 0x04, 0x07, 0x04};  // en-US, half of de-DE
  EXPECT_EQ(rm::LanguageMaskOfTranslations(table, sizeof table), 0x1u);
}

}  // namespace
