#pragma once
// Names for the results a host sees: tagQXINTRFCRESULT values, HRESULTs and Windows error
// codes, each as "NAME (number)" so that a failure line can be looked up either way.

#include <windows.h>

#include <string>

#include "qx/results.h"

namespace pidtool {

// "QXIR_KEY_NOT_FOUND (5)"; a value without a name reads "unnamed tagQXINTRFCRESULT (9)".
std::string DescribeResult(tagQXINTRFCRESULT result);

// "E_ACCESSDENIED (0x80070005)"; an HRESULT without a name reads "HRESULT 0x80041234", or
// "HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND) (0x8007007E)" when it carries a Windows error.
std::string DescribeHresult(HRESULT result);

// "ERROR_MOD_NOT_FOUND (126)"; a code without a name reads "Windows error 4242".
std::string DescribeWindowsError(DWORD code);

// The result a failure names, as scripts read it from --json output: its number (HRESULTs as
// unsigned 32-bit values) and its bare name, empty when it has none. `known` is false when no
// call's result is to blame.
struct FailureCode {
  bool known = false;
  unsigned long number = 0;
  std::string name;
};
FailureCode ResultCode(tagQXINTRFCRESULT result);
FailureCode HresultCode(HRESULT result);
FailureCode WindowsErrorCode(DWORD code);

// The bare names, or null when the value has none.
const char* ResultName(tagQXINTRFCRESULT result);
const char* HresultName(HRESULT result);
const char* WindowsErrorName(DWORD code);

}  // namespace pidtool
