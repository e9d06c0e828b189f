#pragma once
// A device tree behind the device-services seam, for tests. Devices are described by what
// the queries can see of them; every operation can be made to fail; arguments that differ
// from what the queries must pass are recorded as violations. Driver keys are real keys
// below HKEY_LOCAL_MACHINE (redirected by a RegistrySandbox), and the Windows and system
// directories are folders the test chooses.

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "identification/device_services.h"

namespace rmtest {

struct SimulatedDevice {
  // "USB\\VID_2E7A&PID_1101\\5&1"; the enumerator is the text before the first '\'
  std::string instanceId;
  std::optional<std::string> hardwareIds;  // raw property bytes; none: the property cannot be read
  bool inCaptureClass = true;              // has a KSCATEGORY_CAPTURE interface registered
  bool inAllClasses = true;                // listed by DIGCF_ALLCLASSES
  bool attached = true;                    // detached: found only as a phantom, status unreadable
  bool statusReadable = true;
  bool driverLoaded = true;
  std::string driverKey;  // path below HKEY_LOCAL_MACHINE; empty: no driver key
};

// A multi-string from its strings: each gets its NUL, then the closing empty string.
std::string MultiString(const std::vector<std::string>& strings);

enum class DeviceOperation {
  GetClassDevs,
  EnumDeviceInfo,
  DestroyDeviceInfoList,
  GetDevNodeRegistryProperty,
  GetDevNodeStatus,
  GetDeviceIdListSize,
  GetDeviceIdList,
  LocateDevNode,
  OpenDevNodeKey,
  WindowsDirectory,
  SystemDirectory,
  Count
};

class SimulatedDeviceTree final : public rm::DeviceServices {
 public:
  SimulatedDeviceTree() = default;
  ~SimulatedDeviceTree();

  // Returns the device's node number.
  DEVINST Add(const SimulatedDevice& device);
  void SetWindowsDirectory(const std::string& path) { windowsDirectory_ = path; }
  void SetSystemDirectory(const std::string& path) { systemDirectory_ = path; }
  // Makes every later call of the operation fail.
  void Fail(DeviceOperation operation) { failing_[Index(operation)] = true; }
  // Overrides the size CM_Get_Device_ID_List_SizeA reports (0, or one the heap refuses).
  void ReportIdListSize(ULONG size) { reportedIdListSize_ = size; }

  int Calls(DeviceOperation operation) const { return calls_[Index(operation)]; }
  int SetsHandedOut() const { return setsHandedOut_; }
  int SetsGivenBack() const { return setsGivenBack_; }
  int LiveSets() const { return setsHandedOut_ - setsGivenBack_; }
  // Registry keys and INF handles still alive (by the module's guards) when a set came back.
  const std::vector<long>& KeysAndInfsAliveAtSetRelease() const { return aliveAtSetRelease_; }
  // Arguments that differ from the queries' contract, one line each.
  const std::vector<std::string>& Violations() const { return violations_; }

  // rm::DeviceServices
  HDEVINFO GetClassDevs(const GUID* classGuid, const char* enumerator, HWND parent,
                        DWORD flags) noexcept override;
  BOOL EnumDeviceInfo(HDEVINFO set, DWORD index, SP_DEVINFO_DATA* element) noexcept override;
  BOOL DestroyDeviceInfoList(HDEVINFO set) noexcept override;
  CONFIGRET GetDevNodeRegistryProperty(DEVINST node, ULONG property, ULONG* type, void* buffer,
                                       ULONG* length, ULONG flags) noexcept override;
  CONFIGRET GetDevNodeStatus(ULONG* status, ULONG* problem, DEVINST node,
                             ULONG flags) noexcept override;
  CONFIGRET GetDeviceIdListSize(ULONG* size, const char* filter, ULONG flags) noexcept override;
  CONFIGRET GetDeviceIdList(const char* filter, char* buffer, ULONG size,
                            ULONG flags) noexcept override;
  CONFIGRET LocateDevNode(DEVINST* node, const char* deviceId, ULONG flags) noexcept override;
  CONFIGRET OpenDevNodeKey(DEVINST node, REGSAM access, ULONG hardwareProfile,
                           REGDISPOSITION disposition, HKEY* key, ULONG flags) noexcept override;
  UINT WindowsDirectory(char* buffer, UINT size) noexcept override;
  UINT SystemDirectory(char* buffer, UINT size) noexcept override;

 private:
  struct DeviceSet {
    std::vector<DEVINST> nodes;
    bool live = true;
  };
  static constexpr int Index(DeviceOperation operation) { return static_cast<int>(operation); }
  bool Enter(DeviceOperation operation);  // counts the call; true when it is to fail
  const SimulatedDevice* Find(DEVINST node) const;
  DeviceSet* LiveSet(HDEVINFO set);
  std::string IdListOf(const char* enumerator) const;
  void Violation(const std::string& text) { violations_.push_back(text); }
  static UINT CopyDirectory(const std::string& directory, char* buffer, UINT size);

  std::vector<SimulatedDevice> devices_;
  std::vector<DeviceSet*> sets_;
  std::array<int, static_cast<int>(DeviceOperation::Count)> calls_{};
  std::array<bool, static_cast<int>(DeviceOperation::Count)> failing_{};
  std::optional<ULONG> reportedIdListSize_;
  std::string windowsDirectory_ = "C:\\windows";
  std::string systemDirectory_ = "C:\\windows\\system32";
  int setsHandedOut_ = 0;
  int setsGivenBack_ = 0;
  std::vector<long> aliveAtSetRelease_;
  std::vector<std::string> violations_;
};

}  // namespace rmtest
