#pragma once
// The two walks that find the devices carrying a hardware ID, shared by the presence query
// and the product-details query. Each walk reads hardware-ID lists into the caller's
// 260-byte working buffer and calls `onMatch(node)` for every device whose list holds the
// ID; the walk stops as soon as `onMatch` returns true.

#include <cstring>

#include "identification/device_services.h"
#include "identification/hardware_id_match.h"

namespace rm {

using WorkingBuffer = char[kDeviceTextCapacity];

// {65E8773D-8F56-11D0-A3B9-00A0C9223196}: KSCATEGORY_CAPTURE.
inline constexpr GUID kCaptureInterfaceClass = {
    0x65E8773D, 0x8F56, 0x11D0, {0xA3, 0xB9, 0x00, 0xA0, 0xC9, 0x22, 0x31, 0x96}};

// The longest hardware ID the walks take: it must fit the working buffer with its NUL.
constexpr std::size_t kMaxHardwareIdLength = kDeviceTextCapacity - 1;

// True for an ID the walks can search for: not null and at most 259 characters.
inline bool IsSearchableHardwareId(const char* hardwareId) noexcept {
  return hardwareId != nullptr &&
         ::strnlen(hardwareId, kDeviceTextCapacity) <= kMaxHardwareIdLength;
}

// Clears the working buffer and reads the node's hardware-ID list into it; false when the
// list cannot be read or does not fit.
inline bool ReadHardwareIdList(DeviceServices& services, DEVINST node,
                               WorkingBuffer& working) noexcept {
  std::memset(working, 0, sizeof working);
  ULONG length = sizeof working;
  return services.GetDevNodeRegistryProperty(node, CM_DRP_HARDWAREID, nullptr, working, &length,
                                             0) == CR_SUCCESS;
}

// True when the node's status can be read and has DN_DRIVER_LOADED.
inline bool IsDriverLoaded(DeviceServices& services, DEVINST node) noexcept {
  ULONG status = 0;
  ULONG problem = 0;
  return services.GetDevNodeStatus(&status, &problem, node, 0) == CR_SUCCESS &&
         (status & DN_DRIVER_LOADED) != 0;
}

// Walks the elements of `set` from index 0 until SetupDiEnumDeviceInfo fails or `onMatch`
// returns true. Elements whose list cannot be read are passed over.
template <typename OnMatch>
void WalkDeviceSet(DeviceServices& services, HDEVINFO set, const char* hardwareId,
                   WorkingBuffer& working, OnMatch&& onMatch) noexcept {
  for (DWORD index = 0;; ++index) {
    SP_DEVINFO_DATA element{};
    element.cbSize = sizeof element;
    if (!services.EnumDeviceInfo(set, index, &element)) return;
    if (!ReadHardwareIdList(services, element.DevInst, working)) continue;
    if (HardwareIdListContains(working, sizeof working, hardwareId) && onMatch(element.DevInst)) {
      return;
    }
  }
}

// Copies the ID into the working buffer and cuts its enumerator name there the way
// strtok(..., "\\") would: leading backslashes skipped, the text up to the next one. Returns
// null for an ID with no enumerator name (empty, or only backslashes).
inline const char* CutEnumeratorName(const char* hardwareId, WorkingBuffer& working) noexcept {
  std::memset(working, 0, sizeof working);
  std::memcpy(working, hardwareId, ::strnlen(hardwareId, kMaxHardwareIdLength));
  char* name = working;
  while (*name == '\\') ++name;
  if (*name == '\0') return nullptr;
  if (char* backslash = std::strchr(name, '\\')) *backslash = '\0';
  return name;
}

// The device instance IDs of the hardware ID's enumerator, phantoms included, in list order.
// Returns false when the walk cannot run (no enumerator name, the size query fails or gives
// 0, the block cannot be allocated, the list read fails); the heap block is freed before it
// returns. `hardwareId` must be searchable (IsSearchableHardwareId).
template <typename OnMatch>
bool WalkEnumerator(DeviceServices& services, const char* hardwareId, WorkingBuffer& working,
                    OnMatch&& onMatch) noexcept {
  const char* enumerator = CutEnumeratorName(hardwareId, working);
  if (enumerator == nullptr) return false;
  ULONG size = 0;
  if (services.GetDeviceIdListSize(&size, enumerator, CM_GETIDLIST_FILTER_ENUMERATOR) !=
          CR_SUCCESS ||
      size == 0) {
    return false;
  }
  UniqueHeapBlock block = AllocateHeapBlock(size);
  if (!block) return false;
  char* ids = static_cast<char*>(block.get());
  if (services.GetDeviceIdList(enumerator, ids, size, CM_GETIDLIST_FILTER_ENUMERATOR) !=
      CR_SUCCESS) {
    return false;
  }
  for (std::size_t position = 0; position < size && ids[position] != '\0';) {
    const std::size_t length = ::strnlen(ids + position, size - position);
    if (position + length >= size) break;  // the block ends before the ID does
    DEVINST node = 0;
    if (services.LocateDevNode(&node, ids + position, CM_LOCATE_DEVNODE_PHANTOM) == CR_SUCCESS &&
        ReadHardwareIdList(services, node, working) &&
        HardwareIdListContains(working, sizeof working, hardwareId) && onMatch(node)) {
      break;
    }
    position += length + 1;
  }
  return true;
}

}  // namespace rm
