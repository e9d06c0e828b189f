#pragma once
// Component registry key names and registration: CLSID text, the key names of a component and of an
// object's settings, registering and unregistering components.

#include <windows.h>

#include "qx/components.h"
#include "qx/results.h"

// Writes the braced text of `clsid` ("{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", 39 bytes with
// the NUL). A buffer of fewer than 39 bytes gives QXIR_BUFFER_TOO_SMALL and is left as it
// was. A null buffer stores nothing. Results: QXIR_SUCCESS, QXIR_BAD_CLSID,
// QXIR_BUFFER_TOO_SMALL.
tagQXINTRFCRESULT QXConvertCLSIDToString(const GUID& clsid, char* buffer,
                                         unsigned long bufferSize) noexcept;

// The component key of `clsid`, relative to HKEY_LOCAL_MACHINE or HKEY_CURRENT_USER:
// "SOFTWARE\Varnel\Component Installed\{...}" (75 bytes with the NUL).
// A null buffer stores the size needed (with the NUL) in *sizeNeeded; a buffer that is too
// small also stores it and returns QXIR_BUFFER_TOO_SMALL, leaving the buffer untouched; when
// the name fits, *sizeNeeded is not written. A null sizeNeeded where it would be written gives
// QXIR_INVALID_PARAMETER. Results: QXIR_SUCCESS, QXIR_BAD_CLSID, QXIR_BUFFER_TOO_SMALL,
// QXIR_INVALID_PARAMETER.
tagQXINTRFCRESULT QXQueryRegistrySubKeyNameForComponent(const GUID& clsid, char* buffer,
                                                        unsigned long bufferSize,
                                                        unsigned long* sizeNeeded) noexcept;

// The settings key of one object of a component: "...\Object\{object}\Default Settings" when
// `defaultSettings` is non-zero (the client record is then not read), otherwise
// "...\Object\{object}\User Settings\<client name>" ("Default Client" for an empty name).
// Same buffer protocol as above. A client name not terminated within its record gives
// QXIR_INVALID_PARAMETER. Results: QXIR_SUCCESS, QXIR_BAD_CLSID, QXIR_BAD_OBJECT_ID,
// QXIR_BUFFER_TOO_SMALL, QXIR_INVALID_PARAMETER.
tagQXINTRFCRESULT QXQueryRegistrySubKeyNameForObjectSettings(
    const GUID& clsid, const GUID& objectId, const tagQXCLIENTID& client, int defaultSettings,
    char* buffer, unsigned long bufferSize, unsigned long* sizeNeeded) noexcept;

// Registers a component under HKEY_LOCAL_MACHINE: the friendly name and "File" (the full
// path of `module`) in its component key and, when `category` is not null, the friendly name
// in its entry of that category. The last two arguments are not read. Results: QXIR_SUCCESS,
// QXIR_BAD_CLSID, QXIR_INVALID_PARAMETER (null module, empty category, or a category too long
// for a registry path), QXIR_REGISTRY_ERROR (also when the module's path cannot be obtained
// whole), QXIR_ACCESS_DENIED.
tagQXINTRFCRESULT QXRegisterServer(HINSTANCE module, const GUID& clsid, const char* friendlyName,
                                   const char* category, const char* unused1,
                                   const char* unused2) noexcept;

// As QXRegisterServer; with `referenceCounted` non-zero, "File" holds only the module's file
// name and "RefCount" counts the registrations not yet undone.
tagQXINTRFCRESULT QXRegisterServerEx(HINSTANCE module, const GUID& clsid, const char* friendlyName,
                                     const char* category, const char* unused1, const char* unused2,
                                     int referenceCounted) noexcept;

// Undoes one registration. While "RefCount" stays above zero only the count goes down;
// otherwise the category entry, the component key and every parent key left empty are
// removed. The last two arguments are not read. Results: QXIR_SUCCESS, QXIR_BAD_CLSID,
// QXIR_INVALID_PARAMETER, QXIR_REGISTRY_ERROR (a category entry that is missing or cannot be
// removed), QXIR_ACCESS_DENIED.
tagQXINTRFCRESULT QXUnregisterServer(const GUID& clsid, const char* category, const char* unused1,
                                     const char* unused2) noexcept;
