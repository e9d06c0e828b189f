#pragma once
// Internal routines return Windows system error codes; every exported function maps its
// routine's code once, at its boundary (registry/result_mapping.h holds the rules).

namespace rm {

using WinCode = unsigned long;  // Windows system error code, 0 = success

// Codes the module's own routines produce besides those the system services return.
constexpr WinCode kSuccess = 0;            // ERROR_SUCCESS
constexpr WinCode kNotFound = 2;           // ERROR_FILE_NOT_FOUND: no such key, value or file
constexpr WinCode kAccessDenied = 5;       // ERROR_ACCESS_DENIED
constexpr WinCode kInvalidParameter = 87;  // ERROR_INVALID_PARAMETER
constexpr WinCode kMoreData = 234;         // ERROR_MORE_DATA
constexpr WinCode kNoMoreItems = 259;      // ERROR_NO_MORE_ITEMS
constexpr WinCode kBadDatabase = 1009;     // ERROR_BADDB
constexpr WinCode kBadKey = 1010;          // ERROR_BADKEY

}  // namespace rm
