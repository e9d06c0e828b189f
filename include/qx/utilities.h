#pragma once
// Utilities: profile (INI) files, a microsecond stopwatch and named shared memory.

#include <windows.h>

#include "qx/results.h"
