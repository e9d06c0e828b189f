#pragma once
// Registry values and key trees: read, write, create and delete values and keys under any open root, delete or copy whole key trees.

#include <windows.h>

#include "qx/results.h"
