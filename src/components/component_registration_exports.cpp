// The exported registration functions: thin entries into the registration operations.
#include "components/component_registration.h"
#include "qx/component_registration.h"

tagQXINTRFCRESULT QXRegisterServer(HINSTANCE module, const GUID& clsid, const char* friendlyName,
                                   const char* category, const char*, const char*) noexcept {
  return rm::RegisterComponent(module, clsid, friendlyName, category, false);
}

tagQXINTRFCRESULT QXRegisterServerEx(HINSTANCE module, const GUID& clsid, const char* friendlyName,
                                     const char* category, const char*, const char*,
                                     int referenceCounted) noexcept {
  return rm::RegisterComponent(module, clsid, friendlyName, category, referenceCounted != 0);
}

tagQXINTRFCRESULT QXUnregisterServer(const GUID& clsid, const char* category, const char*,
                                     const char*) noexcept {
  return rm::UnregisterComponent(clsid, category);
}
