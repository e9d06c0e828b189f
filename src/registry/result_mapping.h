#pragma once
// The fixed rules by which every exported function maps its routine's Windows code to a
// tagQXINTRFCRESULT, once, at its boundary.

#include "qx/results.h"
#include "shared/win_code.h"

namespace rm {

// compat C03 C05
// Registry rule: 0 -> 0, 5 -> 14, anything else (234 and 87 included) -> 13.
tagQXINTRFCRESULT MapByRegistryRule(WinCode code) noexcept;
// Registry read rule: 0 -> 0, 234 -> 10, 5 -> 14, anything else -> 13.
tagQXINTRFCRESULT MapByRegistryReadRule(WinCode code) noexcept;
// Lookup rule as the friendly-name query applies it: 0 -> 0, 234 -> 10, 5 -> 14, else -> 5.
tagQXINTRFCRESULT MapByLookupRule(WinCode code) noexcept;
// Lookup rule for a module path: a value too long for a path is no module, so 234 gives 5 too.
tagQXINTRFCRESULT MapByModulePathLookupRule(WinCode code) noexcept;
// Profile rule for the two read functions: 0 -> 0, 234 -> 10, 5 -> 14, 87 -> 12, else -> 15.
tagQXINTRFCRESULT MapByProfileReadRule(WinCode code) noexcept;
// Profile rule for the write and delete functions: as above, but 234 -> 15.
tagQXINTRFCRESULT MapByProfileRule(WinCode code) noexcept;
// Fixed not-found rule of the category listing: 0 -> 0, anything else -> 5.
tagQXINTRFCRESULT MapByFixedKeyNotFoundRule(WinCode code) noexcept;
// Caller-buffer rule of the key name queries: 0 -> 0, 234 -> 10, 87 -> 12.
tagQXINTRFCRESULT MapByCallerBufferRule(WinCode code) noexcept;
// Final-removal rule: 0 and 2 (the key is not there) -> 0, 5 -> 14, anything else -> 13.
// compat F22
tagQXINTRFCRESULT MapByFinalRemovalRule(WinCode code) noexcept;

}  // namespace rm
