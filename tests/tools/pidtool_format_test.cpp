// The tool's naming, decoding and formatting: what a support engineer reads off its output.
#include <windows.h>
#include <olectl.h>

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "cli/guid_text.h"
#include "cli/json.h"
#include "cli/product_record.h"
#include "cli/result_names.h"
#include "commands/registry_values.h"

namespace pidtool {
namespace {

TEST(ResultNames, NameEveryResultTheLibraryCanReturnWithItsNumber) {
  std::set<std::string> names;
  for (int value = 0; value <= 15; ++value) {
    const char* name = ResultName(static_cast<tagQXINTRFCRESULT>(value));
    if (value == 9 || value == 11) {
      EXPECT_EQ(name, nullptr) << value;
      continue;
    }
    ASSERT_NE(name, nullptr) << value;
    EXPECT_EQ(std::string(name).rfind("QXIR_", 0), 0u) << name;
    names.insert(name);
  }
  EXPECT_EQ(names.size(), 14u) << "two values share a name";
  EXPECT_EQ(DescribeResult(QXIR_SUCCESS), "QXIR_SUCCESS (0)");
  EXPECT_EQ(DescribeResult(QXIR_LOADLIBRARY_FAILED), "QXIR_LOADLIBRARY_FAILED (1)");
  EXPECT_EQ(DescribeResult(QXIR_KEY_NOT_FOUND), "QXIR_KEY_NOT_FOUND (5)");
  EXPECT_EQ(DescribeResult(QXIR_BUFFER_TOO_SMALL), "QXIR_BUFFER_TOO_SMALL (10)");
  EXPECT_EQ(DescribeResult(QXIR_INVALID_PARAMETER), "QXIR_INVALID_PARAMETER (12)");
  EXPECT_EQ(DescribeResult(QXIR_PROFILE_ERROR), "QXIR_PROFILE_ERROR (15)");
}

TEST(ResultNames, KeepTheNumberOfAValueWithoutAName) {
  EXPECT_EQ(DescribeResult(static_cast<tagQXINTRFCRESULT>(11)), "unnamed tagQXINTRFCRESULT (11)");
  EXPECT_EQ(DescribeResult(static_cast<tagQXINTRFCRESULT>(99)), "unnamed tagQXINTRFCRESULT (99)");
}

TEST(HresultNames, NameWhatRegistrationAndCreationReturn) {
  EXPECT_EQ(DescribeHresult(S_OK), "S_OK (0x00000000)");
  EXPECT_EQ(DescribeHresult(S_FALSE), "S_FALSE (0x00000001)");
  EXPECT_EQ(DescribeHresult(E_FAIL), "E_FAIL (0x80004005)");
  EXPECT_EQ(DescribeHresult(E_ACCESSDENIED), "E_ACCESSDENIED (0x80070005)");
  EXPECT_EQ(DescribeHresult(E_INVALIDARG), "E_INVALIDARG (0x80070057)");
  EXPECT_EQ(DescribeHresult(E_POINTER), "E_POINTER (0x80004003)");
  EXPECT_EQ(DescribeHresult(CLASS_E_CLASSNOTAVAILABLE), "CLASS_E_CLASSNOTAVAILABLE (0x80040111)");
  EXPECT_EQ(DescribeHresult(SELFREG_E_CLASS), "SELFREG_E_CLASS (0x80040201)");
}

TEST(HresultNames, SpellOutAWindowsErrorInsideAnUnnamedHresult) {
  EXPECT_EQ(DescribeHresult(HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND)),
            "HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND) (0x8007007E)");
  EXPECT_EQ(DescribeHresult(HRESULT_FROM_WIN32(4242)), "HRESULT_FROM_WIN32(4242) (0x80071092)");
  EXPECT_EQ(DescribeHresult(static_cast<HRESULT>(0x80041234)), "HRESULT 0x80041234");
  EXPECT_EQ(DescribeWindowsError(ERROR_BAD_EXE_FORMAT), "ERROR_BAD_EXE_FORMAT (193)");
  EXPECT_EQ(DescribeWindowsError(4242), "Windows error 4242");
}

constexpr GUID kPluginClsid = {
    0x5C1E2F7A, 0x93B4, 0x4D60, {0xA1, 0xE8, 0x3F, 0x0B, 0x6D, 0x92, 0xC4, 0x15}};

TEST(GuidText, IsTheRegistryFormInUpperCase) {
  EXPECT_EQ(FormatGuid(kPluginClsid), "{5C1E2F7A-93B4-4D60-A1E8-3F0B6D92C415}");
  const GUID small = {0x1, 0x2, 0x3, {0, 0, 0, 0, 0, 0, 0, 0xA}};
  EXPECT_EQ(FormatGuid(small), "{00000001-0002-0003-0000-00000000000A}");
}

TEST(GuidText, ParsesWithOrWithoutBracesInEitherCase) {
  for (const char* text :
       {"{5C1E2F7A-93B4-4D60-A1E8-3F0B6D92C415}", "5C1E2F7A-93B4-4D60-A1E8-3F0B6D92C415",
        "{5c1e2f7a-93b4-4d60-a1e8-3f0b6d92c415}"}) {
    GUID parsed{};
    ASSERT_TRUE(ParseGuid(text, &parsed)) << text;
    EXPECT_TRUE(IsEqualGUID(parsed, kPluginClsid)) << text;
  }
}

TEST(GuidText, RefusesAnythingElseAndLeavesTheGuidAlone) {
  for (const char* text :
       {"", "{}", "{5C1E2F7A-93B4-4D60-A1E8-3F0B6D92C415", "5C1E2F7A-93B4-4D60-A1E8-3F0B6D92C415}",
        "{5C1E2F7A-93B4-4D60-A1E83-F0B6D92C415}", "{5C1E2F7A-93B4-4D60-A1E8-3F0B6D92C41G}",
        "{5C1E2F7A-93B4-4D60-A1E8-3F0B6D92C4150}", "{5C1E2F7A+93B4-4D60-A1E8-3F0B6D92C415}",
        "CATEGORY_ProductIdentification"}) {
    GUID parsed = kPluginClsid;
    EXPECT_FALSE(ParseGuid(text, &parsed)) << text;
    EXPECT_TRUE(IsEqualGUID(parsed, kPluginClsid)) << text;
  }
}

// What the tool prints is plain ASCII, whatever the text, and reads back as that text; a byte
// that is no UTF-8 reads back as U+FFFD.
TEST(JsonText, IsAsciiAndReadsBackAsTheTextWithBrokenUtf8Replaced) {
  struct Case {
    std::string text;
    std::string readBack;
  };
  const Case cases[] = {
      {"C:\\Windows\\system32", "C:\\Windows\\system32"},
      {"say \"hi\"", "say \"hi\""},
      {"a\nb\tc\rd\be\ff", "a\nb\tc\rd\be\ff"},
      {std::string("\x01\x1F\x7F a\0b", 8), std::string("\x01\x1F\x7F a\0b", 8)},
      {"Bokm\xC3\xA5l \xE2\x82\xAC \xF0\x9F\x93\xB7",
       "Bokm\xC3\xA5l \xE2\x82\xAC \xF0\x9F\x93\xB7"},
      {"\xE5x", "\xEF\xBF\xBDx"},                  // a lone lead byte
      {"\xC0\xAF.", "\xEF\xBF\xBD\xEF\xBF\xBD."},  // an overlong form
      {"\xE2\x82", "\xEF\xBF\xBD"},                // a cut sequence
  };
  for (const Case& c : cases) {
    const std::string printed = JsonText(Json{{"text", c.text}});
    for (const char byte : printed) {
      const unsigned char code = static_cast<unsigned char>(byte);
      EXPECT_TRUE(code == '\n' || (code >= 0x20 && code < 0x80)) << printed;
    }
    EXPECT_EQ(Json::parse(printed).at("text").get<std::string>(), c.readBack) << printed;
  }
}

TEST(JsonText, IndentsTwoSpacesPerLevelAndEndsWithANewline) {
  const Json document = {{"name", "x"},
                         {"list", {1, -2, true, nullptr, 0xFFFFFFFFu}},
                         {"empty", Json::array()},
                         {"inner", Json::object()}};
  EXPECT_EQ(JsonText(document),
            "{\n"
            "  \"name\": \"x\",\n"
            "  \"list\": [\n"
            "    1,\n"
            "    -2,\n"
            "    true,\n"
            "    null,\n"
            "    4294967295\n"
            "  ],\n"
            "  \"empty\": [],\n"
            "  \"inner\": {}\n"
            "}\n");
}

ProductInfo SecondCamera(const char* name) {
  ProductInfo info{};
  info.size = sizeof(ProductInfo);
  const std::uint8_t code[8] = {0x07, 0x01, 0x03, 0x02, 0x00, 0x00, 0x01, 0x1C};
  std::copy(code, code + 8, info.productCode);
  info.productName = name;
  info.driverName = name;
  info.auxName = "";
  info.productKind = kProductKindSecond;
  info.flags = kProductInfoActive;
  info.auxVersion = {16, 0, 0, 0};
  info.auxLanguageMask = 1;
  info.driverVersion = {16, 6, 1, 7601};
  info.driverLanguageMask = 0x81;
  return info;
}

TEST(ProductDecoding, ReadsTheCodeMostSignificantByteFirstAndTheKind) {
  const DecodedProduct product = DecodeProduct(SecondCamera("RM7731 Pro"));
  EXPECT_EQ(product.productCode, "070103020000011C");
  EXPECT_EQ(product.kind, 2);
  EXPECT_EQ(product.productKind, 0x00010001u);
  EXPECT_TRUE(product.active);
  EXPECT_EQ(product.productName, "RM7731 Pro");
  EXPECT_EQ(DriverVersionText(product), "6.1.7601");

  ProductInfo first = SecondCamera("");
  first.productKind = kProductKindFirst;
  first.productCode[6] = 0x00;
  first.productCode[7] = 0x8A;
  first.flags = 0;
  const DecodedProduct decoded = DecodeProduct(first);
  EXPECT_EQ(decoded.productCode, "070103020000008A");
  EXPECT_EQ(decoded.kind, 1);
  EXPECT_FALSE(decoded.active);
}

TEST(ProductDecoding, TakesOnlyBitZeroAsActiveAndNoOtherKindForOne) {
  ProductInfo info = SecondCamera("x");
  info.flags = 0xFFFFFFFE;
  info.productKind = 0x00010002;
  const DecodedProduct product = DecodeProduct(info);
  EXPECT_FALSE(product.active);
  EXPECT_EQ(product.kind, 0);
  EXPECT_EQ(product.productKind, 0x00010002u);
}

TEST(ProductDecoding, CopiesTheNameOutOfTheRecord) {
  char name[] = "RM7731";
  const DecodedProduct product = DecodeProduct(SecondCamera(name));
  name[0] = '\0';  // the module reuses its buffer for the next row
  EXPECT_EQ(product.productName, "RM7731");
  ProductInfo unnamed = SecondCamera(nullptr);
  EXPECT_EQ(DecodeProduct(unnamed).productName, "");
}

TEST(LanguageTags, FollowTheMaskBitsInOrder) {
  std::uint32_t unknown = 99;
  EXPECT_EQ(LanguageTags(0x81, &unknown), (std::vector<std::string>{"en-US", "de-DE"}));
  EXPECT_EQ(unknown, 0u);
  EXPECT_EQ(LanguageTags(0x100, nullptr), std::vector<std::string>{"it-IT"});
  EXPECT_EQ(LanguageTags(0x4000 | 0x2000, nullptr), (std::vector<std::string>{"pt-BR", "pt-PT"}));
  EXPECT_EQ(LanguageTags(0x40000, nullptr), std::vector<std::string>{"th-TH"});
  EXPECT_TRUE(LanguageTags(0, nullptr).empty());
}

TEST(LanguageTags, NameNineteenDistinctLanguagesAndReportOtherBits) {
  std::uint32_t unknown = 0;
  const std::vector<std::string> all = LanguageTags(0xFFFFFFFF, &unknown);
  EXPECT_EQ(all.size(), 19u);
  EXPECT_EQ(std::set<std::string>(all.begin(), all.end()).size(), 19u);
  EXPECT_EQ(unknown, 0xFFF80000u);
  EXPECT_EQ(LanguageTags(0x7FFFF, &unknown).size(), 19u);
  EXPECT_EQ(unknown, 0u);
}

TEST(ProductText, ShowsEveryDecodedField) {
  ProductInfo info = SecondCamera("RM7731 Pro");
  info.driverLanguageMask = 0x80081;
  const std::string text = ProductText(DecodeProduct(info), "  ");
  EXPECT_NE(text.find("  product code  070103020000011C\n"), std::string::npos) << text;
  EXPECT_NE(text.find("kind          2 (0x00010001)\n"), std::string::npos) << text;
  EXPECT_NE(text.find("active        yes"), std::string::npos) << text;
  EXPECT_NE(text.find("product name  RM7731 Pro\n"), std::string::npos) << text;
  EXPECT_NE(text.find("driver        6.1.7601\n"), std::string::npos) << text;
  EXPECT_NE(text.find("languages     en-US de-DE unknown bits 0x00080000 (mask 0x00080081)\n"),
            std::string::npos)
      << text;
}

TEST(ProductJson, CarriesTheSameFieldsForScripts) {
  const Json product = Json::parse(JsonText(ProductJson(DecodeProduct(SecondCamera("Cam \"A\"")))));
  EXPECT_EQ(product, Json::parse(R"({"productCode": "070103020000011C", "kind": 2,
      "productKind": 65537, "active": true, "productName": "Cam \"A\"",
      "driverVersion": "6.1.7601", "languages": ["en-US", "de-DE"], "languageMask": 129})"));
}

}  // namespace
}  // namespace pidtool

