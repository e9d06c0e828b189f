// The exported registry functions: each passes its arguments unchanged to one internal
// routine and maps the routine's code at this boundary, where a failure is traced.
#include "qx/registry.h"

#include "registry/failure_trace.h"
#include "registry/registry_primitives.h"
#include "registry/registry_tree.h"
#include "registry/result_mapping.h"

tagQXINTRFCRESULT QXGetRegistryStringValueData(HKEY root, const char* subKey, const char* valueName,
                                               char* buffer, unsigned long bufferSize,
                                               unsigned long* sizeNeeded) noexcept {
  rm::CallTrace call("QXGetRegistryStringValueData");
  call.Key(root, subKey).ValueName(valueName);
  const rm::WinCode code =
      rm::ReadRegistryStringValue(root, subKey, valueName, buffer, bufferSize, sizeNeeded);
  return call.Returns(rm::MapByRegistryReadRule(code), code);
}

tagQXINTRFCRESULT QXSetRegistryStringValueData(HKEY root, const char* subKey, const char* valueName,
                                               const char* text) noexcept {
  rm::CallTrace call("QXSetRegistryStringValueData");
  call.Key(root, subKey).ValueName(valueName);
  const rm::WinCode code = rm::WriteRegistryStringValue(root, subKey, valueName, text);
  return call.Returns(rm::MapByRegistryRule(code), code);
}

tagQXINTRFCRESULT QXAddRegistryKey(HKEY root, const char* subKey) noexcept {
  rm::CallTrace call("QXAddRegistryKey");
  call.Key(root, subKey);
  const rm::WinCode code = rm::CreateRegistryKey(root, subKey);
  return call.Returns(rm::MapByRegistryRule(code), code);
}

tagQXINTRFCRESULT QXDeleteRegistryValueName(HKEY root, const char* subKey,
                                            const char* valueName) noexcept {
  rm::CallTrace call("QXDeleteRegistryValueName");
  call.Key(root, subKey).ValueName(valueName);
  const rm::WinCode code = rm::DeleteRegistryValue(root, subKey, valueName);
  return call.Returns(rm::MapByRegistryRule(code), code);
}

tagQXINTRFCRESULT QXDeleteRegistryKey(HKEY root, const char* subKey) noexcept {
  rm::CallTrace call("QXDeleteRegistryKey");
  call.Key(root, subKey);
  const rm::WinCode code = rm::DeleteRegistryKeyTree(root, subKey);
  return call.Returns(rm::MapByRegistryRule(code), code);
}

tagQXINTRFCRESULT QXCopyRegistryKey(HKEY sourceRoot, HKEY destinationRoot, const char* sourceSubKey,
                                    const char* destinationSubKey) noexcept {
  rm::CallTrace call("QXCopyRegistryKey");
  call.Key(sourceRoot, sourceSubKey).Key(destinationRoot, destinationSubKey);
  const rm::WinCode code =
      rm::CopyRegistryKeyTree(sourceRoot, destinationRoot, sourceSubKey, destinationSubKey);
  return call.Returns(rm::MapByRegistryRule(code), code);
}
