#include "identification/device_services.h"

namespace rm {
namespace {

class Win32Services final : public DeviceServices {
 public:
  HDEVINFO GetClassDevs(const GUID* classGuid, const char* enumerator, HWND parent,
                        DWORD flags) noexcept override {
    return SetupDiGetClassDevsA(classGuid, enumerator, parent, flags);
  }
  BOOL EnumDeviceInfo(HDEVINFO set, DWORD index, SP_DEVINFO_DATA* element) noexcept override {
    return SetupDiEnumDeviceInfo(set, index, element);
  }
  BOOL DestroyDeviceInfoList(HDEVINFO set) noexcept override {
    return SetupDiDestroyDeviceInfoList(set);
  }
  CONFIGRET GetDevNodeRegistryProperty(DEVINST node, ULONG property, ULONG* type, void* buffer,
                                       ULONG* length, ULONG flags) noexcept override {
    return CM_Get_DevNode_Registry_PropertyA(node, property, type, buffer, length, flags);
  }
  CONFIGRET GetDevNodeStatus(ULONG* status, ULONG* problem, DEVINST node,
                             ULONG flags) noexcept override {
    return CM_Get_DevNode_Status(status, problem, node, flags);
  }
  CONFIGRET GetDeviceIdListSize(ULONG* size, const char* filter, ULONG flags) noexcept override {
    return CM_Get_Device_ID_List_SizeA(size, filter, flags);
  }
  CONFIGRET GetDeviceIdList(const char* filter, char* buffer, ULONG size,
                            ULONG flags) noexcept override {
    return CM_Get_Device_ID_ListA(filter, buffer, size, flags);
  }
  CONFIGRET LocateDevNode(DEVINST* node, const char* deviceId, ULONG flags) noexcept override {
    // The platform declares the ID writable but only reads it.
    return CM_Locate_DevNodeA(node, const_cast<char*>(deviceId), flags);
  }
  CONFIGRET OpenDevNodeKey(DEVINST node, REGSAM access, ULONG hardwareProfile,
                           REGDISPOSITION disposition, HKEY* key, ULONG flags) noexcept override {
    return CM_Open_DevNode_Key(node, access, hardwareProfile, disposition, key, flags);
  }
  UINT WindowsDirectory(char* buffer, UINT size) noexcept override {
    return GetWindowsDirectoryA(buffer, size);
  }
  UINT SystemDirectory(char* buffer, UINT size) noexcept override {
    return GetSystemDirectoryA(buffer, size);
  }
};

Win32Services g_win32Services;

}  // namespace

DeviceServices& Win32DeviceServices() noexcept { return g_win32Services; }

}  // namespace rm
