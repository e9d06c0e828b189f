#pragma once
// Component and object property storage, and the map from object names to object identifiers.

#include <windows.h>

#include "qx/results.h"
#include "qx/components.h"
