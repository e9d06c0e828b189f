#pragma once
// The product name and driver version of the device carrying a hardware ID, read from the
// device's driver key and from the "DriverVer" line of the driver's INF file.

#include <cstddef>
#include <cstdint>

#include "identification/device_services.h"

namespace rm {

// Where FindInfFile looks for an INF, below the Windows directory, in this order.
constexpr std::size_t kInfSubpathSlotSize = 80;
constexpr std::size_t kInfSearchSubpathCount = 4;
inline constexpr char InfSearchSubpaths[kInfSearchSubpathCount][kInfSubpathSlotSize] = {
    "\\", "\\INF\\", "\\INF\\OTHER\\", "\\INF\\INTERNET\\"};

// Returns 1 with the full path of `infName` in `path` when the file exists in one of the
// places of InfSearchSubpaths (the first one wins); otherwise 0 with `path` holding the
// Windows directory alone (or the empty string when that cannot be read). A candidate path
// that would not fit in `pathSize` bytes is skipped.
int FindInfFile(DeviceServices& services, const char* infName, unsigned long pathSize,
                char* path) noexcept;

// Returns 1 when a device carrying `hardwareId` was found, else 0. `name` (nameSize bytes;
// may be null) is set to the empty string first and then receives the driver key's
// "QxProductName" when it can be read whole; `major`, `minor` and `build` are written only
// when the device's INF and its "DriverVer" line are read. Releases the INF, the key and the
// device set, in that order, on every way out.
int QueryProductDetails(DeviceServices& services, const char* hardwareId, char* name,
                        unsigned long nameSize, std::int32_t* major, std::int32_t* minor,
                        std::int32_t* build) noexcept;

}  // namespace rm
