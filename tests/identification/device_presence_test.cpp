// QueryDevicePresence over the simulated device tree.
#include <gtest/gtest.h>

#include "identification/device_presence.h"
#include "identification/identification_test_support.h"
#include "support/architecture.h"

namespace rmtest {
namespace {

using rm::DevicePresence;
using Op = DeviceOperation;

class DevicePresenceTest : public DeviceTreeTest {
 protected:
  DevicePresence Query(const char* id = kFirstCameraId) {
    return rm::QueryDevicePresence(tree, id);
  }
};

TEST_F(DevicePresenceTest, LoadedCameraOfTheCaptureClassIsDriverLoaded) {
  tree.Add(Camera(kFirstCameraId));
  EXPECT_EQ(Query(), DevicePresence::DriverLoaded);
  EXPECT_EQ(tree.Calls(Op::GetDeviceIdListSize), 0) << "no enumerator walk after a match";
  EXPECT_EQ(tree.SetsHandedOut(), 1);
}

TEST_F(DevicePresenceTest, IdInOtherLetterCaseMatchesButRevisionSuffixDoesNot) {
  SimulatedDevice lower = Camera(kFirstCameraId);
  lower.hardwareIds = MultiString({"usb\\vid_2e7a&pid_1101"});
  tree.Add(lower);
  SimulatedDevice revision = Camera(kSecondCameraId);
  revision.hardwareIds = MultiString({"USB\\VID_2E7A&PID_1102&REV_0001"});
  tree.Add(revision);
  EXPECT_EQ(Query(kFirstCameraId), DevicePresence::DriverLoaded);
  EXPECT_EQ(Query(kSecondCameraId), DevicePresence::NotFound);
}

TEST_F(DevicePresenceTest, LaterDeviceWithItsDriverLoadedRaisesTheResult) {
  SimulatedDevice unloaded = Camera(kFirstCameraId, "5&1");
  unloaded.driverLoaded = false;
  tree.Add(unloaded);
  tree.Add(Camera(kFirstCameraId, "5&2"));
  tree.Add(Camera(kFirstCameraId, "5&3"));
  EXPECT_EQ(Query(), DevicePresence::DriverLoaded);
  EXPECT_EQ(tree.Calls(Op::GetDevNodeStatus), 2) << "the walk ends at the loaded driver";
}

TEST_F(DevicePresenceTest, MatchWithoutLoadedDriverIsDriverNotLoadedWithoutEnumeratorWalk) {
  SimulatedDevice unloaded = Camera(kFirstCameraId);
  unloaded.driverLoaded = false;
  tree.Add(unloaded);
  SimulatedDevice onlyUnderEnumerator = Camera(kFirstCameraId, "5&9");
  onlyUnderEnumerator.inCaptureClass = false;
  tree.Add(onlyUnderEnumerator);
  EXPECT_EQ(Query(), DevicePresence::DriverNotLoaded);
  EXPECT_EQ(tree.Calls(Op::GetDeviceIdListSize), 0);
}

TEST_F(DevicePresenceTest, UnreadableStatusCountsAsNotLoaded) {
  SimulatedDevice device = Camera(kFirstCameraId);
  device.statusReadable = false;
  tree.Add(device);
  EXPECT_EQ(Query(), DevicePresence::DriverNotLoaded);
}

TEST_F(DevicePresenceTest, DetachedDeviceUnderTheEnumeratorIsDriverNotLoaded) {
  SimulatedDevice detached = Camera(kFirstCameraId);
  detached.inCaptureClass = false;
  detached.attached = false;
  tree.Add(detached);
  EXPECT_EQ(Query(), DevicePresence::DriverNotLoaded);
  EXPECT_EQ(tree.Calls(Op::LocateDevNode), 1);
}

TEST_F(DevicePresenceTest, EnumeratorWalkFindsLoadedDriverAndStopsThere) {
  SimulatedDevice other = Camera("USB\\VID_0000&PID_0001");
  tree.Add(other);
  for (const char* instance : {"5&1", "5&2", "5&3"}) {
    SimulatedDevice device = Camera(kFirstCameraId, instance);
    device.inCaptureClass = false;
    device.driverLoaded = std::string(instance) != "5&1";
    tree.Add(device);
  }
  EXPECT_EQ(Query(), DevicePresence::DriverLoaded);
  EXPECT_EQ(tree.Calls(Op::LocateDevNode), 3) << "other device, unloaded match, loaded match";
}

TEST_F(DevicePresenceTest, ListLongerThanTheWorkingBufferCarriesNoId) {
  SimulatedDevice device = Camera(kFirstCameraId);
  device.hardwareIds = MultiString({kFirstCameraId, std::string(300, 'X')});
  tree.Add(device);
  EXPECT_EQ(Query(), DevicePresence::NotFound);
  EXPECT_EQ(tree.Calls(Op::GetDevNodeRegistryProperty), 2) << "read by both walks, fitting neither";
}

TEST_F(DevicePresenceTest, NoDeviceAnywhereOrAnEmptyEnumeratorIsNotFound) {
  EXPECT_EQ(Query(), DevicePresence::NotFound) << "empty tree";
  EXPECT_EQ(tree.Calls(Op::GetDeviceIdList), 1) << "the enumerator's empty list was read";
  tree.Add(Camera("PCI\\VEN_8086&DEV_0001"));
  EXPECT_EQ(Query(), DevicePresence::NotFound);
}

TEST_F(DevicePresenceTest, SecondStringAfterOneEndingInCommaIsNotCompared) {
  SimulatedDevice device = Camera(kFirstCameraId);
  device.hardwareIds = MultiString({"USB\\COMPOSITE,", kFirstCameraId});
  tree.Add(device);
  EXPECT_EQ(Query(), DevicePresence::NotFound);
}

TEST_F(DevicePresenceTest, TooLongIdIsRefusedBeforeAnyWalk) {
  const std::string longId = "USB\\" + std::string(300, 'A');
  SimulatedDevice device = Camera(kFirstCameraId);
  tree.Add(device);
  EXPECT_EQ(Query(longId.c_str()), DevicePresence::NotFound);
  EXPECT_EQ(tree.Calls(Op::GetClassDevs), 0);
  const std::string longest = "USB\\" + std::string(255, 'A');  // 259 characters: searched
  EXPECT_EQ(Query(longest.c_str()), DevicePresence::NotFound);
  EXPECT_EQ(tree.Calls(Op::GetClassDevs), 1);
  EXPECT_EQ(tree.Calls(Op::GetDeviceIdListSize), 1);
}

TEST_F(DevicePresenceTest, IdWithoutEnumeratorNameSkipsTheEnumeratorWalk) {
  SimulatedDevice device = Camera(kFirstCameraId);
  device.inCaptureClass = false;
  tree.Add(device);
  EXPECT_EQ(Query("\\\\\\"), DevicePresence::NotFound);
  EXPECT_EQ(Query(""), DevicePresence::NotFound);
  EXPECT_EQ(tree.Calls(Op::GetDeviceIdListSize), 0);
  EXPECT_EQ(Query("\\USB\\VID_2E7A&PID_1101"), DevicePresence::NotFound)
      << "leading backslashes are skipped for the enumerator, but the whole ID is compared";
  EXPECT_EQ(tree.Calls(Op::GetDeviceIdListSize), 1);
}

// Each failing step of the failure table.

TEST_F(DevicePresenceTest, NoDeviceSetMeansNotFoundWithoutEnumeratorWalk) {
  SimulatedDevice device = Camera(kFirstCameraId);
  tree.Add(device);
  tree.Fail(Op::GetClassDevs);
  EXPECT_EQ(Query(), DevicePresence::NotFound);
  EXPECT_EQ(tree.Calls(Op::GetDeviceIdListSize), 0);
}

TEST_F(DevicePresenceTest, FailingElementEnumerationEndsTheSetWalkOnly) {
  tree.Add(Camera(kFirstCameraId));
  tree.Fail(Op::EnumDeviceInfo);
  EXPECT_EQ(Query(), DevicePresence::DriverLoaded) << "found by the enumerator walk";
  EXPECT_EQ(tree.Calls(Op::EnumDeviceInfo), 1);
  EXPECT_EQ(tree.SetsGivenBack(), 1);
}

TEST_F(DevicePresenceTest, UnreadableListsPassTheDeviceOver) {
  SimulatedDevice device = Camera(kFirstCameraId);
  device.hardwareIds.reset();
  tree.Add(device);
  tree.Add(Camera(kFirstCameraId, "5&2"));
  EXPECT_EQ(Query(), DevicePresence::DriverLoaded) << "the second device is still examined";
  tree.Fail(Op::GetDevNodeRegistryProperty);
  EXPECT_EQ(Query(), DevicePresence::NotFound);
}

TEST_F(DevicePresenceTest, FailingStatusReadCountsAsNotLoaded) {
  tree.Add(Camera(kFirstCameraId));
  tree.Fail(Op::GetDevNodeStatus);
  EXPECT_EQ(Query(), DevicePresence::DriverNotLoaded);
}

TEST_F(DevicePresenceTest, EnumeratorWalkThatCannotRunIsNotFound) {
  SimulatedDevice device = Camera(kFirstCameraId);
  device.inCaptureClass = false;
  tree.Add(device);
  ASSERT_EQ(Query(), DevicePresence::DriverLoaded) << "the walk as such finds it";

  const long blocksBefore = rm::LiveHandleCount(rm::HandleKind::HeapBlock);
  tree.Fail(Op::GetDeviceIdList);
  EXPECT_EQ(Query(), DevicePresence::NotFound) << "list read fails";
  EXPECT_EQ(rm::LiveHandleCount(rm::HandleKind::HeapBlock), blocksBefore) << "block freed";

  if (!rmtest::kIs64Bit) {  // a 64-bit heap grants any 32-bit size
    tree.ReportIdListSize(0xFFFFFFF0u);
    EXPECT_EQ(Query(), DevicePresence::NotFound) << "the heap refuses the block";
  }
  tree.ReportIdListSize(0);
  EXPECT_EQ(Query(), DevicePresence::NotFound) << "size 0";
  EXPECT_EQ(tree.Calls(Op::GetDeviceIdList), 2) << "no list read after the failed one";

  tree.Fail(Op::GetDeviceIdListSize);
  EXPECT_EQ(Query(), DevicePresence::NotFound) << "size query fails";
}

TEST_F(DevicePresenceTest, DeviceNodeThatCannotBeLocatedIsPassedOver) {
  SimulatedDevice device = Camera(kFirstCameraId);
  device.inCaptureClass = false;
  tree.Add(device);
  tree.Fail(Op::LocateDevNode);
  EXPECT_EQ(Query(), DevicePresence::NotFound);
  EXPECT_EQ(tree.Calls(Op::GetDevNodeRegistryProperty), 0);
}

TEST_F(DevicePresenceTest, FailingSetReleaseDoesNotChangeTheResult) {
  tree.Add(Camera(kFirstCameraId));
  tree.Fail(Op::DestroyDeviceInfoList);
  EXPECT_EQ(Query(), DevicePresence::DriverLoaded);
  EXPECT_EQ(tree.SetsGivenBack(), 1);
}

}  // namespace
}  // namespace rmtest
