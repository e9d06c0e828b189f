#include "doctor/doctor_snapshot.h"

#include <algorithm>

#include "cli/guid_text.h"
#include "cli/text_format.h"
#include "doctor/doctor.h"
#include "shared/registry_layout_names.h"
#include "shared/registry_name_compare.h"

namespace pidtool {
namespace {

// QXCreateInstance reads "File" into a buffer of MAX_PATH wide characters.
constexpr std::size_t kFileCapacity = MAX_PATH;
// Where registry virtualization puts what a 32-bit program that is not elevated writes under
// HKEY_LOCAL_MACHINE\SOFTWARE\Varnel: on 64-bit Windows below WOW6432Node, on 32-bit Windows
// not. Only 32-bit programs are virtualized.
constexpr char kVirtualStoreOn64Bit[] =
    "Software\\Classes\\VirtualStore\\MACHINE\\SOFTWARE\\WOW6432Node\\Varnel\\Component Installed";
constexpr char kVirtualStoreOn32Bit[] =
    "Software\\Classes\\VirtualStore\\MACHINE\\SOFTWARE\\Varnel\\Component Installed";
// Keys are read with their values down to the object keys (root, component, "Object",
// identifier) and the category entry keys; below that only names are needed.
constexpr int kDepthRead = 3;

// The component root without its final backslash.
const std::string kRootPath(rm::kComponentRootKey, sizeof rm::kComponentRootKey - 2);

KeyNode ReadTree(HKEY root, REGSAM view, const std::string& path, const std::string& name,
                 int depth) {
  KeyNode node;
  node.name = name;
  node.path = path;
  RegistryKeyContents contents;
  node.error = ReadRegistryKey(root, path, &contents, view);
  node.values = std::move(contents.values);
  for (const std::string& subKey : contents.subKeys) {
    const std::string subPath = path + "\\" + subKey;
    if (depth < kDepthRead) {
      node.subKeys.push_back(ReadTree(root, view, subPath, subKey, depth + 1));
    } else {
      node.subKeys.push_back(KeyNode{subKey, subPath, ERROR_SUCCESS, {}, {}});
    }
  }
  return node;
}

RootSnapshot ReadRoot(HKEY handle, RootView root, REGSAM view) {
  return RootSnapshot{root, ReadTree(handle, view, kRootPath, "", 0)};
}

// Whether Windows is 64-bit: this tool is, or runs under WOW64.
bool SystemIs64Bit() {
  BOOL wow64 = FALSE;
  return sizeof(void*) == 8 || (IsWow64Process(GetCurrentProcess(), &wow64) && wow64);
}

// The machine tree of the other width, where the system has one. HKEY_CURRENT_USER\Software is
// shared by both widths, so per-user data may belong to a component registered there.
std::optional<RootSnapshot> ReadOtherMachineView(int viewBits) {
  if (!SystemIs64Bit()) return std::nullopt;
  const int otherBits = viewBits == 64 ? 32 : 64;
  return ReadRoot(HKEY_LOCAL_MACHINE, RootView{"HKEY_LOCAL_MACHINE", "HKLM", true, otherBits},
                  otherBits == 32 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY);
}

std::string OwnFolder() {
  const std::string program = ThisProgramPath();
  return program.empty() ? "." : program.substr(0, program.find_last_of('\\'));
}

// The module files the machine's components name, and with --load what each did when loaded.
void ReadModules(const DoctorOptions& options, DoctorSnapshot* snapshot) {
  for (const KeyNode& component : snapshot->machine.tree.subKeys) {
    std::string clsid;
    if (!IsGuidKey(component.name, &clsid)) continue;
    const ModuleFileName file = ModuleFileNameOf(component, snapshot->hostDir);
    if (file.form != ModuleFileName::Form::Bare && file.form != ModuleFileName::Form::Absolute)
      continue;
    const auto known = snapshot->files.find(file.path);
    const ModuleFile& facts = known != snapshot->files.end()
                                  ? known->second
                                  : (snapshot->files[file.path] = InspectModuleFile(file.path));
    if (options.load && IsLoadable(facts, snapshot->hostMachine)) {
      snapshot->probes[clsid] = ProbeModuleInChild(file.path, clsid);
    }
  }
}

}  // namespace

DoctorSnapshot ReadSnapshot(const DoctorOptions& options) {
  DoctorSnapshot snapshot;
  snapshot.viewBits = static_cast<int>(sizeof(void*) * 8);
  snapshot.hostMachine = OwnMachine();
  snapshot.hostDir = options.hostDir.empty() ? OwnFolder() : options.hostDir;
  while (snapshot.hostDir.size() > 1 && snapshot.hostDir.back() == '\\')
    snapshot.hostDir.pop_back();
  snapshot.machine = ReadRoot(HKEY_LOCAL_MACHINE,
                              RootView{"HKEY_LOCAL_MACHINE", "HKLM", true, snapshot.viewBits}, 0);
  snapshot.user = ReadRoot(HKEY_CURRENT_USER,
                           RootView{"HKEY_CURRENT_USER", "HKCU", false, snapshot.viewBits}, 0);
  snapshot.otherMachine = ReadOtherMachineView(snapshot.viewBits);
  // Named without redirection: the store is shared by both widths.
  snapshot.virtualStore =
      SystemIs64Bit() ? ReadTree(HKEY_CURRENT_USER, KEY_WOW64_64KEY, kVirtualStoreOn64Bit, "", 0)
                      : ReadTree(HKEY_CURRENT_USER, 0, kVirtualStoreOn32Bit, "", 0);
  ReadModules(options, &snapshot);
  return snapshot;
}

bool Readable(const KeyNode& key) {
  return key.error == ERROR_SUCCESS || key.error == ERROR_FILE_NOT_FOUND;
}

const RegistryValue* FindValue(const KeyNode& key, const char* name) {
  for (const RegistryValue& value : key.values) {
    if (rm::SameRegistryName(value.name.c_str(), name)) return &value;
  }
  return nullptr;
}

const KeyNode* FindSubKey(const KeyNode& key, const char* name) {
  for (const KeyNode& subKey : key.subKeys) {
    if (rm::SameRegistryName(subKey.name.c_str(), name)) return &subKey;
  }
  return nullptr;
}

bool StringOf(const RegistryValue* value, std::string* text) {
  if (value == nullptr || value->type != REG_SZ) return false;
  text->clear();
  for (unsigned char byte : value->data) {
    if (byte == '\0') break;
    *text += static_cast<char>(byte);
  }
  return true;
}

bool IsGuidKey(const std::string& name, std::string* canonical) {
  GUID guid{};
  if (name.size() != 38 || name.front() != '{' || !ParseGuid(name, &guid)) return false;
  if (canonical != nullptr) *canonical = FormatGuid(guid);
  return true;
}

ModuleFileName ModuleFileNameOf(const KeyNode& component, const std::string& hostDir) {
  using Form = ModuleFileName::Form;
  ModuleFileName file;
  if (!StringOf(FindValue(component, rm::kFileValueName), &file.text) || file.text.empty())
    return file;
  const std::string& text = file.text;
  file.path = text;
  file.length = Wide(text).size();
  if (file.length >= kFileCapacity) {
    file.form = Form::TooLong;
  } else if (text.find_first_of(":\\") == std::string::npos) {
    file.form = Form::Bare;
    file.path = hostDir + "\\" + text;
  } else if ((text.size() > 2 && text[1] == ':' && (text[2] == '\\' || text[2] == '/')) ||
             text.rfind("\\\\", 0) == 0) {
    file.form = Form::Absolute;
  } else {
    file.form = Form::Relative;
  }
  return file;
}

bool IsLoadable(const ModuleFile& file, std::uint16_t hostMachine) {
  const std::vector<std::string>& code = file.image.exportedCode;
  return file.found && file.readable && file.image.machine == hostMachine && file.image.isDll &&
         std::find(code.begin(), code.end(), "DllGetClassObject") != code.end();
}

}  // namespace pidtool
