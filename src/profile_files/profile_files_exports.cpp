// The exported profile (INI) file functions: each passes its arguments to one routine of
// profile_files.h and maps the routine's code at this boundary, where a failure is traced.
#include "profile_files/profile_files.h"
#include "qx/utilities.h"
#include "registry/failure_trace.h"
#include "registry/result_mapping.h"

tagQXINTRFCRESULT QXSetIniFileStringValueData(const char* fileName, const char* section,
                                              const char* key, const char* value) noexcept {
  rm::CallTrace call("QXSetIniFileStringValueData");
  call.File(fileName).Name(section).Name(key);
  const rm::WinCode code = rm::WriteIniValue(fileName, section, key, value);
  return call.Returns(rm::MapByProfileRule(code), code);
}

tagQXINTRFCRESULT QXGetIniFileStringValueData(const char* fileName, const char* section,
                                              const char* key, char* buffer,
                                              unsigned long bufferSize,
                                              unsigned long* sizeNeeded) noexcept {
  rm::CallTrace call("QXGetIniFileStringValueData");
  call.File(fileName).Name(section).Name(key);
  const rm::WinCode code = rm::ReadIniValue(fileName, section, key, buffer, bufferSize, sizeNeeded);
  return call.Returns(rm::MapByProfileReadRule(code), code);
}

tagQXINTRFCRESULT QXGetIniFileKeyNames(const char* fileName, const char* section, char* buffer,
                                       unsigned long bufferSize,
                                       unsigned long* sizeNeeded) noexcept {
  rm::CallTrace call("QXGetIniFileKeyNames");
  call.File(fileName).Name(section);
  const rm::WinCode code = rm::ReadIniKeyNames(fileName, section, buffer, bufferSize, sizeNeeded);
  return call.Returns(rm::MapByProfileReadRule(code), code);
}

tagQXINTRFCRESULT QXDeleteIniFileKeyName(const char* fileName, const char* section,
                                         const char* key) noexcept {
  rm::CallTrace call("QXDeleteIniFileKeyName");
  call.File(fileName).Name(section).Name(key);
  const rm::WinCode code = rm::DeleteIniKey(fileName, section, key);
  return call.Returns(rm::MapByProfileRule(code), code);
}

tagQXINTRFCRESULT QXDeleteIniFileSectionName(const char* fileName, const char* section) noexcept {
  rm::CallTrace call("QXDeleteIniFileSectionName");
  call.File(fileName).Name(section);
  const rm::WinCode code = rm::DeleteIniSection(fileName, section);
  return call.Returns(rm::MapByProfileRule(code), code);
}
