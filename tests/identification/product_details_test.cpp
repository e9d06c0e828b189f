// QueryProductDetails and FindInfFile over the simulated device tree, with real driver keys
// in the scratch registry and real INF files in a folder standing in for the Windows
// directory.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "identification/identification_test_support.h"
#include "identification/product_details.h"
#include "support/architecture.h"
#include "support/registry_sandbox.h"
#include "support/scratch_folder.h"

namespace rmtest {
namespace {

using Op = DeviceOperation;

constexpr char kDriverKey[] =
    "SYSTEM\\CurrentControlSet\\Control\\Class\\{6bdd1fc6-810f-11d0-bec7-08002be2092f}\\0000";
constexpr std::int32_t kUntouched = -7;

std::string InfText(const std::string& driverVer) {
  return "[Version]\r\n"
         "Signature=\"$WINDOWS NT$\"\r\n"
         "Class=Image\r\n"
         "Provider=%Maker%\r\n" +
         (driverVer.empty() ? std::string() : "DriverVer=" + driverVer + "\r\n") +
         "\r\n[Strings]\r\nMaker=\"Maker\"\r\n";
}

class ProductDetailsTest : public DeviceTreeTest {
 protected:
  void SetUp() override {
    DeviceTreeTest::SetUp();
    tree.SetWindowsDirectory(windows.path());
  }

  // The first camera with a driver key holding the given values (none when empty).
  SimulatedDevice CameraWithDriverKey(const std::string& productName, const std::string& infName,
                                      const std::string& key = kDriverKey) {
    SimulatedDevice device = Camera(kFirstCameraId);
    device.driverKey = key;
    RegistrySandbox::CreateKey(HKEY_LOCAL_MACHINE, key);
    if (!productName.empty())
      RegistrySandbox::WriteString(HKEY_LOCAL_MACHINE, key, "QxProductName", productName);
    if (!infName.empty()) RegistrySandbox::WriteString(HKEY_LOCAL_MACHINE, key, "InfPath", infName);
    return device;
  }
  void WriteInf(const std::string& relativePath,
                const std::string& driverVer = "05/17/2004,5.1.22.0") {
    windows.WriteFile(relativePath, InfText(driverVer));
  }

  int Query(const char* id = kFirstCameraId) {
    std::memset(name, 'x', sizeof name);
    return rm::QueryProductDetails(tree, id, name, nameSize, &major, &minor, &build);
  }
  void ExpectVersion(std::int32_t expectedMajor, std::int32_t expectedMinor,
                     std::int32_t expectedBuild) {
    EXPECT_EQ(major, expectedMajor);
    EXPECT_EQ(minor, expectedMinor);
    EXPECT_EQ(build, expectedBuild);
  }
  void ExpectVersionUntouched() { ExpectVersion(kUntouched, kUntouched, kUntouched); }

