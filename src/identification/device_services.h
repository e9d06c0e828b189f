#pragma once
// The device-services seam: exactly the setup and configuration-manager operations the
// device queries use, plus where the Windows and system directories come from. The module
// uses Win32DeviceServices(); tests put a simulated device tree behind the same interface.
// Each operation takes the arguments of the platform function it stands for.

#include <windows.h>
#include <setupapi.h>
#include <cfgmgr32.h>

#include "common/unique_handle.h"

namespace rm {

class DeviceServices {
 public:
  // SetupDiGetClassDevsA
  virtual HDEVINFO GetClassDevs(const GUID* classGuid, const char* enumerator, HWND parent,
                                DWORD flags) noexcept = 0;
  // SetupDiEnumDeviceInfo
  virtual BOOL EnumDeviceInfo(HDEVINFO set, DWORD index, SP_DEVINFO_DATA* element) noexcept = 0;
  // SetupDiDestroyDeviceInfoList
  virtual BOOL DestroyDeviceInfoList(HDEVINFO set) noexcept = 0;
  // CM_Get_DevNode_Registry_PropertyA
  virtual CONFIGRET GetDevNodeRegistryProperty(DEVINST node, ULONG property, ULONG* type,
                                               void* buffer, ULONG* length,
                                               ULONG flags) noexcept = 0;
  // CM_Get_DevNode_Status
  virtual CONFIGRET GetDevNodeStatus(ULONG* status, ULONG* problem, DEVINST node,
                                     ULONG flags) noexcept = 0;
  // CM_Get_Device_ID_List_SizeA
  virtual CONFIGRET GetDeviceIdListSize(ULONG* size, const char* filter, ULONG flags) noexcept = 0;
  // CM_Get_Device_ID_ListA
  virtual CONFIGRET GetDeviceIdList(const char* filter, char* buffer, ULONG size,
                                    ULONG flags) noexcept = 0;
  // CM_Locate_DevNodeA
  virtual CONFIGRET LocateDevNode(DEVINST* node, const char* deviceId, ULONG flags) noexcept = 0;
  // CM_Open_DevNode_Key
  virtual CONFIGRET OpenDevNodeKey(DEVINST node, REGSAM access, ULONG hardwareProfile,
                                   REGDISPOSITION disposition, HKEY* key,
                                   ULONG flags) noexcept = 0;
  // GetWindowsDirectoryA
  virtual UINT WindowsDirectory(char* buffer, UINT size) noexcept = 0;
  // GetSystemDirectoryA
  virtual UINT SystemDirectory(char* buffer, UINT size) noexcept = 0;

 protected:
  ~DeviceServices() = default;
};

// The services of the running system (setupapi, cfgmgr32, kernel32).
DeviceServices& Win32DeviceServices() noexcept;

// Holds a device information set and gives it back to the services that handed it out when
// it leaves scope. Counted with the module's other handles (HandleKind::DeviceInfoSet).
class UniqueDeviceSet {
 public:
  UniqueDeviceSet(DeviceServices& services, HDEVINFO set) noexcept : services_(services) {
    if (IsValid(set)) {
      set_ = set;
      detail::CountHandleOpened(HandleKind::DeviceInfoSet);
    }
  }
  ~UniqueDeviceSet() { reset(); }
  UniqueDeviceSet(const UniqueDeviceSet&) = delete;
  UniqueDeviceSet& operator=(const UniqueDeviceSet&) = delete;

  explicit operator bool() const noexcept { return IsValid(set_); }
  HDEVINFO get() const noexcept { return set_; }

  // Gives the set back now.
  void reset() noexcept {
    if (IsValid(set_)) {
      services_.DestroyDeviceInfoList(set_);
      detail::CountHandleClosed(HandleKind::DeviceInfoSet);
    }
    set_ = INVALID_HANDLE_VALUE;
  }

 private:
  static bool IsValid(HDEVINFO set) noexcept {
    return set != INVALID_HANDLE_VALUE && set != nullptr;
  }

  DeviceServices& services_;
  HDEVINFO set_ = INVALID_HANDLE_VALUE;
};

}  // namespace rm
