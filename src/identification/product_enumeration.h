#pragma once
// The product enumeration behind IProductIdentification::EnumerateProducts: one ProductInfo
// per supported camera that the system knows, handed to the host's callback.

#include <cstddef>
#include <cstdint>

#include "identification/device_services.h"
#include "identification/hardware_id_match.h"
#include "product_identification.h"

namespace rm {

struct SupportedDeviceRow {
  char hardwareId[kDeviceTextCapacity];
  std::uint64_t productCode;
  std::int32_t kind;  // selects ProductInfo::productKind
};

constexpr std::size_t kSupportedDeviceCount = 2;
extern const SupportedDeviceRow kSupportedDevices[kSupportedDeviceCount];

// The language resource file, in the system directory.
constexpr char kLanguageResourceFileName[] = "R7731Pin.rsl";

// `code` into `bytes`, most significant byte first.
void EncodeProductCode(std::uint64_t code, std::uint8_t (&bytes)[8]) noexcept;

// productKind for a row's kind: 1 and 2 give the two kinds, anything else 0.
std::uint32_t ProductKindOf(std::int32_t kind) noexcept;

// The auxiliary component of a camera. This camera model has none: nothing is written to
// `name`, the version is 0.0.0 and the language mask 1. Returns 1.
int QueryAuxiliaryComponent(const char* hardwareId, char* name, unsigned long nameSize,
                            std::int32_t* major, std::int32_t* minor, std::int32_t* build,
                            std::uint32_t* languageMask) noexcept;

// Walks the supported-device table in order and calls `callback(&record, context)` once for
// every row whose camera the system knows, synchronously, with one record and its two text
// buffers reused for every row. `callback` must not be null.
void EnumerateKnownProducts(DeviceServices& services, ProductInfoCallback callback,
                            ULONG_PTR context) noexcept;

}  // namespace rm
