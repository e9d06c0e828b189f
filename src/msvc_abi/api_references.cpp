// Refers to every function and member that the public headers declare, so that the compiler
// emits each one's external name. The build compiles this file twice with clang, in MSVC mode
// and in GNU mode, and pairs the two names of each declaration into the module's export list.
// Nothing here is linked or run.
#include "product_identification.h"
#include "qx_framework.h"

template <typename T>
void Refer(T) {}

void ReferToTheLibraryFunctions() {
  Refer(&QXGetRegistryStringValueData);
  Refer(&QXSetRegistryStringValueData);
  Refer(&QXAddRegistryKey);
  Refer(&QXDeleteRegistryValueName);
  Refer(&QXDeleteRegistryKey);
  Refer(&QXCopyRegistryKey);

  Refer(&QXConvertCLSIDToString);
  Refer(&QXQueryRegistrySubKeyNameForComponent);
  Refer(&QXQueryRegistrySubKeyNameForObjectSettings);
  Refer(&QXRegisterServer);
  Refer(&QXRegisterServerEx);
  Refer(&QXUnregisterServer);

  Refer(&QXEnumComponents);
  Refer(&QXGetComponentFriendlyName);
  Refer(&QXCreateInstance);
  Refer(&QXFreeUnusedLibraries);

  Refer(&QXSaveComponentPropertyValue);
  Refer(&QXRetrieveComponentPropertyValue);
  Refer(&QXSaveObjectPropertyValue);
  Refer(&QXRetrieveObjectPropertyValue);
  Refer(&QXGenerateObjectID);
  Refer(&QXGetObjectKey);

  Refer(&QXSetIniFileStringValueData);
  Refer(&QXGetIniFileStringValueData);
  Refer(&QXGetIniFileKeyNames);
  Refer(&QXDeleteIniFileKeyName);
  Refer(&QXDeleteIniFileSectionName);
  Refer(&QXMeasureTiming);

  Refer(&CQXGlobalMemObj::operator=);
  Refer(&CQXGlobalMemObj::Create);
  Refer(&CQXGlobalMemObj::Destroy);
}

// The constructor and destructor have no address to take; an object on the stack names both.
void ReferToTheSpecialMembers() { CQXGlobalMemObj object; }
