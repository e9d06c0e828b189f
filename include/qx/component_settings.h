#pragma once
// Component and object property storage, and the map from object names to object identifiers.

#include <windows.h>

#include "qx/components.h"
#include "qx/results.h"

// Component properties: values of the component key under HKEY_LOCAL_MACHINE. A null or empty
// name addresses the key's default value (the friendly name). Saving creates missing keys.
tagQXINTRFCRESULT QXSaveComponentPropertyValue(const GUID& clsid, const char* propertyName,
                                               tagQXVALUETYPE type, unsigned char* const data,
                                               unsigned long dataSize) noexcept;
// A null buffer is a size probe (*size receives the stored size, *type is left alone). A buffer
// that is too small gives QXIR_REGISTRY_ERROR with the size needed in *size.
tagQXINTRFCRESULT QXRetrieveComponentPropertyValue(const GUID& clsid, const char* propertyName,
                                                   tagQXVALUETYPE* type, unsigned char* const data,
                                                   unsigned long bufferSize,
                                                   unsigned long* size) noexcept;

// Object properties: values of the object's "User Settings\<client>" key, under
// HKEY_CURRENT_USER when perUser is non-zero, else under HKEY_LOCAL_MACHINE. An empty client
// name addresses "Default Client".
tagQXINTRFCRESULT QXSaveObjectPropertyValue(const GUID& clsid, const GUID& objectId,
                                            const tagQXCLIENTID& client, int perUser,
                                            const char* propertyName, tagQXVALUETYPE type,
                                            unsigned char* const data,
                                            unsigned long dataSize) noexcept;
// With defaultSettings non-zero the value is read from the object's "Default Settings" key
// under HKEY_LOCAL_MACHINE; client and perUser are then not consulted. Buffer protocol as for
// QXRetrieveComponentPropertyValue.
tagQXINTRFCRESULT QXRetrieveObjectPropertyValue(const GUID& clsid, const GUID& objectId,
                                                const tagQXCLIENTID& client, int perUser,
                                                int defaultSettings, const char* propertyName,
                                                tagQXVALUETYPE* type, unsigned char* const data,
                                                unsigned long bufferSize,
                                                unsigned long* size) noexcept;

// The identifier of a named object of a component: the one already mapped (per machine
// preferred, a per-user entry is promoted or its settings migrated), or a new one when there is
// none or forceNew is non-zero. New identifiers go to the per-machine map, or to the per-user
// map when the machine tree cannot be written.
tagQXINTRFCRESULT QXGenerateObjectID(const GUID& clsid, const char* objectName, GUID* objectId,
                                     int forceNew) noexcept;

// The object name mapped to an identifier, per-machine map first. A null buffer is a size
// probe; a buffer that is too small gives QXIR_BUFFER_TOO_SMALL. Both report the name's length
// plus one in *sizeNeeded, which is not written when the name fits.
tagQXINTRFCRESULT QXGetObjectKey(const GUID& clsid, const GUID& objectId, char* buffer,
                                 unsigned long bufferSize, unsigned long* sizeNeeded) noexcept;
