#include "identification/product_details.h"

#include <cstring>

#include "base/path_builder.h"
#include "identification/device_walks.h"
#include "identification/driver_version.h"
#include "shared/registry_key.h"

namespace rm {
namespace {

constexpr DWORD kInfNameCapacity = 80;  // "InfPath": at most 79 characters
// compat C18
constexpr ULONG kCurrentHardwareProfile = 2;
constexpr char kProductNameValue[] = "QxProductName";
constexpr char kInfPathValue[] = "InfPath";

// Finds the first device carrying the ID: among the devices of all setup classes in `set`,
// then, when none there, among the instances of its enumerator. Returns false when none.
bool FindDeviceNode(DeviceServices& services, HDEVINFO set, const char* hardwareId,
                    WorkingBuffer& working, DEVINST* found) noexcept {
  bool matched = false;
  auto onMatch = [&](DEVINST node) {
    *found = node;
    matched = true;
    return true;
  };
  WalkDeviceSet(services, set, hardwareId, working, onMatch);
  if (!matched) WalkEnumerator(services, hardwareId, working, onMatch);
  return matched;
}

// Reads "QxProductName" into `name`. Whatever the read leaves, the name ends with a NUL
// inside `nameSize` bytes: a value that cannot be read whole with its NUL leaves it empty.
void ReadProductName(HKEY key, char* name, DWORD nameSize) noexcept {
  DWORD size = nameSize;
  if (QueryValue(key, kProductNameValue, nullptr, name, &size) != kSuccess || size > nameSize) {
    name[0] = '\0';
    return;
  }
  if (std::memchr(name, '\0', size) != nullptr) return;
  if (size < nameSize) {
    name[size] = '\0';  // stored without its NUL, and there is room for one
  } else {
    name[0] = '\0';  // stored without its NUL and filling the buffer: too long
  }
}

// Reads "InfPath" into the cleared working buffer; false when it is missing or longer than
// 79 characters.
bool ReadInfName(HKEY key, WorkingBuffer& working) noexcept {
  std::memset(working, 0, sizeof working);
  DWORD size = kInfNameCapacity;
  if (QueryValue(key, kInfPathValue, nullptr, working, &size) != kSuccess) {
    return false;
  }
  return ::strnlen(working, kInfNameCapacity) < kInfNameCapacity;
}

}  // namespace

int FindInfFile(DeviceServices& services, const char* infName, unsigned long pathSize,
                char* path) noexcept {
  if (path == nullptr || pathSize == 0) return 0;
  const UINT directoryLength = services.WindowsDirectory(path, pathSize);
  if (directoryLength == 0 || directoryLength >= pathSize) {
    path[0] = '\0';
    return 0;
  }
  for (std::size_t index = 0; index < kInfSearchSubpathCount; ++index) {
    FilePath candidate;
    candidate.append(path, directoryLength).append(InfSearchSubpaths[index]).append(infName);
    if (!candidate.ok() || candidate.length() >= pathSize) continue;  // would not fit
    WIN32_FIND_DATAA found;
    UniqueFindHandle search(FindFirstFileA(candidate.c_str(), &found));
    if (search) {
      std::memcpy(path, candidate.c_str(), candidate.length() + 1);
      return 1;
    }
  }
  return 0;
}

int QueryProductDetails(DeviceServices& services, const char* hardwareId, char* name,
                        unsigned long nameSize, std::int32_t* major, std::int32_t* minor,
                        std::int32_t* build) noexcept {
  if (nameSize == 0) name = nullptr;  // no room even for the empty string
  if (name != nullptr) name[0] = '\0';
  if (!IsSearchableHardwareId(hardwareId)) return 0;

  WorkingBuffer working;
  char path[kDeviceTextCapacity];
  // Declared in this order so that scope releases the INF, then the key, then the set.
  UniqueDeviceSet set =
      TakeDeviceSet(services, services.GetClassDevs(nullptr, nullptr, nullptr, DIGCF_ALLCLASSES));
  if (!set) return 0;
  DEVINST node = 0;
  if (!FindDeviceNode(services, set.get().handle, hardwareId, working, &node)) return 0;

  HKEY opened = nullptr;
  if (services.OpenDevNodeKey(node, KEY_READ, kCurrentHardwareProfile, RegDisposition_OpenExisting,
                              &opened, CM_REGISTRY_SOFTWARE) != CR_SUCCESS) {
    return 1;  // what a failed call leaves in `opened` is not a key
  }
  UniqueRegKey key(opened);
  if (name != nullptr) ReadProductName(key.get(), name, nameSize);
  if (!ReadInfName(key.get(), working)) return 1;
  if (!FindInfFile(services, working, sizeof path, path)) return 1;

  UINT errorLine = 0;  // not used
  UniqueInfFile inf(SetupOpenInfFileA(path, nullptr, INF_STYLE_WIN4, &errorLine));
  if (!inf) return 1;
  if (!SetupGetLineTextA(nullptr, inf.get(), "Version", "DriverVer", path, sizeof path, nullptr)) {
    return 1;
  }
  path[sizeof path - 1] = '\0';
  const DriverVersionNumbers version = ParseDriverVersionLine(path);
  if (major != nullptr) *major = version.major;
  if (minor != nullptr) *minor = version.minor;
  if (build != nullptr) *build = version.build;
  return 1;
}

}  // namespace rm
