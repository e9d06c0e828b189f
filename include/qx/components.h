#pragma once
// The component registry: a private registry tree under
// "SOFTWARE\Varnel\Component Installed\" in HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER in which
// components record their friendly name, module file, categories, settings and object
// identifiers.

#include <windows.h>

#include "qx/results.h"

// Identifies the client whose settings an object-settings call addresses. Only the
// NUL-terminated name at the start of the record is read; an empty name addresses the
// settings of "Default Client".
struct tagQXCLIENTID {
  char clientName[256];  // at most 255 characters and the NUL
};

#include "qx/component_instances.h"
#include "qx/component_registration.h"
#include "qx/component_settings.h"
