#pragma once
// Component discovery and instantiation: the components of a category, their friendly names, creating an instance from a component's module and releasing unused modules.

#include <windows.h>

#include "qx/results.h"
