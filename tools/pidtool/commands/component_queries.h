#pragma once
// The component registry questions several commands ask, through the library's buffer
// protocols (size probe, then a buffer of the size needed).

#include <windows.h>

#include <string>
#include <vector>

#include "qx_framework.h"

namespace pidtool {

// The CLSIDs of a category's components, in the registry's order (QXEnumComponents). The
// category's name is in the ANSI code page, as the library takes it.
tagQXINTRFCRESULT ComponentsOfCategory(const std::string& ansiCategory, std::vector<GUID>* clsids);

// The component's friendly name (QXGetComponentFriendlyName), as UTF-8.
tagQXINTRFCRESULT ComponentFriendlyName(const GUID& clsid, std::string* name);

// The component key's path below HKEY_LOCAL_MACHINE (QXQueryRegistrySubKeyNameForComponent).
tagQXINTRFCRESULT ComponentKeyName(const GUID& clsid, std::string* keyName);

}  // namespace pidtool
