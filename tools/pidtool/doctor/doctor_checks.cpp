#include "doctor/doctor_checks.h"

#include <cstring>
#include <initializer_list>
#include <map>

#include "cli/guid_text.h"
#include "cli/result_names.h"
#include "cli/text_format.h"
#include "doctor/load_failure.h"
#include "doctor/reg_commands.h"
#include "shared/registry_layout_names.h"
#include "shared/registry_name_compare.h"

namespace pidtool {
namespace {

// The findings so far, and what every check needs to word them.
struct Report {
  const DoctorSnapshot& snapshot;
  std::vector<Finding> findings;

  void Add(FindingKind kind, const RootView& root, const std::string& path, std::string problem,
           std::string command = "", std::string name = "") {
    findings.push_back(
        MakeFinding(kind, std::string(root.name) + "\\" + path, std::move(problem),
                    RemedyDetails{std::move(command), std::move(name), snapshot.viewBits}));
  }
  const RootView& Machine() const { return snapshot.machine.root; }
  const RootView& User() const { return snapshot.user.root; }
};

// What the component registry holds of one component.
struct ComponentKeys {
  const KeyNode* machine = nullptr;
  const KeyNode* user = nullptr;
  const KeyNode* otherMachine = nullptr;  // in the other width's view
};
using Components = std::map<std::string, ComponentKeys>;  // by upper-case CLSID text

using ObjectIdMap = std::vector<std::pair<std::string, std::string>>;  // name, identifier text

bool SameName(const std::string& a, const char* b) { return rm::SameRegistryName(a.c_str(), b); }

std::string ValueLabel(const std::string& name) {
  return name.empty() ? "the default value" : "\"" + name + "\"";
}

// The identifier an object ID map value holds: 16 bytes of REG_BINARY.
bool IdentifierOf(const RegistryValue& value, std::string* idText) {
  if (value.type != REG_BINARY || value.data.size() != 16) return false;
  GUID id{};
  std::memcpy(&id, value.data.data(), 16);
  *idText = FormatGuid(id);
  return true;
}

// A REG_SZ whose data holds no NUL: a reader that takes the stored size gets text without an end.
bool IsUnterminatedText(const RegistryValue* value) {
  return value != nullptr && value->type == REG_SZ && !value->data.empty() &&
         std::memchr(value->data.data(), '\0', value->data.size()) == nullptr;
}

bool Holds(const std::vector<std::string>& names, const char* name) {
  for (const std::string& each : names) {
    if (each == name) return true;
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

void StrayKey(Report& report, const RootView& root, const KeyNode& key, const std::string& why) {
  report.Add(FindingKind::StrayKey, root, key.path, "this key " + why,
             DeleteKeyCommand(root, key.path));
}

void StrayValues(Report& report, const RootView& root, const KeyNode& key, const std::string& why,
                 const char* except = nullptr) {
  for (const RegistryValue& value : key.values) {
    if (except != nullptr && SameName(value.name, except)) continue;
    // An empty default value is what key-creating tools such as reg.exe leave; it means nothing.
    if (value.name.empty() && (value.data.empty() || value.data[0] == '\0')) continue;
    report.Add(FindingKind::StrayValue, root, key.path, ValueLabel(value.name) + " " + why,
               DeleteValueCommand(root, key.path, value.name));
  }
}

void CheckReadable(Report& report, const RootView& root, const KeyNode& key) {
  if (!Readable(key)) {
    const std::string view = root.viewBits != report.snapshot.viewBits
                                 ? Printf(" in the %d-bit registry view", root.viewBits)
                                 : "";
    report.Add(FindingKind::RegistryUnreadable, root, key.path,
               "the key cannot be read" + view + ": " + DescribeWindowsError(key.error));
  }
  for (const KeyNode& subKey : key.subKeys) CheckReadable(report, root, subKey);
}

// The component root holds component keys and, per machine, "Category".
void CheckRootLayout(Report& report, const RootSnapshot& snapshot) {
  const RootView& root = snapshot.root;
  StrayValues(report, root, snapshot.tree,
              "is no part of the component registry, which holds only keys here");
  for (const KeyNode& key : snapshot.tree.subKeys) {
    if (IsGuidKey(key.name, nullptr)) continue;
    if (!SameName(key.name, rm::kCategoryKeyName)) {
      StrayKey(report, root, key, "is neither a component key (a CLSID) nor \"Category\"");
    } else if (root.perMachine) {
      StrayValues(
          report, root, key,
          "is no part of the component registry: the \"Category\" key holds only category keys");
    } else {
      StrayKey(report, root, key, "is never read: categories are read per machine only");
    }
  }
}

Components IndexComponents(const DoctorSnapshot& snapshot) {
  Components components;
  std::string clsid;
  if (snapshot.otherMachine) {
    for (const KeyNode& key : snapshot.otherMachine->tree.subKeys) {
      if (IsGuidKey(key.name, &clsid)) components[clsid].otherMachine = &key;
    }
  }
  for (const KeyNode& key : snapshot.machine.tree.subKeys) {
    if (IsGuidKey(key.name, &clsid)) components[clsid].machine = &key;
  }
  for (const KeyNode& key : snapshot.user.tree.subKeys) {
    if (IsGuidKey(key.name, &clsid)) components[clsid].user = &key;
  }
  return components;
}

// The category keys, per machine only.
std::vector<const KeyNode*> Categories(const DoctorSnapshot& snapshot) {
  std::vector<const KeyNode*> categories;
  for (const KeyNode& key : snapshot.machine.tree.subKeys) {
    if (!SameName(key.name, rm::kCategoryKeyName)) continue;
    for (const KeyNode& category : key.subKeys) categories.push_back(&category);
  }
  return categories;
}

void CheckFriendlyName(Report& report, const KeyNode& key) {
  std::string name;
  const RegistryValue* value = FindValue(key, "");
  if (!StringOf(value, &name) || name.empty()) {
    report.Add(FindingKind::NoFriendlyName, report.Machine(), key.path,
               value == nullptr ? "the component has no friendly name (default value)"
                                : "the friendly name (default value) is not a non-empty REG_SZ");
  }
  for (const char* valueName : {"", rm::kFileValueName}) {
    if (!IsUnterminatedText(FindValue(key, valueName))) continue;
    report.Add(
        FindingKind::UnterminatedText, report.Machine(), key.path,
        std::string(*valueName == '\0' ? "the friendly name (default value)" : "\"File\"") +
            " is stored without a terminating NUL: a program that reads it into a buffer of its "
            "stored size gets text without an end");
  }
}

void CheckRefCount(Report& report, const KeyNode& key) {
  const RegistryValue* refCount = FindValue(key, rm::kRefCountValueName);
  if (refCount == nullptr) return;
  const std::string command = SetRefCountCommand(report.Machine(), key.path);
  if (refCount->type != REG_DWORD || refCount->data.size() != 4) {
    report.Add(
        FindingKind::RefCountType, report.Machine(), key.path,
        "\"RefCount\" is " + RegistryTypeName(refCount->type) +
            Printf(" of %u bytes, not a 4-byte REG_DWORD: ",
                   static_cast<unsigned>(refCount->data.size())) +
            "unregistration reads its raw bytes as a count, or none when longer than 4 bytes, so it "
            "may never reach zero or may remove the component at once",
        command);
    return;
  }
  DWORD count = 0;
  std::memcpy(&count, refCount->data.data(), 4);
  if (count == 0) {
    report.Add(
        FindingKind::RefCountZero, report.Machine(), key.path,
        "\"RefCount\" is 0 although the component is registered: the next unregistration by any "
        "installer removes it, as if it were the last",
        command);
  }
}

// The "File" value itself; false when it names no file that can be looked at.
bool CheckFileName(Report& report, const KeyNode& key, const ModuleFileName& file) {
  using Form = ModuleFileName::Form;
  const std::string removal = DeleteKeyCommand(report.Machine(), key.path);
  switch (file.form) {
    case Form::Unusable:
      report.Add(FindingKind::NoFile, report.Machine(), key.path,
                 FindValue(key, rm::kFileValueName) == nullptr
                     ? "there is no \"File\" value: QXCreateInstance cannot find the module"
                     : "\"File\" is not a non-empty REG_SZ: QXCreateInstance cannot read it",
                 removal);
      return false;
    case Form::TooLong:
      report.Add(FindingKind::FileTooLong, report.Machine(), key.path,
                 Printf("\"File\" is %u characters long, more than the %u QXCreateInstance reads",
                        static_cast<unsigned>(file.length), static_cast<unsigned>(MAX_PATH - 1)));
      return false;
    case Form::Relative:
      report.Add(FindingKind::RelativeFile, report.Machine(), key.path,
                 "\"File\" '" + file.text +
                     "' is a relative path: the module loads only where the host's current "
                     "folder and search path happen to lead",
                 removal);
      return false;
    case Form::Bare:
    case Form::Absolute: return true;
  }
  return false;
}

// A bare name is found beside the host only.
bool CheckBareName(Report& report, const KeyNode& key, const ModuleFileName& file,
                   const ModuleFile& facts) {
  const std::string& hostDir = report.snapshot.hostDir;
  if (!facts.found) {
    report.Add(
        FindingKind::BareFileMissing, report.Machine(), key.path,
        "\"File\" is the bare name '" + file.text +
            "', which QXCreateInstance looks for beside the host's executable, and it is not in " +
            hostDir,
        "", file.text);
    return false;
  }
  report.Add(FindingKind::BareFile, report.Machine(), key.path,
             "\"File\" is the bare name '" + file.text + "': found beside the host in " + hostDir +
                 ", but hosts in other folders will not find it");
  return true;
}

// What the module file is; false when it is no module a host of this view could load.
bool CheckModuleImage(Report& report, const KeyNode& key, const std::string& path,
                      const ModuleFile& facts) {
  const RootView& machine = report.Machine();
  const std::string removal = DeleteKeyCommand(machine, key.path);
  if (!facts.found) {
    report.Add(FindingKind::FileMissing, machine, key.path,
               "the module '" + path + "' named by \"File\" does not exist", removal);
  } else if (!facts.readable) {
    report.Add(FindingKind::NotAModule, machine, key.path,
               "the module '" + path + "' is no loadable module: " + facts.problem, removal);
  } else if (facts.image.machine != report.snapshot.hostMachine) {
    report.Add(FindingKind::WrongWidth, machine, key.path,
               "the module '" + path + "' is built for " + MachineName(facts.image.machine) +
                   Printf(", but the hosts that read this %d-bit registry view are ",
                          report.snapshot.viewBits) +
                   MachineName(report.snapshot.hostMachine) + " programs and cannot load it",
               removal);
  } else if (!facts.image.isDll) {
    report.Add(
        FindingKind::NotADll, machine, key.path,
        "'" + path + "' is a program, not a DLL: QXCreateInstance cannot load it as a component",
        removal);
  } else {
    return true;
  }
  return false;
}

void CheckExports(Report& report, const KeyNode& key, const std::string& path,
                  const PeImageFacts& image) {
  const RootView& machine = report.Machine();
  const std::string removal = DeleteKeyCommand(machine, key.path);
  if (!Holds(image.exportNames, "DllGetClassObject")) {
    report.Add(
        FindingKind::NoDllGetClassObject, machine, key.path,
        "'" + path +
            "' does not export DllGetClassObject: QXCreateInstance fails with QXIR_NO_DLLGETCLASSOBJECT",
        removal);
  } else if (!Holds(image.exportedCode, "DllGetClassObject")) {
    report.Add(
        FindingKind::NotAModule, machine, key.path,
        "the module '" + path +
            "' is no loadable module: its export table gives DllGetClassObject an address outside "
            "every executable section of the module, so calling it would crash the host",
        removal);
  }
  if (!Holds(image.exportNames, "DllCanUnloadNow")) {
    report.Add(
        FindingKind::NoDllCanUnloadNow, machine, key.path,
        "'" + path + "' does not export DllCanUnloadNow: QXFreeUnusedLibraries never frees it");
  }
}

// What the module did when doctor --load ran it in a child process.
void CheckLoadProbe(Report& report, const std::string& clsid, const KeyNode& key,
                    const std::string& path, const LoadProbe& probe) {
  const RootView& machine = report.Machine();
  const std::string removal = DeleteKeyCommand(machine, key.path);
  switch (probe.outcome) {
    case LoadProbe::Outcome::NotRun:
      return report.Add(
          FindingKind::LoadNotRun, machine, key.path,
          "'" + path + "' could not be tried: starting a pidtool process to load it failed with " +
              DescribeWindowsError(probe.code));
    case LoadProbe::Outcome::LoadFailed:
      return report.Add(
          FindingKind::LoadFailed, machine, key.path,
          "'" + path + "' cannot be loaded: " + LoadFailureText(probe.failure, probe.code));
    case LoadProbe::Outcome::Crashed:
      return report.Add(FindingKind::LoadCrashed, machine, key.path,
                        "the process loading '" + path + "' ended in " + probe.step + " with " +
                            ProcessEndText(probe.code) +
                            ": QXCreateInstance would end its host the same way",
                        removal);
    case LoadProbe::Outcome::TimedOut:
      return report.Add(
          FindingKind::LoadCrashed, machine, key.path,
          "the process loading '" + path + "' was still in " + probe.step +
              Printf(" after %lu seconds: QXCreateInstance would hang its host the same way",
                     static_cast<unsigned long>(kLoadProbeMilliseconds / 1000)),
          removal);
    case LoadProbe::Outcome::Answered:
      if (SUCCEEDED(static_cast<HRESULT>(probe.code)) && probe.gotObject) return;
      return report.Add(FindingKind::ClassObjectRefused, machine, key.path,
                        "'" + path + "' has no class object for " + clsid +
                            ": DllGetClassObject returned " +
                            DescribeHresult(static_cast<HRESULT>(probe.code)),
                        removal);
  }
}

void CheckModuleFile(Report& report, const std::string& clsid, const KeyNode& key) {
  const ModuleFileName file = ModuleFileNameOf(key, report.snapshot.hostDir);
  if (!CheckFileName(report, key, file)) return;
  // A path the reading did not look at is one where it found nothing.
  const auto read = report.snapshot.files.find(file.path);
  const ModuleFile facts = read != report.snapshot.files.end() ? read->second : ModuleFile{};
  if (file.form == ModuleFileName::Form::Bare && !CheckBareName(report, key, file, facts)) return;
  if (!CheckModuleImage(report, key, file.path, facts)) return;
  CheckExports(report, key, file.path, facts.image);
  const auto probe = report.snapshot.probes.find(clsid);
  if (probe != report.snapshot.probes.end())
    CheckLoadProbe(report, clsid, key, file.path, probe->second);
}

// The well-formed entries of a component's object ID map, without judging it; false when the
// map cannot be read, so that what it holds is unknown.
bool ReadObjectIdMap(const KeyNode& component, ObjectIdMap* map) {
  const KeyNode* mapKey = FindSubKey(component, rm::kObjectIdMapKeyName);
  if (!Readable(component) || (mapKey != nullptr && !Readable(*mapKey))) return false;
  if (mapKey == nullptr) return true;
  for (const RegistryValue& value : mapKey->values) {
    std::string id;
    if (IdentifierOf(value, &id)) map->emplace_back(value.name, id);
  }
  return true;
}

// The map's well-formed entries; bad values, shared identifiers and sub-keys become findings.
ObjectIdMap CheckObjectIdMap(Report& report, const RootView& root, const KeyNode& component) {
  ObjectIdMap map;
  for (const KeyNode& key : component.subKeys) {
    if (!SameName(key.name, rm::kObjectIdMapKeyName) && !SameName(key.name, rm::kObjectKeyName)) {
      StrayKey(report, root, key,
               "is no part of a component key, which holds only \"Object ID Map\" and \"Object\"");
    }
  }
  const KeyNode* mapKey = FindSubKey(component, rm::kObjectIdMapKeyName);
  if (mapKey == nullptr) return map;
  for (const KeyNode& key : mapKey->subKeys)
    StrayKey(report, root, key, "is never read: an object ID map holds only values");
  std::map<std::string, std::string> nameOfId;
  for (const RegistryValue& value : mapKey->values) {
    std::string idText;
    if (!IdentifierOf(value, &idText)) {
      report.Add(
          FindingKind::ObjectIdType, root, mapKey->path,
          ValueLabel(value.name) + " is " + RegistryTypeName(value.type) +
              Printf(
                  " of %u bytes, not a 16-byte REG_BINARY identifier: QXGetObjectKey never finds it ",
                  static_cast<unsigned>(value.data.size())) +
              "and QXGenerateObjectID may read it as a damaged identifier",
          DeleteValueCommand(root, mapKey->path, value.name));
      continue;
    }
    const auto [earlier, first] = nameOfId.emplace(idText, value.name);
    if (!first) {
      report.Add(
          FindingKind::ObjectIdShared, root, mapKey->path,
          "\"" + earlier->second + "\" and \"" + value.name + "\" share the identifier " + idText +
              ": both objects use one set of settings, and QXGetObjectKey names only the first",
          DeleteValueCommand(root, mapKey->path, value.name));
    }
    map.emplace_back(value.name, idText);
  }
  return map;
}

// Names mapped to different identifiers per machine and per user: the next QXGenerateObjectID
// for the name moves the user's settings over to the machine identifier.
void CheckMigrations(Report& report, const KeyNode& user, const ObjectIdMap& machineMap,
                     const ObjectIdMap& userMap) {
  for (const auto& [userName, userId] : userMap) {
    for (const auto& [machineName, machineId] : machineMap) {
      if (userName != machineName || userId == machineId) continue;
      report.Add(
          FindingKind::ObjectIdDiffers, report.User(), user.path + "\\" + rm::kObjectIdMapKeyName,
          "\"" + userName + "\" is " + userId + " per user but " + machineId +
              " per machine: the next QXGenerateObjectID for it moves the user's settings to the "
              "machine identifier");
    }
  }
}

void CheckObjectSettings(Report& report, const RootView& root, const KeyNode& object) {
  const char* const why =
      "is never read: an object key holds only \"User Settings\" and \"Default Settings\"";
  StrayValues(report, root, object, why);
  for (const KeyNode& settings : object.subKeys) {
    if (!SameName(settings.name, rm::kUserSettingsKeyName) &&
        !SameName(settings.name, rm::kDefaultSettingsKeyName)) {
      StrayKey(report, root, settings, why);
    }
  }
}

// `maps`: every map whose names reach these object keys; `mapsKnown`: whether all of them
// could be read, without which no object is called an orphan.
void CheckObjectKeys(Report& report, const RootView& root, const KeyNode& component,
                     std::initializer_list<const ObjectIdMap*> maps, bool mapsKnown) {
  const KeyNode* objects = FindSubKey(component, rm::kObjectKeyName);
  if (objects == nullptr) return;
  StrayValues(report, root, *objects, "is never read: the \"Object\" key holds only object keys");
  for (const KeyNode& object : objects->subKeys) {
    std::string id;
    if (!IsGuidKey(object.name, &id)) {
      StrayKey(report, root, object,
               "is not named by an object identifier, so no object reaches it");
      continue;
    }
    bool mapped = !mapsKnown;
    for (const ObjectIdMap* map : maps) {
      for (const auto& entry : *map) mapped = mapped || entry.second == id;
    }
    if (mapped) {
      CheckObjectSettings(report, root, object);
    } else {
      report.Add(FindingKind::ObjectOrphan, root, object.path,
                 "no object ID map holds the identifier " + id +
                     ", so these settings belong to no object name",
                 DeleteKeyCommand(root, object.path));
    }
  }
}

void CheckComponent(Report& report, const std::string& clsid, const ComponentKeys& keys) {
  const DoctorSnapshot& snapshot = report.snapshot;
  ObjectIdMap machineMap, userMap, otherMap;
  if (keys.machine != nullptr) {
    CheckFriendlyName(report, *keys.machine);
    CheckModuleFile(report, clsid, *keys.machine);
    CheckRefCount(report, *keys.machine);
    machineMap = CheckObjectIdMap(report, report.Machine(), *keys.machine);
  }
  // Per-user data is judged only against what is known of both views.
  const bool otherKnown =
      !snapshot.otherMachine ||
      (Readable(snapshot.otherMachine->tree) &&
       (keys.otherMachine == nullptr || ReadObjectIdMap(*keys.otherMachine, &otherMap)));
  if (keys.user != nullptr) {
    StrayValues(report, report.User(), *keys.user,
                "is never read: component values are read per machine only");
    userMap = CheckObjectIdMap(report, report.User(), *keys.user);
    if (keys.machine == nullptr && keys.otherMachine == nullptr && otherKnown) {
      report.Add(
          FindingKind::UserComponentUnregistered, report.User(), keys.user->path,
          "per-user settings of a component that is registered in no registry view " +
              std::string(snapshot.otherMachine
                              ? "(neither the 32-bit nor the 64-bit one)"
                              : Printf("(this system has only the %d-bit one)", snapshot.viewBits)),
          DeleteKeyCommand(report.User(), keys.user->path));
    }
    CheckMigrations(report, *keys.user, machineMap, userMap);
  }
  if (keys.machine != nullptr)
    CheckObjectKeys(report, report.Machine(), *keys.machine, {&machineMap, &userMap}, true);
  if (keys.user != nullptr) {
    CheckObjectKeys(report, report.User(), *keys.user, {&machineMap, &userMap, &otherMap},
                    otherKnown);
  }
}

void CheckCategoryEntry(Report& report, const Components& components, const KeyNode& entry) {
  const RootView& machine = report.Machine();
  std::string clsid;
  if (!IsGuidKey(entry.name, &clsid)) {
    return StrayKey(report, machine, entry,
                    "is not a CLSID, yet QXEnumComponents lists it as a component");
  }
  const auto component = components.find(clsid);
  if (component == components.end() || component->second.machine == nullptr) {
    return report.Add(FindingKind::CategoryOrphan, machine, entry.path,
                      "the category lists " + clsid +
                          ", which has no component key: hosts find it and fail to create it",
                      DeleteKeyCommand(machine, entry.path));
  }
  std::string entryName, componentName;
  const bool named = StringOf(FindValue(entry, ""), &entryName);
  // A component without a name has its own finding; there is nothing to compare with.
  const bool componentNamed = StringOf(FindValue(*component->second.machine, ""), &componentName);
  if (componentNamed && (!named || entryName != componentName)) {
    report.Add(FindingKind::CategoryNameMismatch, machine, entry.path,
               (named ? "the entry calls the component '" + entryName + "'"
                      : std::string("the entry has no friendly name")) +
                   ", its component key '" + componentName + "'");
  }
  StrayValues(report, machine, entry,
              "is never read: a category entry holds only the friendly name", "");
  for (const KeyNode& stray : entry.subKeys)
    StrayKey(report, machine, stray, "is never read: a category entry holds no keys");
}

void CheckCategory(Report& report, const Components& components, const KeyNode& category) {
  StrayValues(report, report.Machine(), category,
              "is never read: a category key holds only its entries");
  if (category.subKeys.empty()) {
    report.Add(FindingKind::CategoryEmpty, report.Machine(), category.path,
               "the category has no components, a leftover of an uninstaller",
               DeleteKeyCommand(report.Machine(), category.path));
  }
  for (const KeyNode& entry : category.subKeys) CheckCategoryEntry(report, components, entry);
}

// A registration that a 32-bit program which was not elevated wrote: registry virtualization
// put it into this user's VirtualStore, where hosts, other users and elevated tools never look.
// compat F24
void CheckVirtualStore(Report& report, const KeyNode& store) {
  for (const KeyNode& key : store.subKeys) {
    std::string clsid;
    if (!IsGuidKey(key.name, &clsid)) continue;
    report.Add(FindingKind::VirtualizedRegistration, report.User(), key.path,
               "a registration of " + clsid +
                   " that registry virtualization wrote into this user's VirtualStore, because the "
                   "program that registered it was not elevated: hosts read HKEY_LOCAL_MACHINE and "
                   "never see it",
               DeleteKeyCommand(report.User(), key.path));
  }
}

}  // namespace

std::vector<Finding> CheckSnapshot(const DoctorSnapshot& snapshot, DoctorScope* scope) {
  Report report{snapshot, {}};
  CheckReadable(report, snapshot.machine.root, snapshot.machine.tree);
  CheckReadable(report, snapshot.user.root, snapshot.user.tree);
  if (snapshot.otherMachine)
    CheckReadable(report, snapshot.otherMachine->root, snapshot.otherMachine->tree);
  CheckRootLayout(report, snapshot.machine);
  CheckRootLayout(report, snapshot.user);
  const Components components = IndexComponents(snapshot);
  for (const auto& [clsid, keys] : components) CheckComponent(report, clsid, keys);
  const std::vector<const KeyNode*> categories = Categories(snapshot);
  for (const KeyNode* category : categories) CheckCategory(report, components, *category);
  CheckReadable(report, snapshot.user.root, snapshot.virtualStore);
  CheckVirtualStore(report, snapshot.virtualStore);
  scope->viewBits = snapshot.viewBits;
  scope->categories = static_cast<int>(categories.size());
  scope->components = 0;
  for (const auto& entry : components) scope->components += entry.second.machine != nullptr ? 1 : 0;
  return std::move(report.findings);
}

}  // namespace pidtool
