#include "identification/product_enumeration.h"

#include <cstring>

#include "identification/device_presence.h"
#include "identification/language_mask.h"
#include "identification/product_details.h"

namespace rm {

const SupportedDeviceRow kSupportedDevices[kSupportedDeviceCount] = {
    {"USB\\VID_2E7A&PID_1101", 0x070103020000008AULL, 1},
    {"USB\\VID_2E7A&PID_1102", 0x070103020000011CULL, 2},
};

namespace {

constexpr std::uint32_t kVersionBlockSize = sizeof(VersionBlock);

VersionBlock MakeVersionBlock(std::int32_t major, std::int32_t minor, std::int32_t build) noexcept {
  return VersionBlock{kVersionBlockSize, major, minor, build};
}

// The system directory, a backslash and the language resource file name, in `buffer`.
// False, with nothing built, when the directory cannot be read or the path would not fit.
bool BuildLanguageResourcePath(DeviceServices& services,
                               char (&buffer)[kDeviceTextCapacity]) noexcept {
  const UINT length = services.SystemDirectory(buffer, sizeof buffer);
  constexpr std::size_t kTailLength = 1 + sizeof kLanguageResourceFileName - 1;  // "\" + name
  if (length == 0 || length + kTailLength >= sizeof buffer) {
    buffer[0] = '\0';
    return false;
  }
  buffer[length] = '\\';
  std::memcpy(buffer + length + 1, kLanguageResourceFileName, sizeof kLanguageResourceFileName);
  return true;
}

}  // namespace

void EncodeProductCode(std::uint64_t code, std::uint8_t (&bytes)[8]) noexcept {
  for (int k = 0; k < 8; ++k) bytes[k] = static_cast<std::uint8_t>(code >> (56 - 8 * k));
}

std::uint32_t ProductKindOf(std::int32_t kind) noexcept {
  switch (kind) {
    case 1: return kProductKindFirst;
    case 2: return kProductKindSecond;
    default: return 0;
  }
}

int QueryAuxiliaryComponent(const char*, char*, unsigned long, std::int32_t* major,
                            std::int32_t* minor, std::int32_t* build,
                            std::uint32_t* languageMask) noexcept {
  *major = 0;
  *minor = 0;
  *build = 0;
  *languageMask = kEnglishUnitedStatesBit;
  return 1;
}

void EnumerateKnownProducts(DeviceServices& services, ProductInfoCallback callback,
                            ULONG_PTR context) noexcept {
  ProductInfo record;
  char productName[kDeviceTextCapacity];
  char auxName[kDeviceTextCapacity];
  for (const SupportedDeviceRow& row : kSupportedDevices) {
    const DevicePresence presence = QueryDevicePresence(services, row.hardwareId);
    if (presence == DevicePresence::NotFound) continue;

    std::memset(&record, 0, sizeof record);
    EncodeProductCode(row.productCode, record.productCode);
    record.size = sizeof record;
    if (presence == DevicePresence::DriverLoaded) record.flags |= kProductInfoActive;

    std::memset(auxName, 0, sizeof auxName);
    record.auxName = auxName;
    std::int32_t auxMajor = 0, auxMinor = 0, auxBuild = 0;
    QueryAuxiliaryComponent(row.hardwareId, auxName, sizeof auxName, &auxMajor, &auxMinor,
                            &auxBuild, &record.auxLanguageMask);

    record.driverLanguageMask = kEnglishUnitedStatesBit;
    if (BuildLanguageResourcePath(services, productName)) {
      QueryLanguageMask(productName, &record.driverLanguageMask);
    }

    record.productName = productName;
    record.driverName = productName;
    std::int32_t driverMajor = 0, driverMinor = 0, driverBuild = 0;
    QueryProductDetails(services, row.hardwareId, productName, sizeof productName, &driverMajor,
                        &driverMinor, &driverBuild);

    record.productKind = ProductKindOf(row.kind);
    record.auxVersion = MakeVersionBlock(auxMajor, auxMinor, auxBuild);
    record.driverVersion = MakeVersionBlock(driverMajor, driverMinor, driverBuild);
    callback(&record, context);
  }
}

}  // namespace rm
