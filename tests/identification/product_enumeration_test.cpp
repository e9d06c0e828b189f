// The product enumeration over the simulated device tree, as a host's callback sees it.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "identification/identification_test_support.h"
#include "identification/product_enumeration.h"
#include "support/architecture.h"
#include "support/registry_sandbox.h"
#include "support/scratch_folder.h"

namespace rmtest {
namespace {

using Op = DeviceOperation;

// What one callback saw: the record is valid only during the call, so it is copied.
struct Reported {
  const ProductInfo* address;
  ProductInfo record;
  std::string productName;
  std::string driverName;
  std::string auxName;
};

struct Host {
  std::vector<Reported> reports;
};

int CALLBACK Collect(const ProductInfo* info, ULONG_PTR context) {
  Host* host = reinterpret_cast<Host*>(context);
  host->reports.push_back({info, *info, info->productName, info->driverName, info->auxName});
  return 17;  // ignored
}

std::vector<std::uint8_t> Bytes(const std::uint8_t (&code)[8]) { return {code, code + 8}; }

class ProductEnumerationTest : public DeviceTreeTest {
 protected:
  void SetUp() override {
    DeviceTreeTest::SetUp();
    tree.SetWindowsDirectory(windows.path());
    tree.SetSystemDirectory(windows.path() + "\\system32");
  }

  // A camera whose driver key names it and whose INF gives `driverVer` (no INF when empty).
  SimulatedDevice CameraWithDriver(const char* hardwareId, const std::string& name,
                                   const std::string& driverVer) {
    const char row = std::string(hardwareId).back();  // '1' or '2'
    SimulatedDevice device = Camera(hardwareId);
    device.driverKey = std::string("SYSTEM\\DriverKeys\\000") + row;
    RegistrySandbox::WriteString(HKEY_LOCAL_MACHINE, device.driverKey, "QxProductName", name);
    if (!driverVer.empty()) {
      const std::string inf = std::string("oem") + row + ".inf";
      RegistrySandbox::WriteString(HKEY_LOCAL_MACHINE, device.driverKey, "InfPath", inf);
      windows.WriteFile("INF\\" + inf, "[Version]\r\nSignature=\"$WINDOWS NT$\"\r\nDriverVer=" +
                                           driverVer + "\r\n");
    }
    return device;
  }
  void InstallLanguageResource(const char* fixture) {
    windows.CopyFileIn(std::string("language_fixtures\\") + fixture + ".rsl",
                       "system32\\R7731Pin.rsl");
  }

  std::vector<Reported> Enumerate() {
    Host host;
    rm::EnumerateKnownProducts(tree, &Collect, reinterpret_cast<ULONG_PTR>(&host));
    return host.reports;
  }

  RegistrySandbox registry;
  ScratchFolder windows;
};

void ExpectFixedFields(const Reported& report) {
  EXPECT_EQ(report.record.size, rmtest::kProductInfoSize);
  EXPECT_EQ(report.auxName, "");
  EXPECT_EQ(report.record.auxVersion.size, 16u);
  EXPECT_EQ(report.record.auxVersion.major, 0);
  EXPECT_EQ(report.record.auxVersion.minor, 0);
  EXPECT_EQ(report.record.auxVersion.build, 0);
  EXPECT_EQ(report.record.auxLanguageMask, 1u);
  EXPECT_EQ(report.record.driverVersion.size, 16u);
  EXPECT_EQ(report.record.driverName, report.record.productName) << "one buffer for both";
  EXPECT_EQ(report.record.flags & ~kProductInfoActive, 0u);
}

TEST_F(ProductEnumerationTest, NoKnownDeviceMeansNoCallback) {
  tree.Add(Camera("USB\\VID_2E7A&PID_9999"));
  EXPECT_TRUE(Enumerate().empty());
}

TEST_F(ProductEnumerationTest, OnlyTheSecondDeviceGivesOneRecordOfTheSecondKind) {
  tree.Add(CameraWithDriver(kSecondCameraId, "RM7731 Second", "05/17/2004,2.3.4.5"));
  const std::vector<Reported> reports = Enumerate();
  ASSERT_EQ(reports.size(), 1u);
  const Reported& second = reports[0];
  EXPECT_EQ(Bytes(second.record.productCode),
            (std::vector<std::uint8_t>{0x07, 0x01, 0x03, 0x02, 0x00, 0x00, 0x01, 0x1C}));
  EXPECT_EQ(second.record.productKind, 0x00010001u);
  EXPECT_EQ(second.record.flags, kProductInfoActive);
  EXPECT_EQ(second.productName, "RM7731 Second");
  EXPECT_EQ(second.driverName, "RM7731 Second");
  EXPECT_EQ(second.record.driverVersion.major, 2);
  EXPECT_EQ(second.record.driverVersion.minor, 3);
  EXPECT_EQ(second.record.driverVersion.build, 4);
  ExpectFixedFields(second);
}

TEST_F(ProductEnumerationTest, BothDevicesInTableOrderThroughOneRecord) {
  tree.Add(CameraWithDriver(kSecondCameraId, "Second", ""));
  tree.Add(CameraWithDriver(kFirstCameraId, "First", ""));
  Host host;
  rm::EnumerateKnownProducts(tree, &Collect, reinterpret_cast<ULONG_PTR>(&host));
  ASSERT_EQ(host.reports.size(), 2u) << "the context reached every callback";
  EXPECT_EQ(Bytes(host.reports[0].record.productCode),
            (std::vector<std::uint8_t>{0x07, 0x01, 0x03, 0x02, 0x00, 0x00, 0x00, 0x8A}));
  EXPECT_EQ(host.reports[0].record.productKind, 0x00010000u);
  EXPECT_EQ(host.reports[0].productName, "First");
  EXPECT_EQ(host.reports[1].record.productKind, 0x00010001u);
  EXPECT_EQ(host.reports[1].productName, "Second");
  EXPECT_EQ(host.reports[0].address, host.reports[1].address);
  EXPECT_EQ(host.reports[0].record.productName, host.reports[1].record.productName);
  for (const Reported& report : host.reports) ExpectFixedFields(report);
}

TEST_F(ProductEnumerationTest, DeviceWithoutItsDriverLoadedIsReportedInactive) {
  SimulatedDevice unplugged = CameraWithDriver(kFirstCameraId, "First", "");
  unplugged.driverLoaded = false;
  tree.Add(unplugged);
  const std::vector<Reported> reports = Enumerate();
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].record.flags, 0u);
  EXPECT_EQ(reports[0].productName, "First");
}

