// Every mapping rule against the codes its columns tell apart and a spread of other codes.
#include <gtest/gtest.h>

#include "registry/result_mapping.h"

namespace {

using Rule = tagQXINTRFCRESULT (*)(rm::WinCode) noexcept;

struct RuleRow {
  const char* rule;
  Rule map;
  // Results for 0, 2, 234, 5, 87 and for any other code.
  tagQXINTRFCRESULT success, notFound, moreData, accessDenied, invalidParameter, other;
};

const RuleRow kRules[] = {
    {"registry", rm::MapByRegistryRule, QXIR_SUCCESS, QXIR_REGISTRY_ERROR, QXIR_REGISTRY_ERROR,
     QXIR_ACCESS_DENIED, QXIR_REGISTRY_ERROR, QXIR_REGISTRY_ERROR},
    {"registry read", rm::MapByRegistryReadRule, QXIR_SUCCESS, QXIR_REGISTRY_ERROR,
     QXIR_BUFFER_TOO_SMALL, QXIR_ACCESS_DENIED, QXIR_REGISTRY_ERROR, QXIR_REGISTRY_ERROR},
    {"lookup", rm::MapByLookupRule, QXIR_SUCCESS, QXIR_KEY_NOT_FOUND, QXIR_BUFFER_TOO_SMALL,
     QXIR_ACCESS_DENIED, QXIR_KEY_NOT_FOUND, QXIR_KEY_NOT_FOUND},
    {"lookup for instantiation", rm::MapByModulePathLookupRule, QXIR_SUCCESS, QXIR_KEY_NOT_FOUND,
     QXIR_KEY_NOT_FOUND, QXIR_ACCESS_DENIED, QXIR_KEY_NOT_FOUND, QXIR_KEY_NOT_FOUND},
    {"profile read", rm::MapByProfileReadRule, QXIR_SUCCESS, QXIR_PROFILE_ERROR,
     QXIR_BUFFER_TOO_SMALL, QXIR_ACCESS_DENIED, QXIR_INVALID_PARAMETER, QXIR_PROFILE_ERROR},
    {"profile", rm::MapByProfileRule, QXIR_SUCCESS, QXIR_PROFILE_ERROR, QXIR_PROFILE_ERROR,
     QXIR_ACCESS_DENIED, QXIR_INVALID_PARAMETER, QXIR_PROFILE_ERROR},
    // compat F22
    // Only a component key that is not there counts as removed.
    {"final removal", rm::MapByFinalRemovalRule, QXIR_SUCCESS, QXIR_SUCCESS, QXIR_REGISTRY_ERROR,
     QXIR_ACCESS_DENIED, QXIR_REGISTRY_ERROR, QXIR_REGISTRY_ERROR},
};

// Codes that fall into the last column: the module's own codes, neighbours of the told-apart
// codes, and the extremes.
const rm::WinCode kOtherCodes[] = {1,   3,   4,   6,    8,    14,   86,          88,
                                   233, 235, 259, 1009, 1010, 1018, 0x80000000u, 0xFFFFFFFFu};

// compat C05
TEST(MappingRules, EachRuleMapsTheCodesItTellsApart) {
  for (const RuleRow& row : kRules) {
    EXPECT_EQ(row.map(0), row.success) << row.rule << " rule, code 0";
    EXPECT_EQ(row.map(2), row.notFound) << row.rule << " rule, code 2";
    EXPECT_EQ(row.map(234), row.moreData) << row.rule << " rule, code 234";
    EXPECT_EQ(row.map(5), row.accessDenied) << row.rule << " rule, code 5";
    EXPECT_EQ(row.map(87), row.invalidParameter) << row.rule << " rule, code 87";
  }
}

TEST(MappingRules, EveryOtherCodeFallsIntoTheLastColumn) {
  for (const RuleRow& row : kRules) {
    for (const rm::WinCode code : kOtherCodes) {
      EXPECT_EQ(row.map(code), row.other) << row.rule << " rule, code " << code;
    }
  }
}

TEST(ResultCodes, EnumeratorsCarryTheirFixedValues) {
  const int values[] = {QXIR_SUCCESS,
                        QXIR_LOADLIBRARY_FAILED,
                        QXIR_NO_DLLGETCLASSOBJECT,
                        QXIR_GETCLASSOBJECT_FAILED,
                        QXIR_CREATEINSTANCE_FAILED,
                        QXIR_KEY_NOT_FOUND,
                        QXIR_BAD_CLSID,
                        QXIR_BAD_CLSID_STRING,
                        QXIR_BAD_OBJECT_ID};
  for (int i = 0; i < 9; ++i) EXPECT_EQ(values[i], i);
  EXPECT_EQ(QXIR_BUFFER_TOO_SMALL, 10);
  EXPECT_EQ(QXIR_INVALID_PARAMETER, 12);
  EXPECT_EQ(QXIR_REGISTRY_ERROR, 13);
  EXPECT_EQ(QXIR_ACCESS_DENIED, 14);
  EXPECT_EQ(QXIR_PROFILE_ERROR, 15);
  EXPECT_EQ(QXVT_BINARY, 0);
  EXPECT_EQ(QXVT_DWORD, 1);
  EXPECT_EQ(QXVT_STRING, 2);
  EXPECT_EQ(QXVT_UNKNOWN, -1);
}

}  // namespace
