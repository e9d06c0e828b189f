// The utilities as a host developer uses them: compiled against the public header and linked
// with the module's import library, so every call below goes through Rm7731.pid's exports.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "qx/utilities.h"
#include "support/module_under_test.h"
#include "support/scratch_folder.h"

namespace rmtest {
namespace {

TEST(UtilitiesExports, EveryMemberIsExportedByItsMangledName) {
  for (const char* name :
       {"_Z27QXSetIniFileStringValueDataPKcS0_S0_S0_",
        "_Z27QXGetIniFileStringValueDataPKcS0_S0_PcmPm", "_Z20QXGetIniFileKeyNamesPKcS0_PcmPm",
        "_Z22QXDeleteIniFileKeyNamePKcS0_S0_", "_Z26QXDeleteIniFileSectionNamePKcS0_",
        "_Z15QXMeasureTimingiP14_LARGE_INTEGERS0_PmPKcS3_", "_ZN15CQXGlobalMemObjC1Ev",
        "_ZN15CQXGlobalMemObjC2Ev", "_ZN15CQXGlobalMemObjD1Ev", "_ZN15CQXGlobalMemObjD2Ev",
        "_ZN15CQXGlobalMemObjaSERKS_", "_ZN15CQXGlobalMemObj6CreateEmPKcPiPm",
        "_ZN15CQXGlobalMemObj7DestroyEPm"}) {
    EXPECT_NE(GetProcAddress(BuiltModule(), name), nullptr) << name;
  }
}

TEST(UtilitiesThroughModule, ProfileValuesAndKeyLists) {
  ScratchFolder folder;
  const std::string file = folder.File("host.ini");
  ASSERT_EQ(QXSetIniFileStringValueData(file.c_str(), "s", "a", "first"), QXIR_SUCCESS);
  ASSERT_EQ(QXSetIniFileStringValueData(file.c_str(), "s", "bc", std::string(3000, 'v').c_str()),
            QXIR_SUCCESS);

  unsigned long size = 0;
  EXPECT_EQ(QXGetIniFileStringValueData(file.c_str(), "s", "bc", nullptr, 0, &size), QXIR_SUCCESS);
  EXPECT_EQ(size, 3001u);
  char value[6];
  EXPECT_EQ(QXGetIniFileStringValueData(file.c_str(), "s", "a", value, 5, &size),
            QXIR_BUFFER_TOO_SMALL);
  EXPECT_EQ(size, 6u);
  EXPECT_EQ(QXGetIniFileStringValueData(file.c_str(), "s", "a", value, sizeof value, &size),
            QXIR_SUCCESS);
  EXPECT_STREQ(value, "first");

  char list[6];
  EXPECT_EQ(QXGetIniFileKeyNames(file.c_str(), "s", list, sizeof list, &size), QXIR_SUCCESS);
  EXPECT_EQ(std::string(list, 6), std::string("a\0bc\0\0", 6));

  EXPECT_EQ(QXDeleteIniFileKeyName(file.c_str(), "s", "a"), QXIR_SUCCESS);
  EXPECT_EQ(QXGetIniFileStringValueData(file.c_str(), "s", "a", value, sizeof value, &size),
            QXIR_PROFILE_ERROR);
  EXPECT_EQ(QXDeleteIniFileSectionName(file.c_str(), "s"), QXIR_SUCCESS);
  EXPECT_EQ(QXGetIniFileKeyNames(file.c_str(), "s", list, sizeof list, &size), QXIR_PROFILE_ERROR);
  EXPECT_EQ(QXDeleteIniFileSectionName(file.c_str(), nullptr), QXIR_INVALID_PARAMETER);
}

TEST(UtilitiesThroughModule, Stopwatch) {
  LARGE_INTEGER frequency{}, start{};
  ASSERT_NE(QXMeasureTiming(1, &frequency, &start, nullptr, nullptr, nullptr), 0);
  EXPECT_GT(frequency.QuadPart, 0);
  unsigned long elapsed = 0xA5A5A5A5;
  LARGE_INTEGER later = start;
  later.QuadPart += frequency.QuadPart;  // a start one second in the future
  EXPECT_NE(QXMeasureTiming(0, &frequency, &later, &elapsed, nullptr, nullptr), 0);
  EXPECT_GE(elapsed, 0xFFF0BDC0u) << "about -1,000,000 µs as an unsigned 32-bit number";

  LARGE_INTEGER zero{};
  elapsed = 0xA5A5A5A5;
  EXPECT_EQ(QXMeasureTiming(0, &zero, &start, &elapsed, nullptr, nullptr), 0);
  EXPECT_EQ(elapsed, 0xA5A5A5A5u);
}

TEST(UtilitiesThroughModule, SharedMemoryObject) {
  const std::string name = "util_host_shm_" + std::to_string(GetCurrentProcessId());
  CQXGlobalMemObj first, second, alias;
  int existed = -1;
  unsigned long error = 0xA5A5A5A5;
  auto* firstView = static_cast<char*>(first.Create(8192, name.c_str(), &existed, &error));
  ASSERT_NE(firstView, nullptr);
  EXPECT_EQ(existed, 0);
  auto* secondView = static_cast<char*>(second.Create(8192, name.c_str(), &existed, &error));
  ASSERT_NE(secondView, nullptr);
  EXPECT_EQ(existed, 1);
  std::strcpy(firstView, "shared");
  EXPECT_STREQ(secondView, "shared");

  alias = second;
  EXPECT_EQ(alias.Destroy(&error), 1);
  EXPECT_EQ(second.Destroy(&error), 0) << "the alias destroyed the shared record's block";
  EXPECT_EQ(error, DWORD{ERROR_INVALID_ADDRESS});
  EXPECT_EQ(first.Destroy(&error), 1);
  HANDLE left = OpenFileMappingA(FILE_MAP_READ, FALSE, name.c_str());
  EXPECT_EQ(left, nullptr) << "a mapping of the name is still open";
  if (left != nullptr) CloseHandle(left);

  error = 0xA5A5A5A5;
  EXPECT_EQ(first.Create(0, name.c_str(), nullptr, &error), nullptr);
  EXPECT_EQ(error, DWORD{ERROR_INVALID_PARAMETER});
}

}  // namespace
}  // namespace rmtest
