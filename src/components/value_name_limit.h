#pragma once
// A value is addressed as its key's path, a backslash and its name; that full name is held to
// the same 1023 characters as every registry path, so an over-long property or object name is
// refused instead of reaching the registry.

#include "base/path_builder.h"

namespace rm {

// True when keyPath + "\" + valueName fits a registry path (a null name counts as empty).
inline bool ValueNameFits(const RegistryPath& keyPath, const char* valueName) noexcept {
  if (!keyPath.ok()) return false;
  RegistryPath full = keyPath;
  full.append("\\").append(valueName);
  return full.ok();
}

}  // namespace rm
