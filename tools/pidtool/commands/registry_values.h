#pragma once
// Reads every value and sub-key name of one registry key, for `show`.

#include <windows.h>

#include <string>
#include <vector>

#include "cli/json.h"

namespace pidtool {

// Names and text are read with the wide calls and kept as UTF-8, so that they are exact
// whatever characters they hold.
struct RegistryValue {
  std::string name;  // empty for the default value
  DWORD type = REG_NONE;
  // The stored bytes; for REG_SZ, REG_EXPAND_SZ and REG_MULTI_SZ every stored character as
  // UTF-8, NULs included, so that text stored without its terminator still shows as such.
  std::vector<unsigned char> data;
};

struct RegistryKeyContents {
  std::vector<RegistryValue> values;
  std::vector<std::string> subKeys;
};

// Opens root\path for reading and collects its values and sub-key names in the registry's
// order. `view` is 0 for this process's registry view, or KEY_WOW64_32KEY / KEY_WOW64_64KEY.
// Returns the Windows error of the first step that failed.
DWORD ReadRegistryKey(HKEY root, const std::string& path, RegistryKeyContents* contents,
                      REGSAM view = 0);

// "REG_SZ", "REG_DWORD", ...; "type 42" for a type without a name.
std::string RegistryTypeName(DWORD type);

// The value's data for people: the text, "7 (0x00000007)", or the bytes in hexadecimal.
std::string RegistryDataText(const RegistryValue& value);

// The value as a JSON object: name, type and data (a string for text types, a number for
// REG_DWORD and REG_QWORD, hexadecimal text for the rest).
Json RegistryValueJson(const RegistryValue& value);

}  // namespace pidtool
