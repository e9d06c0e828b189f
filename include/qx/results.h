#pragma once
// Result and value-type enumerations shared by every function of the component framework
// library.

enum tagQXINTRFCRESULT {
  QXIR_SUCCESS = 0,                // the operation completed
  QXIR_LOADLIBRARY_FAILED = 1,     // the component's module file could not be loaded
  QXIR_NO_DLLGETCLASSOBJECT = 2,   // the module has no "DllGetClassObject" export
  QXIR_GETCLASSOBJECT_FAILED = 3,  // "DllGetClassObject" failed for the CLSID and IClassFactory
  QXIR_CREATEINSTANCE_FAILED = 4,  // the class factory's CreateInstance failed
  QXIR_KEY_NOT_FOUND = 5,          // a component or category entry is missing or unreadable
  QXIR_BAD_CLSID = 6,              // the component CLSID could not be turned into text
  QXIR_BAD_CLSID_STRING = 7,       // a key name could not be parsed as a CLSID (internal only)
  QXIR_BAD_OBJECT_ID = 8,          // the object identifier could not be turned into text
  // 9 is never produced
  QXIR_BUFFER_TOO_SMALL = 10,  // the caller's buffer is too small; the size needed is written
  // 11 is never produced
  QXIR_INVALID_PARAMETER = 12,  // a required argument is null, or a name is empty
  QXIR_REGISTRY_ERROR = 13,     // a registry operation (or GUID creation) failed
  QXIR_ACCESS_DENIED = 14,      // the system refused access
  QXIR_PROFILE_ERROR = 15       // a profile (INI) file operation failed
};

// Type of a stored property value.
enum tagQXVALUETYPE {
  QXVT_UNKNOWN = -1,  // reported for any stored type other than the three below; never written
  QXVT_BINARY = 0,    // REG_BINARY
  QXVT_DWORD = 1,     // REG_DWORD
  QXVT_STRING = 2     // REG_SZ
};

static_assert(sizeof(tagQXINTRFCRESULT) == 4, "tagQXINTRFCRESULT is a 32-bit value");
static_assert(sizeof(tagQXVALUETYPE) == 4, "tagQXVALUETYPE is a 32-bit value");
