#pragma once
// Internal routines return Windows system error codes; every exported function maps its
// routine's code once, at its boundary, by exactly one of these rules.

#include "qx/results.h"

namespace rm {

using WinCode = unsigned long;  // Windows system error code, 0 = success

// Codes the module's own routines produce besides those the system services return.
constexpr WinCode kSuccess = 0;                // ERROR_SUCCESS
constexpr WinCode kAccessDenied = 5;           // ERROR_ACCESS_DENIED
constexpr WinCode kInvalidParameter = 87;      // ERROR_INVALID_PARAMETER
constexpr WinCode kMoreData = 234;             // ERROR_MORE_DATA
constexpr WinCode kNoMoreItems = 259;          // ERROR_NO_MORE_ITEMS
constexpr WinCode kBadDatabase = 1009;         // ERROR_BADDB
constexpr WinCode kBadKey = 1010;              // ERROR_BADKEY

// Registry rule: 0 -> 0, 5 -> 14, anything else (234 and 87 included) -> 13.
tagQXINTRFCRESULT MapByRegistryRule(WinCode code) noexcept;
// Registry read rule: 0 -> 0, 234 -> 10, 5 -> 14, anything else -> 13.
tagQXINTRFCRESULT MapByRegistryReadRule(WinCode code) noexcept;
// Lookup rule as the friendly-name query applies it: 0 -> 0, 234 -> 10, 5 -> 14, else -> 5.
tagQXINTRFCRESULT MapByLookupRule(WinCode code) noexcept;
// Lookup rule as instantiation applies it (module path read): 234 also gives 5.
tagQXINTRFCRESULT MapByLookupRuleForInstantiation(WinCode code) noexcept;
// Profile rule for the two read functions: 0 -> 0, 234 -> 10, 5 -> 14, 87 -> 12, else -> 15.
tagQXINTRFCRESULT MapByProfileReadRule(WinCode code) noexcept;
// Profile rule for the write and delete functions: as above, but 234 -> 15.
tagQXINTRFCRESULT MapByProfileRule(WinCode code) noexcept;
// Final-removal rule: 5 -> 14, anything else -> 0.
tagQXINTRFCRESULT MapByFinalRemovalRule(WinCode code) noexcept;

}  // namespace rm
