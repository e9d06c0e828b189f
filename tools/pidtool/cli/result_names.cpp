#include "cli/result_names.h"

#include "cli/text_format.h"
#include "shared/result_names.h"

namespace pidtool {
namespace {

struct NamedValue {
  unsigned long value;
  const char* name;
};

// The HRESULTs a COM server, a class factory or a registration export commonly returns.
constexpr NamedValue kHresultNames[] = {
    {0x00000000, "S_OK"},
    {0x00000001, "S_FALSE"},
    {0x80004001, "E_NOTIMPL"},
    {0x80004002, "E_NOINTERFACE"},
    {0x80004003, "E_POINTER"},
    {0x80004004, "E_ABORT"},
    {0x80004005, "E_FAIL"},
    {0x8000FFFF, "E_UNEXPECTED"},
    {0x80070005, "E_ACCESSDENIED"},
    {0x80070006, "E_HANDLE"},
    {0x8007000E, "E_OUTOFMEMORY"},
    {0x80070057, "E_INVALIDARG"},
    {0x80040110, "CLASS_E_NOAGGREGATION"},
    {0x80040111, "CLASS_E_CLASSNOTAVAILABLE"},
    {0x80040150, "REGDB_E_READREGDB"},
    {0x80040151, "REGDB_E_WRITEREGDB"},
    {0x80040154, "REGDB_E_CLASSNOTREG"},
    {0x80040200, "SELFREG_E_TYPELIB"},
    {0x80040201, "SELFREG_E_CLASS"},
    {0x800401F0, "CO_E_NOTINITIALIZED"},
    {0x800401F3, "CO_E_CLASSSTRING"},
};

// The Windows errors that loading a module or reading the registry reports.
constexpr NamedValue kWindowsErrorNames[] = {
    {0, "ERROR_SUCCESS"},
    {2, "ERROR_FILE_NOT_FOUND"},
    {3, "ERROR_PATH_NOT_FOUND"},
    {5, "ERROR_ACCESS_DENIED"},
    {8, "ERROR_NOT_ENOUGH_MEMORY"},
    {11, "ERROR_BAD_FORMAT"},
    {87, "ERROR_INVALID_PARAMETER"},
    {126, "ERROR_MOD_NOT_FOUND"},
    {127, "ERROR_PROC_NOT_FOUND"},
    {193, "ERROR_BAD_EXE_FORMAT"},
    {234, "ERROR_MORE_DATA"},
    {259, "ERROR_NO_MORE_ITEMS"},
    {1009, "ERROR_BADDB"},
    {1010, "ERROR_BADKEY"},
    {1114, "ERROR_DLL_INIT_FAILED"},
};

template <std::size_t N>
const char* Lookup(const NamedValue (&table)[N], unsigned long value) {
  for (const NamedValue& entry : table) {
    if (entry.value == value) return entry.name;
  }
  return nullptr;
}

FailureCode Code(unsigned long number, const char* name) {
  FailureCode code;
  code.known = true;
  code.number = number;
  if (name != nullptr) code.name = name;
  return code;
}

}  // namespace

FailureCode ResultCode(tagQXINTRFCRESULT result) {
  return Code(static_cast<unsigned long>(result), ResultName(result));
}

FailureCode HresultCode(HRESULT result) {
  return Code(static_cast<unsigned long>(result), HresultName(result));
}

FailureCode WindowsErrorCode(DWORD code) { return Code(code, WindowsErrorName(code)); }

const char* ResultName(tagQXINTRFCRESULT result) {
  return rm::QXResultName(static_cast<unsigned long>(result));
}

const char* HresultName(HRESULT result) {
  return Lookup(kHresultNames, static_cast<unsigned long>(result));
}

const char* WindowsErrorName(DWORD code) { return Lookup(kWindowsErrorNames, code); }

std::string DescribeResult(tagQXINTRFCRESULT result) {
  const unsigned long value = static_cast<unsigned long>(result);
  if (const char* name = ResultName(result)) return Printf("%s (%lu)", name, value);
  return Printf("unnamed tagQXINTRFCRESULT (%lu)", value);
}

std::string DescribeHresult(HRESULT result) {
  const unsigned long value = static_cast<unsigned long>(result);
  if (const char* name = HresultName(result)) return Printf("%s (0x%08lX)", name, value);
  if (FAILED(result) && HRESULT_FACILITY(result) == FACILITY_WIN32) {
    const DWORD code = HRESULT_CODE(result);
    const char* name = WindowsErrorName(code);
    const std::string inner = name != nullptr ? std::string(name) : Printf("%lu", code);
    return Printf("HRESULT_FROM_WIN32(%s) (0x%08lX)", inner.c_str(), value);
  }
  return Printf("HRESULT 0x%08lX", value);
}

std::string DescribeWindowsError(DWORD code) {
  if (const char* name = WindowsErrorName(code)) return Printf("%s (%lu)", name, code);
  return Printf("Windows error %lu", code);
}

}  // namespace pidtool
