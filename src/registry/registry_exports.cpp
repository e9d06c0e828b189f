// The exported registry functions: each passes its arguments unchanged to one internal
// routine and maps the routine's code at this boundary.
#include "qx/registry.h"

#include "registry/registry_primitives.h"
#include "registry/registry_tree.h"
#include "registry/result_mapping.h"

tagQXINTRFCRESULT QXGetRegistryStringValueData(HKEY root, const char* subKey,
                                               const char* valueName, char* buffer,
                                               unsigned long bufferSize,
                                               unsigned long* sizeNeeded) noexcept {
  return rm::MapByRegistryReadRule(
      rm::ReadRegistryStringValue(root, subKey, valueName, buffer, bufferSize, sizeNeeded));
}

tagQXINTRFCRESULT QXSetRegistryStringValueData(HKEY root, const char* subKey,
                                               const char* valueName, const char* text) noexcept {
  return rm::MapByRegistryRule(rm::WriteRegistryStringValue(root, subKey, valueName, text));
}

tagQXINTRFCRESULT QXAddRegistryKey(HKEY root, const char* subKey) noexcept {
  return rm::MapByRegistryRule(rm::CreateRegistryKey(root, subKey));
}

tagQXINTRFCRESULT QXDeleteRegistryValueName(HKEY root, const char* subKey,
                                            const char* valueName) noexcept {
  return rm::MapByRegistryRule(rm::DeleteRegistryValue(root, subKey, valueName));
}

tagQXINTRFCRESULT QXDeleteRegistryKey(HKEY root, const char* subKey) noexcept {
  return rm::MapByRegistryRule(rm::DeleteRegistryKeyTree(root, subKey));
}

tagQXINTRFCRESULT QXCopyRegistryKey(HKEY sourceRoot, HKEY destinationRoot,
                                    const char* sourceSubKey,
                                    const char* destinationSubKey) noexcept {
  return rm::MapByRegistryRule(
      rm::CopyRegistryKeyTree(sourceRoot, destinationRoot, sourceSubKey, destinationSubKey));
}
