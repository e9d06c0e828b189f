#include "identification/device_presence.h"

#include "identification/device_walks.h"

namespace rm {

DevicePresence QueryDevicePresence(DeviceServices& services, const char* hardwareId) noexcept {
  if (!IsSearchableHardwareId(hardwareId)) return DevicePresence::NotFound;
  WorkingBuffer working;
  DevicePresence result = DevicePresence::NotFound;
  // Every matching device may raise the result; only a loaded driver ends a walk.
  auto onMatch = [&](DEVINST node) {
    result = IsDriverLoaded(services, node) ? DevicePresence::DriverLoaded
                                            : DevicePresence::DriverNotLoaded;
    return result == DevicePresence::DriverLoaded;
  };

  {
    UniqueDeviceSet set = TakeDeviceSet(
        services,
        services.GetClassDevs(&kCaptureInterfaceClass, nullptr, nullptr, DIGCF_DEVICEINTERFACE));
    if (!set) return DevicePresence::NotFound;
    WalkDeviceSet(services, set.get().handle, hardwareId, working, onMatch);
  }  // the set is given back before the enumerator walk
  if (result != DevicePresence::NotFound) return result;

  WalkEnumerator(services, hardwareId, working, onMatch);
  return result;
}

}  // namespace rm
