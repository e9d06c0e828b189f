#pragma once
// What doctor reads, all at once before anything is judged: the component registry of both
// roots (and the per-machine tree of the other width, against which per-user data is judged),
// the module files its components name, and with --load what each module did when loaded.
// The checks work on this snapshot alone, so that tests can build one in memory.

#include <windows.h>

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "commands/registry_values.h"
#include "doctor/doctor_load_probe.h"
#include "doctor/pe_image.h"

namespace pidtool {

struct KeyNode {
  std::string name;
  std::string path;  // below the root
  DWORD error = ERROR_SUCCESS;
  std::vector<RegistryValue> values;
  std::vector<KeyNode> subKeys;  // below the object keys and category entries: names only
};

// A registry root as findings and reg.exe name it.
struct RootView {
  const char* name;       // "HKEY_LOCAL_MACHINE"
  const char* shortName;  // "HKLM", for reg.exe
  bool perMachine;
  int viewBits;  // the registry view it is read in
};

struct RootSnapshot {
  RootView root;
  KeyNode tree;  // the component root key
};

struct DoctorSnapshot {
  int viewBits = 0;               // the registry view this tool reads
  std::uint16_t hostMachine = 0;  // the machine of the hosts that read that view
  std::string hostDir;  // where a bare "File" name is looked for, without a final backslash
  RootSnapshot machine;
  RootSnapshot user;
  std::optional<RootSnapshot> otherMachine;  // the other width's machine tree, where there is one
  // The component root that registry virtualization writes for 32-bit programs that are not
  // elevated (below HKEY_CURRENT_USER, `path` from there): no host and no elevated tool reads it.
  KeyNode virtualStore;
  std::map<std::string, ModuleFile> files;  // by the path looked at
  std::map<std::string, LoadProbe> probes;  // by component CLSID (upper case), with --load only
};

struct DoctorOptions;
DoctorSnapshot ReadSnapshot(const DoctorOptions& options);

// Queries over the snapshot, shared by the reading and the checks.

// Read, or absent: either way its contents are known.
bool Readable(const KeyNode& key);
// Registry names compare as the registry compares them.
const RegistryValue* FindValue(const KeyNode& key, const char* name);
const KeyNode* FindSubKey(const KeyNode& key, const char* name);
// The text of a REG_SZ value, up to its first NUL; false for any other type or none.
bool StringOf(const RegistryValue* value, std::string* text);
// A key named by a GUID in the braced registry form; `canonical` gets it in upper case.
bool IsGuidKey(const std::string& name, std::string* canonical);

// A component's "File" value and the path a host would load it from.
struct ModuleFileName {
  enum class Form { Unusable, TooLong, Bare, Relative, Absolute } form = Form::Unusable;
  std::string text;        // the value
  std::string path;        // Bare: in the host's folder; otherwise the value
  std::size_t length = 0;  // of the value in UTF-16 units, as QXCreateInstance reads it
};
ModuleFileName ModuleFileNameOf(const KeyNode& component, const std::string& hostDir);

// Whether the module at that path is one QXCreateInstance would load and call: doctor --load
// tries only these.
bool IsLoadable(const ModuleFile& file, std::uint16_t hostMachine);

}  // namespace pidtool
