#pragma once
// The component framework library exported by Rm7731.pid. Link against the module's import
// library; every function has C++ linkage and returns a tagQXINTRFCRESULT unless its
// declaration says otherwise.

#include "qx/components.h"
#include "qx/registry.h"
#include "qx/results.h"
#include "qx/utilities.h"
