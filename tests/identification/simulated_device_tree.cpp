#include "identification/simulated_device_tree.h"

#include <cstring>

#include "shared/unique_handle.h"

namespace rmtest {
namespace {

constexpr DEVINST kFirstNode = 0x100;
// {65E8773D-8F56-11D0-A3B9-00A0C9223196}
constexpr GUID kCaptureClass = {
    0x65E8773D, 0x8F56, 0x11D0, {0xA3, 0xB9, 0x00, 0xA0, 0xC9, 0x22, 0x31, 0x96}};

std::string EnumeratorOf(const std::string& instanceId) {
  return instanceId.substr(0, instanceId.find('\\'));
}

}  // namespace

std::string MultiString(const std::vector<std::string>& strings) {
  std::string list;
  for (const std::string& text : strings) {
    list += text;
    list += '\0';
  }
  list += '\0';
  return list;
}

SimulatedDeviceTree::~SimulatedDeviceTree() {
  for (DeviceSet* set : sets_) delete set;
}

DEVINST SimulatedDeviceTree::Add(const SimulatedDevice& device) {
  devices_.push_back(device);
  return kFirstNode + static_cast<DEVINST>(devices_.size() - 1);
}

bool SimulatedDeviceTree::Enter(DeviceOperation operation) {
  ++calls_[Index(operation)];
  return failing_[Index(operation)];
}

const SimulatedDevice* SimulatedDeviceTree::Find(DEVINST node) const {
  if (node < kFirstNode || node - kFirstNode >= devices_.size()) return nullptr;
  return &devices_[node - kFirstNode];
}

SimulatedDeviceTree::DeviceSet* SimulatedDeviceTree::LiveSet(HDEVINFO set) {
  for (DeviceSet* candidate : sets_) {
    if (reinterpret_cast<HDEVINFO>(candidate) == set && candidate->live) return candidate;
  }
  return nullptr;
}

std::string SimulatedDeviceTree::IdListOf(const char* enumerator) const {
  std::vector<std::string> ids;
  for (const SimulatedDevice& device : devices_) {
    if (_stricmp(EnumeratorOf(device.instanceId).c_str(), enumerator) == 0) {
      ids.push_back(device.instanceId);
    }
  }
  return MultiString(ids);
}

UINT SimulatedDeviceTree::CopyDirectory(const std::string& directory, char* buffer, UINT size) {
  const UINT length = static_cast<UINT>(directory.size());
  if (length >= size) return length + 1;  // as the platform does: the size needed
  std::memcpy(buffer, directory.c_str(), length + 1);
  return length;
}

HDEVINFO SimulatedDeviceTree::GetClassDevs(const GUID* classGuid, const char* enumerator,
                                           HWND parent, DWORD flags) noexcept {
  if (Enter(DeviceOperation::GetClassDevs)) return INVALID_HANDLE_VALUE;
  if (enumerator != nullptr || parent != nullptr)
    Violation("GetClassDevs: enumerator or window given");
  const bool capture = classGuid != nullptr && IsEqualGUID(*classGuid, kCaptureClass) &&
                       flags == DIGCF_DEVICEINTERFACE;
  const bool allClasses = classGuid == nullptr && flags == DIGCF_ALLCLASSES;
  if (!capture && !allClasses) {
    Violation("GetClassDevs: class and flags 0x" + std::to_string(flags) + " not expected");
    return INVALID_HANDLE_VALUE;
  }
  auto* set = new DeviceSet;
  for (std::size_t i = 0; i < devices_.size(); ++i) {
    if (capture ? devices_[i].inCaptureClass : devices_[i].inAllClasses) {
      set->nodes.push_back(kFirstNode + static_cast<DEVINST>(i));
    }
  }
  sets_.push_back(set);
  ++setsHandedOut_;
  return reinterpret_cast<HDEVINFO>(set);
}

BOOL SimulatedDeviceTree::EnumDeviceInfo(HDEVINFO set, DWORD index,
                                         SP_DEVINFO_DATA* element) noexcept {
  if (Enter(DeviceOperation::EnumDeviceInfo)) {
    SetLastError(ERROR_INVALID_DATA);
    return FALSE;
  }
  DeviceSet* live = LiveSet(set);
  if (live == nullptr || element == nullptr || element->cbSize != sizeof(SP_DEVINFO_DATA)) {
    Violation("EnumDeviceInfo: not a live set or not a prepared SP_DEVINFO_DATA");
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (index >= live->nodes.size()) {
    SetLastError(ERROR_NO_MORE_ITEMS);
    return FALSE;
  }
  element->DevInst = live->nodes[index];
  return TRUE;
}

BOOL SimulatedDeviceTree::DestroyDeviceInfoList(HDEVINFO set) noexcept {
  const bool fail = Enter(DeviceOperation::DestroyDeviceInfoList);
  DeviceSet* live = LiveSet(set);
  if (live == nullptr) {
    Violation("DestroyDeviceInfoList: not a live set");
    return FALSE;
  }
  // Given back even when the platform then reports a failure: the caller let go of it.
  live->live = false;
  ++setsGivenBack_;
  aliveAtSetRelease_.push_back(rm::LiveHandleCount(rm::HandleKind::RegistryKey) +
                               rm::LiveHandleCount(rm::HandleKind::InfFile));
  return fail ? FALSE : TRUE;
}

CONFIGRET SimulatedDeviceTree::GetDevNodeRegistryProperty(DEVINST node, ULONG property, ULONG* type,
                                                          void* buffer, ULONG* length,
                                                          ULONG flags) noexcept {
  if (Enter(DeviceOperation::GetDevNodeRegistryProperty)) return CR_FAILURE;
  if (property != CM_DRP_HARDWAREID || type != nullptr || flags != 0 || length == nullptr ||
      buffer == nullptr) {
    Violation("GetDevNodeRegistryProperty: arguments not expected");
    return CR_INVALID_POINTER;
  }
  if (*length != 260) Violation("GetDevNodeRegistryProperty: length not preset to 260");
  const auto* bytes = static_cast<const unsigned char*>(buffer);
  for (ULONG i = 0; i < *length; ++i) {
    if (bytes[i] != 0) {
      Violation("GetDevNodeRegistryProperty: working buffer not cleared");
      break;
    }
  }
  const SimulatedDevice* device = Find(node);
  if (device == nullptr) return CR_NO_SUCH_DEVNODE;
  if (!device->hardwareIds) return CR_NO_SUCH_VALUE;
  const ULONG size = static_cast<ULONG>(device->hardwareIds->size());
  if (size > *length) {
    *length = size;
    return CR_BUFFER_SMALL;
  }
  std::memcpy(buffer, device->hardwareIds->data(), size);
  *length = size;
  return CR_SUCCESS;
}

CONFIGRET SimulatedDeviceTree::GetDevNodeStatus(ULONG* status, ULONG* problem, DEVINST node,
                                                ULONG flags) noexcept {
  if (Enter(DeviceOperation::GetDevNodeStatus)) return CR_FAILURE;
  if (status == nullptr || problem == nullptr || flags != 0) {
    Violation("GetDevNodeStatus: arguments not expected");
    return CR_INVALID_POINTER;
  }
  const SimulatedDevice* device = Find(node);
  if (device == nullptr || !device->attached || !device->statusReadable) return CR_NO_SUCH_DEVINST;
  *status = device->driverLoaded ? (DN_DRIVER_LOADED | DN_STARTED) : DN_HAS_PROBLEM;
  *problem = device->driverLoaded ? 0 : CM_PROB_FAILED_INSTALL;
  return CR_SUCCESS;
}

CONFIGRET SimulatedDeviceTree::GetDeviceIdListSize(ULONG* size, const char* filter,
                                                   ULONG flags) noexcept {
  if (Enter(DeviceOperation::GetDeviceIdListSize)) return CR_FAILURE;
  if (size == nullptr || filter == nullptr || flags != CM_GETIDLIST_FILTER_ENUMERATOR) {
    Violation("GetDeviceIdListSize: arguments not expected");
    return CR_INVALID_POINTER;
  }
  *size = reportedIdListSize_ ? *reportedIdListSize_ : static_cast<ULONG>(IdListOf(filter).size());
  return CR_SUCCESS;
}

CONFIGRET SimulatedDeviceTree::GetDeviceIdList(const char* filter, char* buffer, ULONG size,
                                               ULONG flags) noexcept {
  if (Enter(DeviceOperation::GetDeviceIdList)) return CR_FAILURE;
  if (buffer == nullptr || filter == nullptr || flags != CM_GETIDLIST_FILTER_ENUMERATOR) {
    Violation("GetDeviceIdList: arguments not expected");
    return CR_INVALID_POINTER;
  }
  const std::string list = IdListOf(filter);
  if (size < list.size()) return CR_BUFFER_SMALL;
  std::memcpy(buffer, list.data(), list.size());
  return CR_SUCCESS;
}

CONFIGRET SimulatedDeviceTree::LocateDevNode(DEVINST* node, const char* deviceId,
                                             ULONG flags) noexcept {
  if (Enter(DeviceOperation::LocateDevNode)) return CR_NO_SUCH_DEVNODE;
  if (node == nullptr || deviceId == nullptr) {
    Violation("LocateDevNode: arguments not expected");
    return CR_INVALID_POINTER;
  }
  if (flags != CM_LOCATE_DEVNODE_PHANTOM) Violation("LocateDevNode: phantoms not asked for");
  for (std::size_t i = 0; i < devices_.size(); ++i) {
    if (_stricmp(devices_[i].instanceId.c_str(), deviceId) != 0) continue;
    if (!devices_[i].attached && (flags & CM_LOCATE_DEVNODE_PHANTOM) == 0) break;
    *node = kFirstNode + static_cast<DEVINST>(i);
    return CR_SUCCESS;
  }
  return CR_NO_SUCH_DEVNODE;
}

CONFIGRET SimulatedDeviceTree::OpenDevNodeKey(DEVINST node, REGSAM access, ULONG hardwareProfile,
                                              REGDISPOSITION disposition, HKEY* key,
                                              ULONG flags) noexcept {
  if (Enter(DeviceOperation::OpenDevNodeKey)) return CR_REGISTRY_ERROR;
  if (key == nullptr) {
    Violation("OpenDevNodeKey: no key out");
    return CR_INVALID_POINTER;
  }
  if (access != KEY_READ || hardwareProfile != 2 || disposition != RegDisposition_OpenExisting ||
      flags != CM_REGISTRY_SOFTWARE) {
    Violation("OpenDevNodeKey: arguments not expected");
  }
  const SimulatedDevice* device = Find(node);
  if (device == nullptr) return CR_NO_SUCH_DEVNODE;
  if (device->driverKey.empty()) return CR_NO_SUCH_REGISTRY_KEY;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, device->driverKey.c_str(), 0, access, key) !=
      ERROR_SUCCESS) {
    return CR_NO_SUCH_REGISTRY_KEY;
  }
  return CR_SUCCESS;
}

UINT SimulatedDeviceTree::WindowsDirectory(char* buffer, UINT size) noexcept {
  if (Enter(DeviceOperation::WindowsDirectory)) return 0;
  return CopyDirectory(windowsDirectory_, buffer, size);
}

UINT SimulatedDeviceTree::SystemDirectory(char* buffer, UINT size) noexcept {
  if (Enter(DeviceOperation::SystemDirectory)) return 0;
  return CopyDirectory(systemDirectory_, buffer, size);
}

}  // namespace rmtest
