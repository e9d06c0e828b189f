#pragma once
// The component registry: CLSID text and key names, registration, discovery and instantiation, property storage and object identifiers.

#include <windows.h>

#include "qx/results.h"
