#pragma once
// Finding the module file that serves a component.

#include <windows.h>

#include "qx/results.h"

namespace rm {

// Leaves in `path` (`capacity` bytes) the file to load for the component: its "File" value,
// or, for a bare file name, that name in the host executable's directory. A value (or a
// resolved path) that does not fit gives QXIR_KEY_NOT_FOUND; nothing is ever cut.
tagQXINTRFCRESULT ResolveComponentModulePath(const GUID& clsid, char* path,
                                             unsigned long capacity,
                                             unsigned long* sizeNeeded) noexcept;

}  // namespace rm
