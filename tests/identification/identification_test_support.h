#pragma once
// What the device-query suites share: the two supported hardware IDs and a fixture that
// proves, after every test, that the queries gave back every set and closed every handle.

#include <gtest/gtest.h>

#include <string>

#include "identification/simulated_device_tree.h"
#include "shared/unique_handle.h"

namespace rmtest {

constexpr char kFirstCameraId[] = "USB\\VID_2E7A&PID_1101";
constexpr char kSecondCameraId[] = "USB\\VID_2E7A&PID_1102";

// A camera carrying `hardwareId` as its only ID, attached, with its driver loaded.
inline SimulatedDevice Camera(const std::string& hardwareId, const std::string& instance = "5&1") {
  SimulatedDevice device;
  device.instanceId = hardwareId + "\\" + instance;
  device.hardwareIds = MultiString({hardwareId});
  return device;
}

class DeviceTreeTest : public ::testing::Test {
 protected:
  void SetUp() override { handlesBefore_ = rm::LiveHandleCountTotal(); }

  // Everything taken during the test is given back; keys and INF handles went before the
  // set; no operation got arguments other than the queries' contract.
  void ExpectNothingLeftOpen() {
    EXPECT_EQ(tree.LiveSets(), 0) << "device sets handed out but not given back";
    EXPECT_EQ(rm::LiveHandleCountTotal(), handlesBefore_) << "handles left open";
    for (long alive : tree.KeysAndInfsAliveAtSetRelease()) {
      EXPECT_EQ(alive, 0) << "a key or INF handle outlived the device set";
    }
    for (const std::string& violation : tree.Violations()) ADD_FAILURE() << violation;
  }
  void TearDown() override { ExpectNothingLeftOpen(); }

  SimulatedDeviceTree tree;

 private:
  long handlesBefore_ = 0;
};

}  // namespace rmtest
