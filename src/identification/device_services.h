#pragma once
// The device-services seam: exactly the setup and configuration-manager operations the
// device queries use, plus where the Windows and system directories come from. The module
// uses Win32DeviceServices(); tests put a simulated device tree behind the same interface.
// Each operation takes the arguments of the platform function it stands for.
//
// What stays outside the seam, and why: the reads of the driver key that OpenDevNodeKey
// hands out (the registry layer's QueryValue), FindFirstFileA in the INF folders, and the
// SetupAPI INF reads (SetupOpenInfFileA, SetupGetLineTextA). These work for real under Wine,
// so the tests give them real keys, files and INF text; only the configuration-manager calls
// are stubs there and need the simulated tree. The language resource's version information
// is read directly for the same reason.

#include <windows.h>
#include <cfgmgr32.h>
#include <setupapi.h>

#include "shared/unique_handle.h"

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
                                   REGDISPOSITION disposition, HKEY* key, ULONG flags) noexcept = 0;
  // GetWindowsDirectoryA
  virtual UINT WindowsDirectory(char* buffer, UINT size) noexcept = 0;
  // GetSystemDirectoryA
  virtual UINT SystemDirectory(char* buffer, UINT size) noexcept = 0;

 protected:
  ~DeviceServices() = default;
};

// The services of the running system (setupapi, cfgmgr32, kernel32).
DeviceServices& Win32DeviceServices() noexcept;

// A device information set together with the services that handed it out, which alone can
// take it back (a simulated tree counts what it gets back).
struct DeviceSet {
  HDEVINFO handle = nullptr;
  DeviceServices* services = nullptr;
  friend bool operator==(const DeviceSet& a, const DeviceSet& b) noexcept {
    return a.handle == b.handle;
  }
  friend bool operator!=(const DeviceSet& a, const DeviceSet& b) noexcept { return !(a == b); }
};

namespace detail {
inline void GiveBackDeviceSet(DeviceSet set) noexcept {
  set.services->DestroyDeviceInfoList(set.handle);
}
}  // namespace detail

using UniqueDeviceSet =
    UniqueHandle<DeviceSet, detail::GiveBackDeviceSet, HandleKind::DeviceInfoSet>;

// Guards a set the services handed out; INVALID_HANDLE_VALUE (their failure) guards nothing.
inline UniqueDeviceSet TakeDeviceSet(DeviceServices& services, HDEVINFO handle) noexcept {
  return UniqueDeviceSet(DeviceSet{handle == INVALID_HANDLE_VALUE ? nullptr : handle, &services});
}

}  // namespace rm
