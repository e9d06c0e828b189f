#include "doctor.h"

#include <windows.h>
#include <objbase.h>

#include <cstring>
#include <fstream>
#include <map>

#include "doctor_load_probe.h"
#include "guid_text.h"
#include "pe_image.h"
#include "registry_values.h"
#include "result_names.h"
#include "text_format.h"

namespace pidtool {
namespace {

constexpr char kRootPath[] = "SOFTWARE\\Varnel\\Component Installed";
constexpr char kCategoryKey[] = "Category";
constexpr char kObjectIdMapKey[] = "Object ID Map";
constexpr char kObjectKey[] = "Object";
constexpr char kFileValue[] = "File";
constexpr char kRefCountValue[] = "RefCount";
// QXCreateInstance reads "File" into a MAX_PATH buffer.
constexpr std::size_t kFileCapacity = MAX_PATH;
// Larger files are no component module; reading them whole would only cost memory.
constexpr std::streamoff kLargestModule = 256ll * 1024 * 1024;
// The registry view this tool reads: that of its own width.
constexpr int kViewBits = static_cast<int>(sizeof(void*) * 8);
// Keys are read with their values down to the object keys (root, component, "Object",
// identifier) and the category entry keys; below that only names are needed.
constexpr int kDepthRead = 3;

struct Root {
  HKEY handle;
  const char* name;       // for findings
  const char* shortName;  // for reg.exe
  bool perMachine;
  int viewBits;  // the registry view it is read in
  REGSAM view;   // 0 for this tool's own view, else the KEY_WOW64_ flag that reaches it
};
const Root kMachine{HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE", "HKLM", true, kViewBits, 0};
const Root kUser{HKEY_CURRENT_USER, "HKEY_CURRENT_USER", "HKCU", false, kViewBits, 0};

// The machine tree of the other width, where the system has one. HKEY_CURRENT_USER\Software is
// shared by both widths, so per-user data may belong to a component registered there.
bool OtherMachineView(Root* root) {
  if (kViewBits == 64) {
    *root = Root{HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE", "HKLM", true, 32, KEY_WOW64_32KEY};
    return true;
  }
  BOOL wow64 = FALSE;
  if (!IsWow64Process(GetCurrentProcess(), &wow64) || !wow64) return false;
  *root = Root{HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE", "HKLM", true, 64, KEY_WOW64_64KEY};
  return true;
}

// Whether a command prompt passes `name` on as it stands inside double quotes: no quote to end
// the quoting, no % to expand, none of ^ & | < > to act on should the quoting break, and no
// control character (a line break ends a pasted command and starts the next).
bool IsSafeToPaste(const std::string& name) {
  for (unsigned char c : name) {
    if (c < 0x20 || c == 0x7F || std::strchr("\"%^&|<>", c) != nullptr) return false;
  }
  return true;
}

// `text` in double quotes for reg.exe, whose argument parsing reads a backslash just before a
// quote as an escape: backslashes at the end are doubled.
std::string Quoted(const std::string& text) {
  std::string quoted = "\"" + text;
  for (auto at = text.rbegin(); at != text.rend() && *at == '\\'; ++at) quoted += '\\';
  return quoted + "\"";
}

struct KeyNode {
  std::string name;
  std::string path;  // below the root
  DWORD error = ERROR_SUCCESS;
  std::vector<RegistryValue> values;
  std::vector<KeyNode> subKeys;  // below kDepthRead: names only
};

KeyNode ReadTree(const Root& root, const std::string& path, const std::string& name, int depth) {
  KeyNode node;
  node.name = name;
  node.path = path;
  RegistryKeyContents contents;
  node.error = ReadRegistryKey(root.handle, path, &contents, root.view);
  node.values = std::move(contents.values);
  for (const std::string& subKey : contents.subKeys) {
    const std::string subPath = path + "\\" + subKey;
    if (depth < kDepthRead) {
      node.subKeys.push_back(ReadTree(root, subPath, subKey, depth + 1));
    } else {
      node.subKeys.push_back(KeyNode{subKey, subPath, ERROR_SUCCESS, {}, {}});
    }
  }
  return node;
}

// Read, or absent: either way its contents are known.
bool Readable(const KeyNode& key) { return key.error == ERROR_SUCCESS || key.error == ERROR_FILE_NOT_FOUND; }

bool SameName(const std::string& a, const char* b) { return lstrcmpiA(a.c_str(), b) == 0; }

const RegistryValue* FindValue(const KeyNode& key, const char* name) {
  for (const RegistryValue& value : key.values) {
    if (SameName(value.name, name)) return &value;
  }
  return nullptr;
}

const KeyNode* FindSubKey(const KeyNode& key, const char* name) {
  for (const KeyNode& subKey : key.subKeys) {
    if (SameName(subKey.name, name)) return &subKey;
  }
  return nullptr;
}

// The text of a REG_SZ value, up to its first NUL; false for any other type.
bool StringOf(const RegistryValue* value, std::string* text) {
  if (value == nullptr || value->type != REG_SZ) return false;
  text->clear();
  for (unsigned char byte : value->data) {
    if (byte == '\0') break;
    *text += static_cast<char>(byte);
  }
  return true;
}

// A REG_SZ whose data holds no NUL: a reader that takes the stored size gets text without an end.
bool IsUnterminatedText(const RegistryValue* value) {
  return value != nullptr && value->type == REG_SZ && !value->data.empty() &&
         std::memchr(value->data.data(), '\0', value->data.size()) == nullptr;
}

// The identifier an object ID map value holds: 16 bytes of REG_BINARY.
bool IdentifierOf(const RegistryValue& value, std::string* idText) {
  if (value.type != REG_BINARY || value.data.size() != 16) return false;
  GUID id{};
  std::memcpy(&id, value.data.data(), 16);
  *idText = FormatGuid(id);
  return true;
}

// A key named by a GUID in the braced registry form; `canonical` gets it in upper case.
bool IsGuidKey(const std::string& name, std::string* canonical) {
  GUID guid{};
  if (name.size() != 38 || name.front() != '{' || !ParseGuid(name, &guid)) return false;
  if (canonical != nullptr) *canonical = FormatGuid(guid);
  return true;
}

std::string ValueLabel(const std::string& name) {
  return name.empty() ? "the default value" : "\"" + name + "\"";
}

struct FileFacts {
  bool found = false;
  bool readable = false;
  std::string problem;  // why it is not a module we could read
  PeImageFacts image;
};

FileFacts InspectFile(const std::string& path) {
  FileFacts facts;
  const DWORD attributes = GetFileAttributesA(path.c_str());
  facts.found = attributes != INVALID_FILE_ATTRIBUTES;
  if (!facts.found) return facts;
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    facts.problem = "it is a folder";
    return facts;
  }
  std::ifstream file(path, std::ios::binary | std::ios::ate);
  const std::streamoff size = file ? static_cast<std::streamoff>(file.tellg()) : -1;
  if (size < 0) {
    facts.problem = "it cannot be read";
    return facts;
  }
  if (size > kLargestModule) {
    facts.problem = "it is larger than any component module (over 256 MiB)";
    return facts;
  }
  std::vector<unsigned char> bytes(static_cast<std::size_t>(size));
  file.seekg(0);
  if (!file.read(reinterpret_cast<char*>(bytes.data()), size)) {
    facts.problem = "it cannot be read";
    return facts;
  }
  facts.readable = ReadPeImage(bytes.data(), bytes.size(), &facts.image, &facts.problem);
  return facts;
}

bool Holds(const std::vector<std::string>& names, const char* name) {
  for (const std::string& exported : names) {
    if (exported == name) return true;
  }
  return false;
}

std::string ProcessEndText(DWORD status) {
  const char* what = status == 0xC0000005   ? ", an access violation"
                     : status == 0xC00000FD ? ", a stack overflow"
                     : status == 0xC000001D ? ", an illegal instruction"
                                            : "";
  return Printf("status 0x%08lX%s", static_cast<unsigned long>(status), what);
}

std::string OwnFolder() {
  const std::string program = ThisProgramPath();
  return program.empty() ? "." : program.substr(0, program.find_last_of('\\'));
}

// What the component registry of one component holds in the two roots.
struct ComponentKeys {
  const KeyNode* machine = nullptr;
  const KeyNode* user = nullptr;
  const KeyNode* otherMachine = nullptr;  // in the other width's view
};

using ObjectIdMap = std::vector<std::pair<std::string, std::string>>;  // name, identifier text

// The well-formed entries of a component's object ID map, without judging it; false when
// the map cannot be read, so that what it holds is unknown.
bool ReadObjectIdMap(const KeyNode& component, ObjectIdMap* map) {
  const KeyNode* mapKey = FindSubKey(component, kObjectIdMapKey);
  if (!Readable(component) || (mapKey != nullptr && !Readable(*mapKey))) return false;
  if (mapKey == nullptr) return true;
  for (const RegistryValue& value : mapKey->values) {
    std::string id;
    if (IdentifierOf(value, &id)) map->emplace_back(value.name, id);
  }
  return true;
}

class Doctor {
 public:
  explicit Doctor(const DoctorOptions& options) : options_(options) {
    if (options_.hostDir.empty()) options_.hostDir = OwnFolder();
    while (options_.hostDir.size() > 1 && options_.hostDir.back() == '\\') options_.hostDir.pop_back();
  }

  std::vector<Finding> Run(DoctorScope* scope) {
    const KeyNode machine = ReadTree(kMachine, kRootPath, "", 0);
    const KeyNode user = ReadTree(kUser, kRootPath, "", 0);
    ReportUnreadable(kMachine, machine);
    ReportUnreadable(kUser, user);
    KeyNode otherMachine;
    hasOtherView_ = OtherMachineView(&otherView_);
    if (hasOtherView_) {
      otherMachine = ReadTree(otherView_, kRootPath, "", 0);
      ReportUnreadable(otherView_, otherMachine);
      otherViewKnown_ = Readable(otherMachine);
      std::string clsid;
      for (const KeyNode& key : otherMachine.subKeys) {
        if (IsGuidKey(key.name, &clsid)) components_[clsid].otherMachine = &key;
      }
    }
    WalkRoot(kMachine, machine);
    WalkRoot(kUser, user);
    for (const auto& [clsid, keys] : components_) CheckComponent(clsid, keys);
    for (const KeyNode* category : categories_) CheckCategory(*category);
    scope->viewBits = kViewBits;
    scope->categories = static_cast<int>(categories_.size());
    scope->components = 0;
    for (const auto& entry : components_) scope->components += entry.second.machine != nullptr ? 1 : 0;
    return std::move(findings_);
  }

 private:
  void Add(Severity severity, const char* code, const Root& root, const std::string& path,
           std::string problem, std::string remedy) {
    findings_.push_back(
        Finding{severity, code, std::string(root.name) + "\\" + path, std::move(problem), std::move(remedy)});
  }

  // reg.exe commands in the view this tool reads (HKEY_CURRENT_USER\Software is shared).
  std::string ViewFlag(const Root& root) const {
    return root.perMachine ? Printf(" /reg:%d", root.viewBits) : "";
  }
  // A command only where every name in it is safe to paste; otherwise how to remove it by hand.
  std::string DeleteKey(const Root& root, const std::string& path) const {
    if (!IsSafeToPaste(path)) {
      const std::size_t last = path.find_last_of('\\');
      return ByHand(root, "key '" + path.substr(last + 1) + "'", path.substr(0, last));
    }
    return "reg delete " + Quoted(std::string(root.shortName) + "\\" + path) + " /f" + ViewFlag(root);
  }
  std::string DeleteValue(const Root& root, const std::string& path, const std::string& name) const {
    if (!IsSafeToPaste(path) || !IsSafeToPaste(name)) {
      return ByHand(root, name.empty() ? "default value" : "value '" + name + "'", path);
    }
    const std::string which = name.empty() ? "/ve" : "/v " + Quoted(name);
    return "reg delete " + Quoted(std::string(root.shortName) + "\\" + path) + " " + which + " /f" +
           ViewFlag(root);
  }
  std::string ByHand(const Root& root, const std::string& what, const std::string& keyPath) const {
    const std::string wow64 = root.perMachine && root.viewBits == 32
                                  ? " (which 64-bit Windows shows under HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432Node)"
                                  : "";
    return "in regedit, delete the " + what + " in " + root.name + "\\" + keyPath + wow64 +
           " (no command is given: a name there holds characters that a command prompt would act on)";
  }

  void StrayKey(const Root& root, const KeyNode& key, const std::string& why) {
    Add(Severity::Warning, "stray-key", root, key.path, "this key " + why,
        "if nothing of yours uses it, remove it: " + DeleteKey(root, key.path));
  }
  void StrayValues(const Root& root, const KeyNode& key, const std::string& why,
                   const char* except = nullptr) {
    for (const RegistryValue& value : key.values) {
      if (except != nullptr && SameName(value.name, except)) continue;
      // An empty default value is what key-creating tools such as reg.exe leave; it means nothing.
      if (value.name.empty() && (value.data.empty() || value.data[0] == '\0')) continue;
      Add(Severity::Warning, "stray-value", root, key.path, ValueLabel(value.name) + " " + why,
          "if nothing of yours uses it, remove it: " + DeleteValue(root, key.path, value.name));
    }
  }

  void ReportUnreadable(const Root& root, const KeyNode& key) {
    if (key.error != ERROR_SUCCESS && key.error != ERROR_FILE_NOT_FOUND) {
      const std::string view =
          root.viewBits != kViewBits ? Printf(" in the %d-bit registry view", root.viewBits) : "";
      Add(Severity::Error, "registry-unreadable", root, key.path,
          "the key cannot be read" + view + ": " + DescribeWindowsError(key.error),
          "give the account read access to the key, then run doctor again");
    }
    for (const KeyNode& subKey : key.subKeys) ReportUnreadable(root, subKey);
  }

  void WalkRoot(const Root& root, const KeyNode& tree) {
    StrayValues(root, tree, "is no part of the component registry, which holds only keys here");
    for (const KeyNode& key : tree.subKeys) {
      std::string clsid;
      if (IsGuidKey(key.name, &clsid)) {
        (root.perMachine ? components_[clsid].machine : components_[clsid].user) = &key;
      } else if (root.perMachine && SameName(key.name, kCategoryKey)) {
        StrayValues(root, key,
                    "is no part of the component registry: the \"Category\" key holds only category keys");
        for (const KeyNode& category : key.subKeys) categories_.push_back(&category);
      } else if (SameName(key.name, kCategoryKey)) {
        StrayKey(root, key, "is never read: categories are read per machine only");
      } else {
        StrayKey(root, key, "is neither a component key (a CLSID) nor \"Category\"");
      }
    }
  }

  void CheckComponent(const std::string& clsid, const ComponentKeys& keys) {
    ObjectIdMap machineMap, userMap, otherMap;
    if (keys.machine != nullptr) {
      CheckRegistration(clsid, *keys.machine);
      machineMap = CheckObjectIdMap(kMachine, *keys.machine);
    }
    // Per-user data is judged only against what is known of both views.
    const bool otherKnown =
        !hasOtherView_ || (otherViewKnown_ && (keys.otherMachine == nullptr ||
                                               ReadObjectIdMap(*keys.otherMachine, &otherMap)));
    if (keys.user != nullptr) {
      StrayValues(kUser, *keys.user, "is never read: component values are read per machine only");
      userMap = CheckObjectIdMap(kUser, *keys.user);
      if (keys.machine == nullptr && keys.otherMachine == nullptr && otherKnown) {
        Add(Severity::Note, "user-component-unregistered", kUser, keys.user->path,
            "per-user settings of a component that is registered in no registry view " +
                std::string(hasOtherView_ ? "(neither the 32-bit nor the 64-bit one)"
                                          : Printf("(this system has only the %d-bit one)", kViewBits)),
            "if the component is no longer installed, remove them: " + DeleteKey(kUser, keys.user->path));
      }
    }
    CheckMigrations(keys, machineMap, userMap);
    if (keys.machine != nullptr) CheckObjectKeys(kMachine, *keys.machine, {&machineMap, &userMap}, true);
    if (keys.user != nullptr) CheckObjectKeys(kUser, *keys.user, {&machineMap, &userMap, &otherMap}, otherKnown);
  }

  void CheckRegistration(const std::string& clsid, const KeyNode& key) {
    std::string name;
    if (!StringOf(FindValue(key, ""), &name) || name.empty()) {
      Add(Severity::Warning, "no-friendly-name", kMachine, key.path,
          FindValue(key, "") == nullptr ? "the component has no friendly name (default value)"
                                        : "the friendly name (default value) is not a non-empty REG_SZ",
          "register the component again, so that hosts listing it can name it");
    }
    for (const char* name : {"", kFileValue}) {
      if (!IsUnterminatedText(FindValue(key, name))) continue;
      Add(Severity::Warning, "unterminated-text", kMachine, key.path,
          std::string(*name == '\0' ? "the friendly name (default value)" : "\"File\"") +
              " is stored without a terminating NUL: a program that reads it into a buffer of its "
              "stored size gets text without an end",
          "register the component again, which stores it with its terminator");
    }
    CheckModuleFile(clsid, key);
    CheckRefCount(key);
  }

  void CheckRefCount(const KeyNode& key) {
    const RegistryValue* refCount = FindValue(key, kRefCountValue);
    if (refCount == nullptr) return;
    if (refCount->type != REG_DWORD || refCount->data.size() != 4) {
      Add(Severity::Warning, "refcount-type", kMachine, key.path,
          "\"RefCount\" is " + RegistryTypeName(refCount->type) +
              Printf(" of %u bytes, not a 4-byte REG_DWORD: ", static_cast<unsigned>(refCount->data.size())) +
              "unregistration reads its raw bytes as a count, or none when longer than 4 bytes, so it "
              "may never reach zero or may remove the component at once",
          "set it to the number of installed copies: reg add \"HKLM\\" + key.path +
              "\" /v RefCount /t REG_DWORD /d <count> /f" + ViewFlag(kMachine));
      return;
    }
    DWORD count = 0;
    std::memcpy(&count, refCount->data.data(), 4);
    if (count == 0) {
      Add(Severity::Warning, "refcount-zero", kMachine, key.path,
          "\"RefCount\" is 0 although the component is registered: the next unregistration by any "
          "installer removes it, as if it were the last",
          "set it to the number of installed copies: reg add \"HKLM\\" + key.path +
              "\" /v RefCount /t REG_DWORD /d <count> /f" + ViewFlag(kMachine));
    }
  }

  void CheckModuleFile(const std::string& clsid, const KeyNode& key) {
    const std::string reRegister =
        Printf("register the module again with the %d-bit pidtool or regsvr32, or remove the component: ",
               kViewBits) +
        DeleteKey(kMachine, key.path);
    std::string file;
    if (!StringOf(FindValue(key, kFileValue), &file) || file.empty()) {
      Add(Severity::Error, "no-file", kMachine, key.path,
          FindValue(key, kFileValue) == nullptr
              ? "there is no \"File\" value: QXCreateInstance cannot find the module"
              : "\"File\" is not a non-empty REG_SZ: QXCreateInstance cannot read it",
          reRegister);
      return;
    }
    if (file.size() >= kFileCapacity) {
      Add(Severity::Error, "no-file", kMachine, key.path,
          Printf("\"File\" is %u characters long, more than the %u QXCreateInstance reads",
                 static_cast<unsigned>(file.size()), static_cast<unsigned>(kFileCapacity - 1)),
          "install the module under a shorter path and register it again");
      return;
    }

    std::string path = file;
    const bool bare = file.find_first_of(":\\") == std::string::npos;
    const bool absolute =
        (file.size() > 2 && file[1] == ':' && (file[2] == '\\' || file[2] == '/')) || file.rfind("\\\\", 0) == 0;
    if (bare) {
      path = options_.hostDir + "\\" + file;
      if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
        Add(Severity::Error, "bare-file-missing", kMachine, key.path,
            "\"File\" is the bare name '" + file +
                "', which QXCreateInstance looks for beside the host's "
                "executable, and it is not in " +
                options_.hostDir,
            "copy " + file +
                " beside the host (or pass the host's folder with --host-dir), or register "
                "the module with its full path");
        return;
      }
      Add(Severity::Note, "bare-file", kMachine, key.path,
          "\"File\" is the bare name '" + file + "': found beside the host in " + options_.hostDir +
              ", but hosts in other folders will not find it",
          "nothing for hosts in that folder; for others, register the module with its full path");
    } else if (!absolute) {
      Add(Severity::Warning, "relative-file", kMachine, key.path,
          "\"File\" '" + file +
              "' is a relative path: the module loads only where the host's current "
              "folder and search path happen to lead",
          reRegister);
      return;
    }

    const FileFacts facts = InspectFile(path);
    if (!facts.found) {
      Add(Severity::Error, "file-missing", kMachine, key.path,
          "the module '" + path + "' named by \"File\" does not exist", reRegister);
      return;
    }
    if (!facts.readable) {
      Add(Severity::Error, "not-a-module", kMachine, key.path,
          "the module '" + path + "' is no loadable module: " + facts.problem, reRegister);
      return;
    }
    if (facts.image.machine != OwnMachine()) {
      Add(Severity::Error, "wrong-width", kMachine, key.path,
          "the module '" + path + "' is built for " + MachineName(facts.image.machine) +
              Printf(", but the hosts that read this %d-bit registry view are ", kViewBits) +
              MachineName(OwnMachine()) + " programs and cannot load it",
          "register it with the pidtool or regsvr32 of its own width, so that it lands in that "
          "view, and remove this key: " +
              DeleteKey(kMachine, key.path));
      return;
    }
    if (!facts.image.isDll) {
      Add(Severity::Error, "not-a-dll", kMachine, key.path,
          "'" + path + "' is a program, not a DLL: QXCreateInstance cannot load it as a component",
          reRegister);
      return;
    }
    bool complete = true;
    if (!Holds(facts.image.exportNames, "DllGetClassObject")) {
      complete = false;
      Add(Severity::Error, "no-dllgetclassobject", kMachine, key.path,
          "'" + path +
              "' does not export DllGetClassObject: QXCreateInstance fails with QXIR_NO_DLLGETCLASSOBJECT",
          "check that \"File\" names the right module; " + reRegister);
    } else if (!Holds(facts.image.exportedCode, "DllGetClassObject")) {
      complete = false;
      Add(Severity::Error, "not-a-module", kMachine, key.path,
          "the module '" + path +
              "' is no loadable module: its export table gives DllGetClassObject an address outside "
              "every executable section of the module, so calling it would crash the host",
          reRegister);
    }
    if (!Holds(facts.image.exportNames, "DllCanUnloadNow")) {
      Add(Severity::Warning, "no-dllcanunloadnow", kMachine, key.path,
          "'" + path + "' does not export DllCanUnloadNow: QXFreeUnusedLibraries never frees it",
          "check that \"File\" names the right module, or add the export to it");
    }
    if (complete && options_.load) LoadAndAsk(clsid, key, path);
  }

  // Runs the module's code (only with --load), in a child process so that a module that
  // crashes or hangs becomes a finding of its own.
  void LoadAndAsk(const std::string& clsid, const KeyNode& key, const std::string& path) {
    const LoadProbe probe = ProbeModuleInChild(path, clsid);
    const std::string removal = "replace the module with a sound copy and register it again, or remove "
                                "the component: " + DeleteKey(kMachine, key.path);
    switch (probe.outcome) {
      case LoadProbe::Outcome::NotRun:
        Add(Severity::Error, "load-failed", kMachine, key.path,
            "'" + path + "' could not be tried: starting a pidtool process to load it failed with " +
                DescribeWindowsError(probe.code),
            "run doctor --load again");
        return;
      case LoadProbe::Outcome::LoadFailed:
        Add(Severity::Error, "load-failed", kMachine, key.path,
            "LoadLibraryA of '" + path + "' failed with " + DescribeWindowsError(probe.code),
            "check the modules it imports are installed (a missing dependency is the common cause)");
        return;
      case LoadProbe::Outcome::Crashed:
        Add(Severity::Error, "load-crashed", kMachine, key.path,
            "the process loading '" + path + "' ended in " + probe.step + " with " + ProcessEndText(probe.code) +
                ": QXCreateInstance would end its host the same way",
            removal);
        return;
      case LoadProbe::Outcome::TimedOut:
        Add(Severity::Error, "load-crashed", kMachine, key.path,
            "the process loading '" + path + "' was still in " + probe.step +
                Printf(" after %lu seconds: QXCreateInstance would hang its host the same way",
                       static_cast<unsigned long>(kLoadProbeMilliseconds / 1000)),
            removal);
        return;
      case LoadProbe::Outcome::Answered:
        if (SUCCEEDED(static_cast<HRESULT>(probe.code)) && probe.gotObject) return;
        Add(Severity::Error, "class-object-refused", kMachine, key.path,
            "'" + path + "' has no class object for " + clsid + ": DllGetClassObject returned " +
                DescribeHresult(static_cast<HRESULT>(probe.code)),
            "the key names the wrong module for this CLSID; " + DeleteKey(kMachine, key.path) +
                " and register the right module");
        return;
    }
  }

  // The map's well-formed entries; bad values, shared identifiers and sub-keys become findings.
  ObjectIdMap CheckObjectIdMap(const Root& root, const KeyNode& component) {
    ObjectIdMap map;
    for (const KeyNode& key : component.subKeys) {
      if (!SameName(key.name, kObjectIdMapKey) && !SameName(key.name, kObjectKey)) {
        StrayKey(root, key,
                 "is no part of a component key, which holds only \"Object ID Map\" and \"Object\"");
      }
    }
    const KeyNode* mapKey = FindSubKey(component, kObjectIdMapKey);
    if (mapKey == nullptr) return map;
    for (const KeyNode& key : mapKey->subKeys)
      StrayKey(root, key, "is never read: an object ID map holds only values");
    std::map<std::string, std::string> nameOfId;
    for (const RegistryValue& value : mapKey->values) {
      std::string idText;
      if (!IdentifierOf(value, &idText)) {
        Add(Severity::Warning, "object-id-type", root, mapKey->path,
            ValueLabel(value.name) + " is " + RegistryTypeName(value.type) +
                Printf(" of %u bytes, not a 16-byte REG_BINARY identifier: QXGetObjectKey never finds it ",
                       static_cast<unsigned>(value.data.size())) +
                "and QXGenerateObjectID may read it as a damaged identifier",
            "remove it, and the object gets a new identifier on its next use: " +
                DeleteValue(root, mapKey->path, value.name));
        continue;
      }
      const auto [earlier, first] = nameOfId.emplace(idText, value.name);
      if (!first) {
        Add(Severity::Warning, "object-id-shared", root, mapKey->path,
            "\"" + earlier->second + "\" and \"" + value.name + "\" share the identifier " + idText +
                ": both objects use one set of settings, and QXGetObjectKey names only the first",
            "remove the name that should not have it; it gets a new identifier on its next use: " +
                DeleteValue(root, mapKey->path, value.name));
      }
      map.emplace_back(value.name, idText);
    }
    return map;
  }

  // Names mapped to different identifiers per machine and per user: the next QXGenerateObjectID
  // for the name moves the user's settings over to the machine identifier.
  void CheckMigrations(const ComponentKeys& keys, const ObjectIdMap& machineMap, const ObjectIdMap& userMap) {
    for (const auto& [userName, userId] : userMap) {
      for (const auto& [machineName, machineId] : machineMap) {
        if (userName == machineName && userId != machineId) {
          Add(Severity::Note, "object-id-differs", kUser, keys.user->path + "\\" + kObjectIdMapKey,
              "\"" + userName + "\" is " + userId + " per user but " + machineId +
                  " per machine: the next QXGenerateObjectID for it moves the user's settings to the "
                  "machine identifier",
              "nothing: the component's next use of the name settles it");
        }
      }
    }
  }

  // `maps`: every map whose names reach these object keys; `mapsKnown`: whether all of them
  // could be read, without which no object is called an orphan.
  void CheckObjectKeys(const Root& root, const KeyNode& component,
                       std::initializer_list<const ObjectIdMap*> maps, bool mapsKnown) {
    const KeyNode* objects = FindSubKey(component, kObjectKey);
    if (objects == nullptr) return;
    StrayValues(root, *objects, "is never read: the \"Object\" key holds only object keys");
    for (const KeyNode& object : objects->subKeys) {
      std::string id;
      if (!IsGuidKey(object.name, &id)) {
        StrayKey(root, object, "is not named by an object identifier, so no object reaches it");
        continue;
      }
      bool mapped = !mapsKnown;
      for (const ObjectIdMap* map : maps) {
        for (const auto& entry : *map) mapped = mapped || entry.second == id;
      }
      if (!mapped) {
        Add(Severity::Warning, "object-orphan", root, object.path,
            "no object ID map holds the identifier " + id + ", so these settings belong to no object name",
            "remove the settings if no object needs them: " + DeleteKey(root, object.path));
        continue;
      }
      StrayValues(root, object,
                  "is never read: an object key holds only \"User Settings\" and \"Default Settings\"");
      for (const KeyNode& settings : object.subKeys) {
        if (!SameName(settings.name, "User Settings") && !SameName(settings.name, "Default Settings")) {
          StrayKey(root, settings,
                   "is never read: an object key holds only \"User Settings\" and \"Default Settings\"");
        }
      }
    }
  }

  void CheckCategory(const KeyNode& category) {
    StrayValues(kMachine, category, "is never read: a category key holds only its entries");
    if (category.subKeys.empty()) {
      Add(Severity::Warning, "category-empty", kMachine, category.path,
          "the category has no components, a leftover of an uninstaller",
          "remove it: " + DeleteKey(kMachine, category.path));
      return;
    }
    for (const KeyNode& entry : category.subKeys) {
      std::string clsid;
      if (!IsGuidKey(entry.name, &clsid)) {
        StrayKey(kMachine, entry, "is not a CLSID, yet QXEnumComponents lists it as a component");
        continue;
      }
      const auto component = components_.find(clsid);
      if (component == components_.end() || component->second.machine == nullptr) {
        Add(Severity::Error, "category-orphan", kMachine, entry.path,
            "the category lists " + clsid +
                ", which has no component key: hosts find it and fail to create it",
            "remove the entry, left by an uninstaller: " + DeleteKey(kMachine, entry.path));
        continue;
      }
      std::string entryName, componentName;
      const bool named = StringOf(FindValue(entry, ""), &entryName);
      // A component without a name has its own finding; there is nothing to compare with.
      const bool componentNamed = StringOf(FindValue(*component->second.machine, ""), &componentName);
      if (componentNamed && (!named || entryName != componentName)) {
        Add(Severity::Warning, "category-name-mismatch", kMachine, entry.path,
            (named ? "the entry calls the component '" + entryName + "'"
                   : std::string("the entry has no friendly name")) +
                ", its component key '" + componentName + "'",
            "register the component again, which writes both");
      }
      StrayValues(kMachine, entry, "is never read: a category entry holds only the friendly name", "");
      for (const KeyNode& stray : entry.subKeys)
        StrayKey(kMachine, stray, "is never read: a category entry holds no keys");
    }
  }

  DoctorOptions options_;
  Root otherView_{};
  bool hasOtherView_ = false;
  bool otherViewKnown_ = true;
  std::vector<Finding> findings_;
  std::map<std::string, ComponentKeys> components_;  // by upper-case CLSID text
  std::vector<const KeyNode*> categories_;           // per machine
};

}  // namespace

std::vector<Finding> Diagnose(const DoctorOptions& options, DoctorScope* scope) {
  return Doctor(options).Run(scope);
}

}  // namespace pidtool
