// CLSID text: the braced registry form both ways, and the byte limit of the exported copy.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "components/clsid_text.h"
#include "qx/component_registration.h"

namespace {

// {0F1E2D3C-4B5A-6978-8796-A5B4C3D2E1F0}
constexpr GUID kSample = {
    0x0F1E2D3C, 0x4B5A, 0x6978, {0x87, 0x96, 0xA5, 0xB4, 0xC3, 0xD2, 0xE1, 0xF0}};
constexpr char kSampleText[] = "{0F1E2D3C-4B5A-6978-8796-A5B4C3D2E1F0}";

TEST(FormatCLSIDText, WritesTheBracedUpperCaseFormWithItsTerminator) {
  const GUID lowerCaseDigits = {
      0xabcdef01, 0x2345, 0x6789, {0xab, 0xcd, 0xef, 0x01, 0x23, 0x45, 0x67, 0x89}};
  rm::ClsidText text;
  ASSERT_EQ(rm::FormatCLSIDText(lowerCaseDigits, text), QXIR_SUCCESS);
  EXPECT_STREQ(text.c_str(), "{ABCDEF01-2345-6789-ABCD-EF0123456789}");
  EXPECT_EQ(std::strlen(text.c_str()), 38u);
}

TEST(FormatCLSIDText, RoundTripsThroughParseCLSIDText) {
  const GUID zero = {};
  const GUID allOnes = {
      0xFFFFFFFF, 0xFFFF, 0xFFFF, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}};
  for (const GUID& original : {kSample, zero, allOnes}) {
    rm::ClsidText text;
    ASSERT_EQ(rm::FormatCLSIDText(original, text), QXIR_SUCCESS);
    GUID parsed = {};
    ASSERT_EQ(rm::ParseCLSIDText(text.c_str(), &parsed), QXIR_SUCCESS) << text.c_str();
    EXPECT_TRUE(IsEqualGUID(parsed, original)) << text.c_str();
  }
  GUID parsed = {};
  ASSERT_EQ(rm::ParseCLSIDText("{0f1e2d3c-4b5a-6978-8796-a5b4c3d2e1f0}", &parsed), QXIR_SUCCESS);
  EXPECT_TRUE(IsEqualGUID(parsed, kSample)) << "lower-case digits parse too";
}

// compat F02
TEST(ParseCLSIDText, RefusesTextThatIsNoCLSIDAndLeavesAnAllZeroCLSID) {
  for (const char* text :
       {"", "Category", "htmlfile", "{not-a-guid}", "0F1E2D3C-4B5A-6978-8796-A5B4C3D2E1F0",
        "{0F1E2D3C-4B5A-6978-8796-A5B4C3D2E1F}", "{0F1E2D3C-4B5A-6978-8796-A5B4C3D2E1FG}",
        "{0F1E2D3C-4B5A-6978-8796-A5B4C3D2E1F0}x"}) {
    GUID parsed = kSample;
    EXPECT_EQ(rm::ParseCLSIDText(text, &parsed), QXIR_BAD_CLSID_STRING) << '"' << text << '"';
    EXPECT_TRUE(IsEqualGUID(parsed, GUID{})) << '"' << text << '"';
  }
  GUID parsed = {};
  EXPECT_EQ(rm::ParseCLSIDText(nullptr, &parsed), QXIR_BAD_CLSID_STRING);
}

TEST(ParseCLSIDText, RefusesAKeyNameLongerThanItsWideBuffer) {
  // Sub-key names can be 1024 characters; the widened copy must not run past its buffer.
  const std::string longName = std::string(kSampleText) + std::string(2000, 'x');
  GUID parsed = {};
  EXPECT_EQ(rm::ParseCLSIDText(longName.c_str(), &parsed), QXIR_BAD_CLSID_STRING);
}

TEST(QXConvertCLSIDToString, FillsA39ByteBuffer) {
  char buffer[39];
  std::memset(buffer, '#', sizeof(buffer));
  ASSERT_EQ(QXConvertCLSIDToString(kSample, buffer, sizeof(buffer)), QXIR_SUCCESS);
  EXPECT_STREQ(buffer, kSampleText);
}

// compat F09
TEST(QXConvertCLSIDToString, RefusesABufferTooSmallForTheWholeTextAndLeavesItAlone) {
  for (const unsigned long size : {1ul, 10ul, 38ul}) {
    char buffer[48];
    std::memset(buffer, '#', sizeof(buffer));
    EXPECT_EQ(QXConvertCLSIDToString(kSample, buffer, size), QXIR_BUFFER_TOO_SMALL) << size;
    EXPECT_EQ(std::string(buffer, sizeof(buffer)), std::string(sizeof(buffer), '#')) << size;
  }
}

TEST(QXConvertCLSIDToString, StoresNothingIntoANullBuffer) {
  EXPECT_EQ(QXConvertCLSIDToString(kSample, nullptr, 39), QXIR_SUCCESS);
}

}  // namespace
