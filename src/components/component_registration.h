#pragma once
// Entering components in the component registry and taking them out again, all under
// HKEY_LOCAL_MACHINE. Each registry step's Windows code is mapped where it happens, because
// one operation applies two rules (the registry rule, and the final-removal rule for the
// component's own key tree).

#include <windows.h>

#include "qx/results.h"

namespace rm {

// Writes the component key (friendly name, "File") and, for a non-null category, the category
// entry key. Reference-counted: "File" holds only the file name and "RefCount" goes up by one.
tagQXINTRFCRESULT RegisterComponent(HINSTANCE module, const GUID& clsid, const char* friendlyName,
                                    const char* category, bool referenceCounted) noexcept;

// Takes one count off "RefCount" or, at the last one (or with no count), removes the category
// entry key, the component key and the parents that are left empty.
tagQXINTRFCRESULT UnregisterComponent(const GUID& clsid, const char* category) noexcept;

}  // namespace rm