  RegistrySandbox registry;
  ScratchFolder windows;
  char name[300];
  unsigned long nameSize = 260;
  std::int32_t major = kUntouched;
  std::int32_t minor = kUntouched;
  std::int32_t build = kUntouched;
};

// compat C18
TEST_F(ProductDetailsTest, ReadsNameAndVersionThroughTheWholeChain) {
  tree.Add(CameraWithDriverKey("RM7731 Camera", "oem12.inf"));
  WriteInf("INF\\oem12.inf");
  EXPECT_EQ(Query(), 1);
  EXPECT_STREQ(name, "RM7731 Camera");
  ExpectVersion(5, 1, 22);
  EXPECT_EQ(tree.SetsHandedOut(), 1);
  EXPECT_EQ(tree.Calls(Op::GetDevNodeStatus), 0) << "no status is read";
}

TEST_F(ProductDetailsTest, VersionNumbersWithLeadingZeros) {
  tree.Add(CameraWithDriverKey("Camera", "oem12.inf"));
  WriteInf("INF\\oem12.inf", "05/17/2004,05.01.0022.0000");
  EXPECT_EQ(Query(), 1);
  ExpectVersion(5, 1, 22);
}

TEST_F(ProductDetailsTest, DriverVerWithoutVersionFieldStoresZeros) {
  tree.Add(CameraWithDriverKey("Camera", "oem12.inf"));
  WriteInf("INF\\oem12.inf", "05/17/2004");
  EXPECT_EQ(Query(), 1);
  ExpectVersion(0, 0, 0);
}

TEST_F(ProductDetailsTest, DriverVerWithTwoNumbersStoresZeroForTheThird) {
  tree.Add(CameraWithDriverKey("Camera", "oem12.inf"));
  WriteInf("INF\\oem12.inf", "05/17/2004,6.2");
  EXPECT_EQ(Query(), 1);
  ExpectVersion(6, 2, 0);
}

TEST_F(ProductDetailsTest, FirstDeviceMetWins) {
  tree.Add(CameraWithDriverKey("First", "", std::string(kDriverKey) + "A"));
  tree.Add(CameraWithDriverKey("Second", "", std::string(kDriverKey) + "B"));
  EXPECT_EQ(Query(), 1);
  EXPECT_STREQ(name, "First");
}

TEST_F(ProductDetailsTest, DetachedDeviceOutsideTheSetIsFoundUnderItsEnumerator) {
  SimulatedDevice device = CameraWithDriverKey("Unplugged camera", "oem12.inf");
  device.inAllClasses = false;
  device.attached = false;
  tree.Add(device);
  WriteInf("oem12.inf");
  EXPECT_EQ(Query(), 1);
  EXPECT_STREQ(name, "Unplugged camera");
  ExpectVersion(5, 1, 22);
  EXPECT_EQ(tree.Calls(Op::GetDeviceIdListSize), 1);
}

TEST_F(ProductDetailsTest, WindowsDirectoryItselfComesBeforeInf) {
  tree.Add(CameraWithDriverKey("Camera", "oem12.inf"));
  WriteInf("oem12.inf", "01/01/2001,1.2.3.4");
  WriteInf("INF\\oem12.inf", "02/02/2002,9.9.9.9");
  EXPECT_EQ(Query(), 1);
  ExpectVersion(1, 2, 3);
}

TEST_F(ProductDetailsTest, InfOnlyUnderInfInternetIsFoundOnTheFourthTry) {
  tree.Add(CameraWithDriverKey("Camera", "oem12.inf"));
  WriteInf("INF\\INTERNET\\oem12.inf", "03/03/2003,4.5.6.7");
  EXPECT_EQ(Query(), 1);
  ExpectVersion(4, 5, 6);
}

TEST_F(ProductDetailsTest, MissingProductNameLeavesItEmptyAndVersionIsRead) {
  tree.Add(CameraWithDriverKey("", "oem12.inf"));
  WriteInf("INF\\OTHER\\oem12.inf");
  EXPECT_EQ(Query(), 1);
  EXPECT_STREQ(name, "");
  ExpectVersion(5, 1, 22);
}

TEST_F(ProductDetailsTest, NullNameIsNotWrittenAndVersionIsStillRead) {
  tree.Add(CameraWithDriverKey("Camera", "oem12.inf"));
  WriteInf("INF\\oem12.inf");
  EXPECT_EQ(rm::QueryProductDetails(tree, kFirstCameraId, nullptr, 260, &major, &minor, &build), 1);
  ExpectVersion(5, 1, 22);
}

TEST_F(ProductDetailsTest, ProductNameLongerThanTheBufferLeavesItEmpty) {
  tree.Add(CameraWithDriverKey("A camera name of some length", "oem12.inf"));
  WriteInf("INF\\oem12.inf");
  nameSize = 10;
  EXPECT_EQ(Query(), 1);
  EXPECT_STREQ(name, "");
  EXPECT_EQ(name[nameSize], 'x') << "nothing written past nameSize";
  ExpectVersion(5, 1, 22);
}

TEST_F(ProductDetailsTest, ProductNameStoredWithoutNulStillEndsWithinTheBuffer) {
  tree.Add(CameraWithDriverKey("", ""));
  RegistrySandbox::WriteRaw(HKEY_LOCAL_MACHINE, kDriverKey, "QxProductName", REG_SZ, "Camera", 6);
  EXPECT_EQ(Query(), 1);
  EXPECT_STREQ(name, "Camera") << "there is room for the NUL";

  nameSize = 6;
  EXPECT_EQ(Query(), 1);
  EXPECT_EQ(std::memchr(name, '\0', nameSize), name) << "filling the buffer: too long, empty";
  EXPECT_EQ(name[nameSize], 'x');
}

TEST_F(ProductDetailsTest, DeviceNoWalkFindsGivesZero) {
  tree.Add(CameraWithDriverKey("Camera", "oem12.inf"));
  EXPECT_EQ(Query(kSecondCameraId), 0);
  EXPECT_STREQ(name, "");
  ExpectVersionUntouched();
  EXPECT_EQ(tree.Calls(Op::OpenDevNodeKey), 0);
}

TEST_F(ProductDetailsTest, DeviceWithoutDriverKeyGivesOne) {
  tree.Add(Camera(kFirstCameraId));  // no driver key at all
  SimulatedDevice keyNotThere = Camera(kSecondCameraId);
  keyNotThere.driverKey = "SYSTEM\\Missing";  // names a key that does not exist
  tree.Add(keyNotThere);
  EXPECT_EQ(Query(kFirstCameraId), 1);
  EXPECT_STREQ(name, "");
  EXPECT_EQ(Query(kSecondCameraId), 1);
  EXPECT_STREQ(name, "");
  ExpectVersionUntouched();
  EXPECT_FALSE(RegistrySandbox::KeyExists(HKEY_LOCAL_MACHINE, "SYSTEM\\Missing"))
      << "nothing created";
}

TEST_F(ProductDetailsTest, InfPathOf80CharactersIsRefusedAnd79Accepted) {
  const std::string longName = std::string(76, 'a') + ".inf";  // 80 characters
  tree.Add(CameraWithDriverKey("Camera", longName));
  WriteInf("INF\\" + longName);
  EXPECT_EQ(Query(), 1);
  EXPECT_STREQ(name, "Camera") << "the name is still read";
  ExpectVersionUntouched();

  const std::string longestName = std::string(75, 'a') + ".inf";  // 79 characters
  RegistrySandbox::WriteString(HKEY_LOCAL_MACHINE, kDriverKey, "InfPath", longestName);
  WriteInf("INF\\" + longestName);
  EXPECT_EQ(Query(), 1);
  ExpectVersion(5, 1, 22);
}

// Each failing step of the failure table, with name and version as it gives them.

TEST_F(ProductDetailsTest, NoDeviceSetGivesZeroWithoutEnumeratorWalk) {
  tree.Add(CameraWithDriverKey("Camera", "oem12.inf"));
  tree.Fail(Op::GetClassDevs);
  EXPECT_EQ(Query(), 0);
  EXPECT_STREQ(name, "");
  ExpectVersionUntouched();
  EXPECT_EQ(tree.Calls(Op::GetDeviceIdListSize), 0);
}

TEST_F(ProductDetailsTest, EnumeratorWalkThatCannotRunGivesZero) {
  SimulatedDevice device = CameraWithDriverKey("Camera", "oem12.inf");
  device.inAllClasses = false;
  tree.Add(device);
  WriteInf("INF\\oem12.inf");
  for (Op failing : {Op::GetDeviceIdList, Op::GetDeviceIdListSize}) {
    SCOPED_TRACE(static_cast<int>(failing));
    tree.Fail(failing);
    EXPECT_EQ(Query(), 0);
    EXPECT_STREQ(name, "");
    ExpectVersionUntouched();
    EXPECT_EQ(tree.LiveSets(), 0);
  }
}

TEST_F(ProductDetailsTest, EnumeratorBlockTheHeapRefusesGivesZero) {
  SimulatedDevice device = CameraWithDriverKey("Camera", "oem12.inf");
  device.inAllClasses = false;
  tree.Add(device);
  if (!rmtest::kIs64Bit) {  // a 64-bit heap grants any 32-bit size
    tree.ReportIdListSize(0xFFFFFFF0u);
    EXPECT_EQ(Query(), 0);
  }
  tree.ReportIdListSize(0);
  EXPECT_EQ(Query(), 0);
  EXPECT_EQ(tree.Calls(Op::GetDeviceIdList), 0);
}

TEST_F(ProductDetailsTest, DriverKeyThatCannotBeOpenedGivesOne) {
  tree.Add(CameraWithDriverKey("Camera", "oem12.inf"));
  WriteInf("INF\\oem12.inf");
  tree.Fail(Op::OpenDevNodeKey);
  EXPECT_EQ(Query(), 1);
  EXPECT_STREQ(name, "");
  ExpectVersionUntouched();
}

TEST_F(ProductDetailsTest, MissingInfPathGivesOneWithTheName) {
  tree.Add(CameraWithDriverKey("Camera", ""));
  EXPECT_EQ(Query(), 1);
  EXPECT_STREQ(name, "Camera");
  ExpectVersionUntouched();
}

TEST_F(ProductDetailsTest, InfFoundNowhereGivesOneWithTheName) {
  tree.Add(CameraWithDriverKey("Camera", "oem12.inf"));
  WriteInf("INF\\oem13.inf");
  WriteInf("SYSTEM32\\oem12.inf");  // not one of the four places
  EXPECT_EQ(Query(), 1);
  EXPECT_STREQ(name, "Camera");
  ExpectVersionUntouched();
}

TEST_F(ProductDetailsTest, InfThatCannotBeOpenedGivesOneWithTheName) {
  tree.Add(CameraWithDriverKey("Camera", "oem12.inf"));
  windows.WriteFile("INF\\oem12.inf", "[Version]\r\nDriverVer=05/17/2004,5.1.22.0\r\n");
  EXPECT_EQ(Query(), 1);
  EXPECT_STREQ(name, "Camera");
  ExpectVersionUntouched();
}

TEST_F(ProductDetailsTest, InfWithoutDriverVerGivesOneWithTheName) {
  tree.Add(CameraWithDriverKey("Camera", "oem12.inf"));
  WriteInf("INF\\oem12.inf", "");
  EXPECT_EQ(Query(), 1);
  EXPECT_STREQ(name, "Camera");
  ExpectVersionUntouched();
}

TEST_F(ProductDetailsTest, NoWindowsDirectoryMeansNoInf) {
  tree.Add(CameraWithDriverKey("Camera", "oem12.inf"));
  WriteInf("INF\\oem12.inf");
  tree.Fail(Op::WindowsDirectory);
  EXPECT_EQ(Query(), 1);
  ExpectVersionUntouched();
}

TEST_F(ProductDetailsTest, TooLongIdIsRefused) {
  const std::string longId = "USB\\" + std::string(300, 'A');
  EXPECT_EQ(Query(longId.c_str()), 0);
  EXPECT_STREQ(name, "");
  EXPECT_EQ(tree.Calls(Op::GetClassDevs), 0);
}

class FindInfFileTest : public DeviceTreeTest {
 protected:
  void SetUp() override {
    DeviceTreeTest::SetUp();
    tree.SetWindowsDirectory(windows.path());
    std::memset(path, 'x', sizeof path);
  }
  ScratchFolder windows;
  char path[400];
};

TEST_F(FindInfFileTest, GivesTheFullPathOfTheFirstPlaceHoldingTheFile) {
  windows.WriteFile("INF\\OTHER\\a.inf", "");
  windows.WriteFile("INF\\INTERNET\\a.inf", "");
  EXPECT_EQ(rm::FindInfFile(tree, "a.inf", 260, path), 1);
  EXPECT_EQ(std::string(path), windows.path() + "\\INF\\OTHER\\a.inf");
}

TEST_F(FindInfFileTest, LeavesTheWindowsDirectoryAloneWhenNotFound) {
  EXPECT_EQ(rm::FindInfFile(tree, "a.inf", 260, path), 0);
  EXPECT_EQ(std::string(path), windows.path());
}

TEST_F(FindInfFileTest, SkipsCandidatesThatWouldNotFit) {
  windows.WriteFile("a.inf", "");
  windows.WriteFile("INF\\b.inf", "");
  const unsigned long exact =
      static_cast<unsigned long>(windows.path().size() + std::strlen("\\a.inf") + 1);
  EXPECT_EQ(rm::FindInfFile(tree, "a.inf", exact, path), 1) << "fits exactly";
  EXPECT_EQ(std::string(path), windows.path() + "\\a.inf");

  std::memset(path, 'x', sizeof path);
  EXPECT_EQ(rm::FindInfFile(tree, "b.inf", exact, path), 0) << "\\INF\\b.inf does not fit";
  EXPECT_EQ(std::string(path), windows.path());
  EXPECT_EQ(path[exact], 'x') << "nothing written past pathSize";
}

TEST_F(FindInfFileTest, WindowsDirectoryThatDoesNotFitFindsNothing) {
  windows.WriteFile("a.inf", "");
  const unsigned long tooSmall = static_cast<unsigned long>(windows.path().size());
  EXPECT_EQ(rm::FindInfFile(tree, "a.inf", tooSmall, path), 0);
  EXPECT_EQ(path[0], '\0');
  EXPECT_EQ(path[tooSmall], 'x');
  tree.Fail(Op::WindowsDirectory);
  EXPECT_EQ(rm::FindInfFile(tree, "a.inf", 260, path), 0);
  EXPECT_EQ(path[0], '\0');
}

}  // namespace
}  // namespace rmtest
