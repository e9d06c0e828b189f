#pragma once
// Finding the module file that serves a component.

#include <windows.h>

#include "base/path_builder.h"
#include "qx/results.h"
#include "shared/win_code.h"

namespace rm {

// Leaves in `path` (`capacity` characters) the file to load for the component keyed
// `componentKey`: its "File" value, or, for a bare file name, that name in the host
// executable's directory. Both are taken wide, as the registry and the loader hold them, so a
// path outside the ANSI code page comes through whole. A value (or a resolved path) that does
// not fit gives a failure code; nothing is ever cut.
WinCode ReadComponentModulePath(const RegistryPath& componentKey, wchar_t* path,
                                unsigned long capacity) noexcept;

// The same for a CLSID, mapped by the lookup rule for module paths as QXCreateInstance
// reports it: QXIR_BAD_CLSID, QXIR_INVALID_PARAMETER (no buffer), QXIR_KEY_NOT_FOUND (no
// value, or one that does not fit), QXIR_ACCESS_DENIED. *readCode (may be null) receives the
// Windows code behind a failed read.
tagQXINTRFCRESULT ResolveComponentModulePath(const GUID& clsid, wchar_t* path,
                                             unsigned long capacity,
                                             WinCode* readCode = nullptr) noexcept;

}  // namespace rm
