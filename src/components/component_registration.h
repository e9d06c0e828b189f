#pragma once
// Entering components in the component registry and taking them out again, all under
// HKEY_LOCAL_MACHINE. The exports check their arguments, convert the CLSID and build every key
// path before the first write; these routines then do the registry work and return the
// Windows code, which the exports map once.

#include <windows.h>

#include "base/path_builder.h"
#include "shared/win_code.h"

namespace rm {

// The keys of one component's registration, built before anything is written so that a name
// too long for a registry path is refused with nothing written. A null category names none.
struct RegistrationKeys {
  RegistrationKeys(const char* clsidText, const char* category) noexcept;
  bool ok() const noexcept;

  const char* category;
  RegistryPath component;      // component root + CLSID text
  RegistryPath categoryKey;    // component root + "Category\" + category
  RegistryPath categoryEntry;  // category key + "\" + CLSID text
  RegistryPath categoryRoot;   // component root + "Category\"
};

// The module's full path, or only its file name, as the loader knows it: wide, so that a
// folder named in any script is recorded whole. False when the path cannot be had whole:
// GetModuleFileNameW fails, or fills the buffer, which is all it says about a cut path.
bool GetModuleFileText(HINSTANCE module, bool fileNameOnly,
                       wchar_t (&text)[kFilePathCapacity]) noexcept;

// Writes the component key (friendly name, "File") and, for a category, the category entry
// key. Reference-counted: "RefCount" goes up by one; a count that cannot be read (for another
// reason than its absence) fails the call before anything is written.
WinCode WriteRegistration(const RegistrationKeys& keys, const char* friendlyName,
                          const wchar_t* moduleFile, bool referenceCounted) noexcept;

// What taking a registration out came to: the code, and whether it came from removing the
// component's own key tree, which the final-removal rule maps.
struct RemovalOutcome {
  WinCode code = kSuccess;
  bool finalRemoval = false;
};

// Takes one count off "RefCount" or, at the last one (or with no count), removes the category
// entry key, the component key and the parents that are left empty. A count that cannot be
// read (for another reason than its absence) fails the call with nothing removed.
RemovalOutcome RemoveRegistration(const RegistrationKeys& keys) noexcept;

}  // namespace rm