TEST_F(ProductEnumerationTest, DriverVersionIsNotCarriedOverToTheNextRow) {
  tree.Add(CameraWithDriver(kFirstCameraId, "First", "05/17/2004,5.1.22.0"));
  tree.Add(CameraWithDriver(kSecondCameraId, "Second", ""));
  const std::vector<Reported> reports = Enumerate();
  ASSERT_EQ(reports.size(), 2u);
  EXPECT_EQ(reports[0].record.driverVersion.major, 5);
  EXPECT_EQ(reports[0].record.driverVersion.minor, 1);
  EXPECT_EQ(reports[0].record.driverVersion.build, 22);
  const VersionBlock& second = reports[1].record.driverVersion;
  EXPECT_EQ(second.size, 16u);
  EXPECT_EQ(second.major, 0);
  EXPECT_EQ(second.minor, 0);
  EXPECT_EQ(second.build, 0);
}

TEST_F(ProductEnumerationTest, NameMissingFromTheDriverKeyIsEmpty) {
  SimulatedDevice device = Camera(kFirstCameraId);  // no driver key
  tree.Add(device);
  const std::vector<Reported> reports = Enumerate();
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].productName, "") << "the language file path does not stay in the buffer";
}

TEST_F(ProductEnumerationTest, LanguageMaskComesFromTheResourceFileInTheSystemDirectory) {
  tree.Add(Camera(kFirstCameraId));
  EXPECT_EQ(Enumerate().at(0).record.driverLanguageMask, 1u) << "no file: the preset";
  InstallLanguageResource("lang_en_us_de_de");
  EXPECT_EQ(Enumerate().at(0).record.driverLanguageMask, 0x81u);
  InstallLanguageResource("lang_no_translation_table");
  EXPECT_EQ(Enumerate().at(0).record.driverLanguageMask, 1u);
  InstallLanguageResource("lang_outside_table");
  EXPECT_EQ(Enumerate().at(0).record.driverLanguageMask, 0u);
}

TEST_F(ProductEnumerationTest, LanguageResourcePathThatWouldNotFitIsNotBuilt) {
  tree.Add(Camera(kFirstCameraId));
  InstallLanguageResource("lang_it_it");
  // 247 characters: with "\R7731Pin.rsl" (13) the path would need 261 bytes with its NUL.
  tree.SetSystemDirectory(windows.path() + "\\system32" +
                          std::string(247 - windows.path().size() - 9, '\\'));
  EXPECT_EQ(Enumerate().at(0).record.driverLanguageMask, 1u);
  // 246 characters fit exactly; the extra backslashes still name the same folder.
  tree.SetSystemDirectory(windows.path() + "\\system32" +
                          std::string(246 - windows.path().size() - 9, '\\'));
  EXPECT_EQ(Enumerate().at(0).record.driverLanguageMask, 0x100u);
  tree.Fail(Op::SystemDirectory);
  EXPECT_EQ(Enumerate().at(0).record.driverLanguageMask, 1u);
}

TEST_F(ProductEnumerationTest, FailingDeviceServicesReportNothingAndLeaveNothingOpen) {
  tree.Add(Camera(kFirstCameraId));
  tree.Fail(Op::GetClassDevs);
  EXPECT_TRUE(Enumerate().empty());
}

}  // namespace
}  // namespace rmtest
