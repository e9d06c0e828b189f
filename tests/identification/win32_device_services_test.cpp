// The Win32 device services under Wine, where no supported camera exists.
#include <gtest/gtest.h>

#include <cstring>

#include "identification/device_presence.h"
#include "identification/identification_test_support.h"
#include "identification/product_details.h"
#include "shared/unique_handle.h"

namespace rmtest {
namespace {

TEST(Win32DeviceServices, FindNeitherSupportedCamera) {
  const long before = rm::LiveHandleCountTotal();
  for (const char* id : {kFirstCameraId, kSecondCameraId}) {
    SCOPED_TRACE(id);
    EXPECT_EQ(rm::QueryDevicePresence(rm::Win32DeviceServices(), id), rm::DevicePresence::NotFound);
    char name[260];
    std::memset(name, 'x', sizeof name);
    std::int32_t major = 7, minor = 8, build = 9;
    EXPECT_EQ(rm::QueryProductDetails(rm::Win32DeviceServices(), id, name, sizeof name, &major,
                                      &minor, &build),
              0);
    EXPECT_STREQ(name, "");
    EXPECT_EQ(major, 7);
    EXPECT_EQ(minor, 8);
    EXPECT_EQ(build, 9);
  }
  EXPECT_EQ(rm::LiveHandleCountTotal(), before);
}

TEST(Win32DeviceServices, ReportTheSystemsDirectories) {
  char expected[MAX_PATH];
  char got[MAX_PATH];
  ASSERT_GT(GetSystemDirectoryA(expected, MAX_PATH), 0u);
  EXPECT_EQ(rm::Win32DeviceServices().SystemDirectory(got, MAX_PATH), std::strlen(expected));
  EXPECT_STREQ(got, expected);
  ASSERT_GT(GetWindowsDirectoryA(expected, MAX_PATH), 0u);
  EXPECT_EQ(rm::Win32DeviceServices().WindowsDirectory(got, MAX_PATH), std::strlen(expected));
  EXPECT_STREQ(got, expected);
}

}  // namespace
}  // namespace rmtest
