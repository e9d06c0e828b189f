#pragma once
// Whole key trees: delete a key with everything below it, or copy a key with all its sub-keys
// and values onto another key. Both return the Windows code and keep no key open between
// calls; every recursion level releases its own keys and buffers before it returns. Below the
// caller's ANSI paths both work with the wide-character registry calls, so key names, value
// names, types and data bytes are handled exactly, whatever characters they hold. Neither goes
// deeper than the registry's 512 levels below the key it started at: past that it stops with
// 1001 (ERROR_STACK_OVERFLOW) and creates or deletes nothing further.

#include <windows.h>

#include "registry/result_mapping.h"

namespace rm {

// Deletes root\subKey and all its descendants, depth first. A null or empty sub-key is refused
// with 1010 before the registry is touched. A failure part-way returns at once and leaves the
// children already deleted deleted. 2 (not found) means that root\subKey itself is not there;
// a descendant that vanished part-way gives 1018 (ERROR_KEY_DELETED).
WinCode DeleteRegistryKeyTree(HKEY root, const char* subKey) noexcept;

// Copies sourceRoot\sourceSubKey onto destinationRoot\destinationSubKey: the destination key
// (and every missing level above it) is created first, then the sub-keys are copied, depth
// first, then the values of the key itself. Destination values and keys the source lacks stay.
// The first failure ends the copy and is returned, an enumeration that fails part-way
// included; what was copied before it stays.
// A destination inside the source under the same root is refused with 87 before anything is
// created, because the copy would keep finding the keys it has just written. A copy of a key
// onto itself rewrites what is there and changes nothing.
WinCode CopyRegistryKeyTree(HKEY sourceRoot, HKEY destinationRoot, const char* sourceSubKey,
                            const char* destinationSubKey) noexcept;

}  // namespace rm
