#pragma once
// Whether the system knows a device carrying a hardware ID, and whether its driver is loaded.

#include <cstdint>

#include "identification/device_services.h"

namespace rm {

enum class DevicePresence : std::int32_t {
  NotFound = -1,        // no device carries the ID, or the search cannot be carried out
  DriverNotLoaded = 0,  // a device carries it, but none of those examined has its driver loaded
  DriverLoaded = 1,     // a device carrying it reports DN_DRIVER_LOADED
};

// Looks first through the devices of the capture interface class; only when none of them
// carries the ID, through every device instance (attached or not) of the ID's enumerator.
// An ID longer than 259 characters is not found, and neither is one with no enumerator name
// by the second walk. Releases everything it takes before it returns.
DevicePresence QueryDevicePresence(DeviceServices& services, const char* hardwareId) noexcept;

}  // namespace rm
