#pragma once
// Component registry key names and registration: CLSID text, the key names of a component and of an object's settings, registering and unregistering components.

#include <windows.h>

#include "qx/results.h"
#include "qx/components.h"