namespace pidtool {
namespace {

RegistryValue Value(DWORD type, const std::string& bytes, const char* name = "v") {
  RegistryValue value;
  value.name = name;
  value.type = type;
  value.data.assign(bytes.begin(), bytes.end());
  return value;
}

TEST(RegistryValueText, ShowsTextUpToItsTerminator) {
  EXPECT_EQ(RegistryDataText(Value(REG_SZ, std::string("C:\\x.pid\0", 9))), "C:\\x.pid");
  EXPECT_EQ(RegistryDataText(Value(REG_SZ, std::string("a\0b\0", 4))), "a");
  EXPECT_EQ(RegistryDataText(Value(REG_SZ, "no terminator")), "no terminator");
  EXPECT_EQ(RegistryDataText(Value(REG_SZ, "")), "");
  EXPECT_EQ(RegistryDataText(Value(REG_EXPAND_SZ, std::string("%SystemRoot%\0", 13))),
            "%SystemRoot%");
}

TEST(RegistryValueText, ListsTheItemsOfAMultiStringUpToTheEmptyOne) {
  EXPECT_EQ(RegistryDataText(Value(REG_MULTI_SZ, std::string("one\0two\0\0stale\0\0", 17))),
            "one | two");
  EXPECT_EQ(RegistryDataText(Value(REG_MULTI_SZ, std::string("\0\0", 2))), "");
}

TEST(RegistryValueText, ShowsNumbersInDecimalAndHexAndOtherDataAsBytes) {
  EXPECT_EQ(RegistryDataText(Value(REG_DWORD, std::string("\x02\x00\x00\x00", 4))),
            "2 (0x00000002)");
  EXPECT_EQ(RegistryDataText(Value(REG_DWORD, std::string("\xFF\xFF\xFF\xFF", 4))),
            "4294967295 (0xFFFFFFFF)");
  EXPECT_EQ(RegistryDataText(Value(REG_DWORD, std::string("\x02\x00", 2))), "02 00")
      << "a DWORD of the wrong size is shown as it is";
  EXPECT_EQ(RegistryDataText(Value(REG_BINARY, std::string("\x07\x01\xAB", 3))), "07 01 AB");
  EXPECT_EQ(RegistryDataText(Value(REG_NONE, "")), "(no data)");
  EXPECT_EQ(RegistryTypeName(REG_BINARY), "REG_BINARY");
  EXPECT_EQ(RegistryTypeName(REG_MULTI_SZ), "REG_MULTI_SZ");
  EXPECT_EQ(RegistryTypeName(42), "type 42");
}

TEST(RegistryValueJson, KeepsTheTypeAndTheDataInItsNaturalForm) {
  const Json values = Json::parse(JsonText(
      Json{RegistryValueJson(Value(REG_DWORD, std::string("\xFA\x00\x00\x00", 4), "Exposure")),
           RegistryValueJson(Value(REG_MULTI_SZ, std::string("a\0b\"\0\0", 6), "List")),
           RegistryValueJson(Value(REG_BINARY, std::string("\x10\x20", 2), "Raw"))}));
  EXPECT_EQ(values, Json::parse(R"([{"name": "Exposure", "type": "REG_DWORD", "data": 250},
      {"name": "List", "type": "REG_MULTI_SZ", "data": ["a", "b\""]},
      {"name": "Raw", "type": "REG_BINARY", "data": "10 20"}])"));
}

}  // namespace
}  // namespace pidtool
