// Every exported operation that writes, run again and again from the same registry and INI file
// with the module's Nth call to its registry, file, memory and module-loading imports failing
// (support/import_faults.h), for every N until the operation makes fewer calls than that, and
// with each kind of failure that applies to that call. Each run is judged against the state
// before the call and against what a clean run of the call leaves:
//
// - whatever the result, every item (key, value, the INI file) holds what it held before or
//   what a clean run leaves: nothing the call was not asked to change is lost or altered;
// - a success leaves exactly what a clean run leaves and hands back what it hands back, except
//   for tidying a row names as best effort (pruning an emptied parent key, removing a promoted
//   or migrated entry);
// - settings that move to another identifier leave their source only once their destination
//   is complete;
// - nothing the module took through its imports (key, block, module, mapping) is still held.
//
// Told that something is not there (ERROR_FILE_NOT_FOUND), the module rightly acts on it: such
// runs are judged only on what a reported failure changed and on what is left held.
#include <windows.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "product_identification.h"
#include "qx_framework.h"
#include "support/import_faults.h"
#include "support/module_under_test.h"
#include "support/registry_sandbox.h"
#include "support/scratch_folder.h"

namespace rmtest {
namespace {

const HKEY kMachine = HKEY_LOCAL_MACHINE;
const HKEY kUser = HKEY_CURRENT_USER;

constexpr GUID kComponent = {
    0x6B0F1A52, 0x93C4, 0x4D7E, {0x8A, 0x21, 0x5C, 0x3E, 0x90, 0x1F, 0x7B, 0x44}};
constexpr GUID kMachineId = {
    0xA1A1A1A1, 0x0001, 0x0002, {0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A}};
constexpr GUID kUserId = {
    0xB2B2B2B2, 0x0001, 0x0002, {0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A}};
constexpr char kCategory[] = "CATEGORY_Faults";

const std::string kVarnel = "SOFTWARE\\Varnel";
const std::string kRoot = kVarnel + "\\Component Installed";
const std::string kComponentKey = kRoot + "\\{6B0F1A52-93C4-4D7E-8A21-5C3E901F7B44}";
const std::string kCategoryKey = kRoot + "\\Category\\" + kCategory;
const std::string kMap = kComponentKey + "\\Object ID Map";
const std::string kMachineObject =
    kComponentKey + "\\Object\\{A1A1A1A1-0001-0002-0304-05060708090A}";
const std::string kUserObject = kComponentKey + "\\Object\\{B2B2B2B2-0001-0002-0304-05060708090A}";
const std::string kPluginKey = kRoot + "\\{5C1E2F7A-93B4-4D60-A1E8-3F0B6D92C415}";
const std::string kSiblingKey = kRoot + "\\{22222222-3333-4444-5555-666666666666}";
const std::string kTree = "SOFTWARE\\Faults\\Tree";
constexpr char kIniText[] = "[Camera]\r\nMode=manual\r\nGain=3\r\n[Other]\r\nKept=1\r\n";

// --- What the rows start from ---

// The category entry of a component key.
std::string EntryKey(const char* category, const std::string& componentKey) {
  return kRoot + "\\Category\\" + category + componentKey.substr(kRoot.size());
}

// Another product's data beside every row's, which no call may touch.
void SeedNeighbours() {
  RegistrySandbox::WriteString(kMachine, kVarnel, "Vendor", "kept");
  RegistrySandbox::WriteString(kMachine, kSiblingKey, nullptr, "Sibling");
  RegistrySandbox::WriteDword(kMachine, kSiblingKey, "RefCount", 2);
  RegistrySandbox::WriteString(kMachine, EntryKey("CATEGORY_Other", kSiblingKey), nullptr,
                               "Sibling");
  RegistrySandbox::WriteString(kUser, "SOFTWARE\\Faults\\Other", "Kept", "x");
}

// The component registered in kCategory, with a property, an object and its machine map entry.
void RegisteredComponent(DWORD refCount) {
  SeedNeighbours();
  RegistrySandbox::WriteString(kMachine, kComponentKey, nullptr, "Fault Component");
  RegistrySandbox::WriteString(kMachine, kComponentKey, "File", "C:\\Faults\\component.dll");
  if (refCount != 0) RegistrySandbox::WriteDword(kMachine, kComponentKey, "RefCount", refCount);
  RegistrySandbox::WriteDword(kMachine, kComponentKey, "Gain", 3);
  RegistrySandbox::WriteString(kMachine, EntryKey(kCategory, kComponentKey), nullptr,
                               "Fault Component");
  RegistrySandbox::WriteRaw(kMachine, kMap, "Camera", REG_BINARY, &kMachineId, sizeof(GUID));
  RegistrySandbox::WriteDword(kMachine, kMachineObject + "\\Default Settings", "Level", 1);
  RegistrySandbox::WriteString(kMachine, kMachineObject + "\\User Settings\\Default Client", "Mode",
                               "auto");
}

// A user's own identifier for "Camera", with settings two levels deep.
void UserSettings() {
  RegisteredComponent(0);
  const std::string client = kUserObject + "\\User Settings\\Default Client";
  RegistrySandbox::WriteRaw(kUser, kMap, "Camera", REG_BINARY, &kUserId, sizeof(GUID));
  RegistrySandbox::WriteString(kUser, client, "Mode", "manual");
  RegistrySandbox::WriteDword(kUser, client, "Zoom", 2);
  RegistrySandbox::WriteDword(kUser, client + "\\Layout", "Columns", 3);
  RegistrySandbox::WriteString(kUser, kUserObject + "\\User Settings\\Viewer", "Theme", "dark");
}

// A user's identifier for "Tripod" that the machine map lacks.
void UserOnlyEntry() {
  RegisteredComponent(0);
  RegistrySandbox::WriteRaw(kUser, kMap, "Tripod", REG_BINARY, &kUserId, sizeof(GUID));
}

// The machine map cannot be written; reads still work.
void MachineMapReadOnly() { RegistrySandbox::SetKeySecurity(kMachine, kMap, kReadOnly); }

// A two-level tree to copy or delete, and a destination that already holds something.
void KeyTree() {
  SeedNeighbours();
  const std::string source = kTree + "\\Source";
  const BYTE bytes[] = {1, 0, 2, 0xFF};
  RegistrySandbox::WriteString(kUser, source, nullptr, "root");
  RegistrySandbox::WriteString(kUser, source, "Top", "t");
  RegistrySandbox::WriteDword(kUser, source, "Count", 5);
  RegistrySandbox::WriteString(kUser, source + "\\A", "a1", "1");
  RegistrySandbox::WriteRaw(kUser, source + "\\A", "a2", REG_BINARY, bytes, sizeof(bytes));
  RegistrySandbox::WriteString(kUser, source + "\\A\\Deep", "d", "deep");
  RegistrySandbox::WriteString(kUser, source + "\\B", "b", "b");
  RegistrySandbox::WriteString(kUser, kTree + "\\Copy", "Extra", "mine");
  RegistrySandbox::WriteString(kUser, kTree + "\\Copy\\A", "a1", "old");
}

// The plug-in, registered counted: "File" holds the bare file name, found beside the host.
void PluginRegistered() {
  SeedNeighbours();
  RegistrySandbox::WriteString(kMachine, kPluginKey, nullptr, "RM7731 Identification Plugin");
  RegistrySandbox::WriteString(kMachine, kPluginKey, "File", "Rm7731.pid");
  RegistrySandbox::WriteString(kMachine, EntryKey("CATEGORY_ProductIdentification", kPluginKey),
                               nullptr, "RM7731 Identification Plugin");
}

// --- What the operations hand back ---

struct Done {
  bool succeeded;
  std::string observed = {};                // what a host gets besides the result
  std::vector<std::string> generated = {};  // texts no two runs repeat (a new GUID): masked
};

Done Result(tagQXINTRFCRESULT result) { return {result == QXIR_SUCCESS}; }

std::string Hex(const void* data, std::size_t size) {
  std::string text;
  char digits[3];
  for (std::size_t index = 0; index < size; ++index) {
    std::snprintf(digits, sizeof digits, "%02x", static_cast<const BYTE*>(data)[index]);
    text += digits;
  }
  return text;
}

std::string GuidText(const GUID& guid) {
  wchar_t wide[40] = {};
  StringFromGUID2(guid, wide, 40);
  return std::string(wide, wide + wcslen(wide));
}

// `fresh`: the name has no identifier yet, so each run makes a new one.
Done GenerateId(const char* name, bool fresh = false) {
  GUID id = {};
  const tagQXINTRFCRESULT result = QXGenerateObjectID(kComponent, name, &id, 0);
  Done done{result == QXIR_SUCCESS, GuidText(id)};
  if (fresh) done.generated = {GuidText(id), Hex(&id, sizeof id)};
  return done;
}

ImportFaults* g_faults = nullptr;

Done CreatePlugin() {
  IUnknown* object = nullptr;
  const tagQXINTRFCRESULT result =
      QXCreateInstance(CLSID_ProductIdentificationPlugin, nullptr, 0, IID_IProductIdentification,
                       reinterpret_cast<void**>(&object));
  const Done done{result == QXIR_SUCCESS && object != nullptr, g_faults->LastLoadedPath()};
  // Giving the instance back is not part of the call.
  g_faults->Disarm();
  if (object != nullptr) object->Release();
  QXFreeUnusedLibraries();
  return done;
}

Done SharedMemory() {
  constexpr unsigned long kUntouched = 0xDEADBEEF;
  unsigned long error = kUntouched;
  int existed = -1;
  bool succeeded = false;
  {
    CQXGlobalMemObj block;
    void* view = block.Create(4096, "Rm7731FaultTable", &existed, &error);
    if (view != nullptr) {
      static_cast<char*>(view)[4095] = 'x';
      succeeded = block.Destroy(&error) == 1;
    } else {
      EXPECT_NE(error, kUntouched) << "Create failed without saying why";
    }
  }
  return {succeeded};
}

HRESULT CallServerExport(const char* name) {
  const auto function = BuiltModuleFunction<HRESULT(STDAPICALLTYPE*)()>(name);
  return function != nullptr ? function() : E_UNEXPECTED;
}

// --- The table ---

struct Row {
  const char* name;
  std::function<void()> setup;
  std::function<Done(const std::string& iniFile)> operation;
  // Items a success may leave as they were; a pattern ending in '*' names every item below.
  std::vector<std::string> bestEffort = {};
  // Settings that move: what leaves its source, and where it goes.
  std::vector<std::string> moveFrom = {};
  std::string moveTo = {};
  // A change to the setup under which a clean run is complete too, with what it leaves.
  std::function<void()> alternative = {};
};

std::string MachineItem(const std::string& path) { return "HKLM\\" + path + "\\"; }
std::string UserItem(const std::string& path) { return "HKCU\\" + path + "\\"; }

HMODULE Module() { return GetModuleHandleA("Rm7731.pid"); }

const Row kRows[] = {
    {"RegisterPlain", SeedNeighbours,
     [](auto&) {
       return Result(
           QXRegisterServer(Module(), kComponent, "Fault Component", kCategory, nullptr, nullptr));
     }},
    // compat C12
    {"RegisterCounted", SeedNeighbours,
     [](auto&) {
       return Result(QXRegisterServerEx(Module(), kComponent, "Fault Component", kCategory, nullptr,
                                        nullptr, 1));
     }},
    // compat F20
    {"RegisterCountedAgain", [] { RegisteredComponent(3); },
     [](auto&) {
       return Result(QXRegisterServerEx(Module(), kComponent, "Fault Component", kCategory, nullptr,
                                        nullptr, 1));
     }},
    // compat F22
    {"UnregisterLast",
     [] { RegisteredComponent(1); },
     [](auto&) { return Result(QXUnregisterServer(kComponent, kCategory, nullptr, nullptr)); },
     {MachineItem(kCategoryKey)}},
    // compat F21
    {"UnregisterCounted", [] { RegisteredComponent(3); },
     [](auto&) { return Result(QXUnregisterServer(kComponent, kCategory, nullptr, nullptr)); }},
    {"SaveComponentProperty", [] { RegisteredComponent(0); },
     [](auto&) {
       DWORD gain = 7;
       return Result(QXSaveComponentPropertyValue(
           kComponent, "Gain", QXVT_DWORD, reinterpret_cast<unsigned char*>(&gain), sizeof gain));
     }},
    {"SaveObjectProperty", [] { RegisteredComponent(0); },
     [](auto&) {
       const tagQXCLIENTID client = {"Viewer"};
       char zoom[] = "2x";
       return Result(QXSaveObjectPropertyValue(kComponent, kMachineId, client, 1, "Zoom",
                                               QXVT_STRING, reinterpret_cast<unsigned char*>(zoom),
                                               sizeof zoom));
     }},
    // compat F19
    {"ObjectIdExisting", [] { RegisteredComponent(0); },
     [](auto&) { return GenerateId("Camera"); }},
    {"ObjectIdNew",
     [] { RegisteredComponent(0); },
     [](auto&) { return GenerateId("Lens", true); },
     {},
     {},
     {},
     MachineMapReadOnly},
    // compat F18 F19
    {"ObjectIdMigrate",
     UserSettings,
     [](auto&) { return GenerateId("Camera"); },
     {UserItem(kUserObject) + "*", UserItem(kMachineObject) + "*", UserItem(kMap) + ":Camera"},
     {UserItem(kUserObject) + "*", UserItem(kMap) + ":Camera"},
     UserItem(kMachineObject) + "*"},
    // compat F19
    {"ObjectIdPromote",
     UserOnlyEntry,
     [](auto&) { return GenerateId("Tripod"); },
     {UserItem(kMap) + ":Tripod"},
     {},
     {},
     MachineMapReadOnly},
    // compat F19
    {"ObjectKeyLookup",
     [] {
       RegisteredComponent(0);
       RegistrySandbox::WriteRaw(kUser, kMap, "Old camera", REG_BINARY, &kMachineId, sizeof(GUID));
     },
     [](auto&) {
       char name[64] = {};
       unsigned long needed = 0;
       const tagQXINTRFCRESULT result =
           QXGetObjectKey(kComponent, kMachineId, name, sizeof name, &needed);
       return Done{result == QXIR_SUCCESS, name};
     }},
    {"SetKeyValue", SeedNeighbours,
     [](auto&) {
       return Result(
           QXSetRegistryStringValueData(kUser, "SOFTWARE\\Faults\\Deep\\Er", "Name", "text"));
     }},
    {"AddKey", SeedNeighbours,
     [](auto&) { return Result(QXAddRegistryKey(kUser, "SOFTWARE\\Faults\\New\\Key")); }},
    {"DeleteValue", KeyTree,
     [](auto&) {
       return Result(QXDeleteRegistryValueName(kUser, (kTree + "\\Source").c_str(), "Top"));
     }},
    // compat F17
    {"CopyTree", KeyTree,
     [](auto&) {
       return Result(QXCopyRegistryKey(kUser, kUser, (kTree + "\\Source").c_str(),
                                       (kTree + "\\Copy").c_str()));
     }},
    {"DeleteTree", KeyTree,
     [](auto&) { return Result(QXDeleteRegistryKey(kUser, (kTree + "\\Source").c_str())); }},
    {"IniSetValue", SeedNeighbours,
     [](const std::string& ini) {
       return Result(QXSetIniFileStringValueData(ini.c_str(), "Camera", "Mode", "auto"));
     }},
    {"IniDeleteKey", SeedNeighbours,
     [](const std::string& ini) {
       return Result(QXDeleteIniFileKeyName(ini.c_str(), "Camera", "Gain"));
     }},
    {"IniDeleteSection", SeedNeighbours,
     [](const std::string& ini) {
       return Result(QXDeleteIniFileSectionName(ini.c_str(), "Camera"));
     }},
    {"SharedMemory", SeedNeighbours, [](auto&) { return SharedMemory(); }},
    // compat C13
    {"CreateInstance", PluginRegistered, [](auto&) { return CreatePlugin(); }},
    {"DllRegisterServer", SeedNeighbours,
     [](auto&) { return Done{CallServerExport("DllRegisterServer") == S_OK}; }},
    // compat F22
    {"DllUnregisterServer",
     PluginRegistered,
     [](auto&) { return Done{CallServerExport("DllUnregisterServer") == S_OK}; },
     {MachineItem(kRoot + "\\Category\\CATEGORY_ProductIdentification")}},
};

// --- Registry and INI file as items ---

using Snapshot = std::map<std::string, std::string>;
using Item = std::optional<std::string>;

void Walk(HKEY root, const std::string& label, const std::string& path, Snapshot& items) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, path.empty() ? nullptr : path.c_str(), 0, KEY_READ, &key) != 0) return;
  const std::string prefix = label + "\\" + (path.empty() ? "" : path + "\\");
  if (!path.empty()) items[prefix] = "key";
  std::vector<char> name(16384);
  std::vector<BYTE> data(65536);
  for (DWORD index = 0;; ++index) {
    DWORD nameLength = static_cast<DWORD>(name.size());
    DWORD size = static_cast<DWORD>(data.size());
    DWORD type = 0;
    if (RegEnumValueA(key, index, name.data(), &nameLength, nullptr, &type, data.data(), &size) !=
        0) {
      break;
    }
    items[prefix + ":" + name.data()] = std::to_string(type) + ":" + Hex(data.data(), size);
  }
  std::vector<std::string> children;
  for (DWORD index = 0;; ++index) {
    DWORD nameLength = static_cast<DWORD>(name.size());
    if (RegEnumKeyExA(key, index, name.data(), &nameLength, nullptr, nullptr, nullptr, nullptr) !=
        0) {
      break;
    }
    children.emplace_back(name.data());
  }
  RegCloseKey(key);
  for (const std::string& child : children) {
    Walk(root, label, path.empty() ? child : path + "\\" + child, items);
  }
}

Snapshot Take(const std::string& iniFile) {
  Snapshot items;
  Walk(kMachine, "HKLM", "", items);
  Walk(kUser, "HKCU", "", items);
  std::ifstream ini(iniFile, std::ios::binary);
  if (ini) items["INI"] = std::string(std::istreambuf_iterator<char>(ini), {});
  return items;
}

void Clear(HKEY root) {
  if (RegDeleteTreeA(root, nullptr) == ERROR_SUCCESS) return;
  for (const std::string& name : RegistrySandbox::SubKeyNames(root, "")) {
    DeleteTreeForcibly(root, name);
  }
  RegDeleteTreeA(root, nullptr);
}

struct Outcome {
  bool succeeded;
  std::string observed;
  Snapshot state;
};

std::string Masked(std::string text, const std::vector<std::string>& generated) {
  for (const std::string& part : generated) {
    for (std::size_t at; !part.empty() && (at = text.find(part)) != std::string::npos;) {
      text.replace(at, part.size(), "<generated>");
    }
  }
  return text;
}

// --- Judging a run ---

Item Get(const Snapshot& items, const std::string& name) {
  const auto found = items.find(name);
  return found != items.end() ? Item(found->second) : std::nullopt;
}

std::string Show(const Item& item) { return item ? "'" + item->substr(0, 60) + "'" : "(none)"; }

// Names compare as the registry compares them, whatever their case.
bool Matches(const std::string& pattern, const std::string& item) {
  if (!pattern.empty() && pattern.back() == '*') {
    return _strnicmp(item.c_str(), pattern.c_str(), pattern.size() - 1) == 0;
  }
  return _stricmp(item.c_str(), pattern.c_str()) == 0;
}

bool AnyMatches(const std::vector<std::string>& patterns, const std::string& item) {
  for (const std::string& pattern : patterns) {
    if (Matches(pattern, item)) return true;
  }
  return false;
}

std::vector<std::string> Judge(const Row& row, const Snapshot& before,
                               const std::vector<Outcome>& complete, const Outcome& after,
                               bool toldNotThere) {
  std::vector<std::string> problems;
  std::set<std::string> names;
  for (const Snapshot* items : {&before, &after.state}) {
    for (const auto& item : *items) names.insert(item.first);
  }
  for (const Outcome& outcome : complete) {
    for (const auto& item : outcome.state) names.insert(item.first);
  }

  for (const std::string& name : names) {
    const Item now = Get(after.state, name);
    const Item was = Get(before, name);
    bool allowed = now == was;
    for (const Outcome& outcome : complete) allowed = allowed || now == Get(outcome.state, name);
    if (!allowed && (!after.succeeded || !toldNotThere)) {
      problems.push_back("changed to what no clean run leaves: " + name + " " + Show(was) + " -> " +
                         Show(now));
    }
  }

  if (after.succeeded && !toldNotThere) {
    std::vector<std::string> differences;  // from the first clean run
    bool likeACleanRun = false;
    for (const Outcome& outcome : complete) {
      const bool first = &outcome == &complete.front();
      std::size_t found = 0;
      const auto differ = [&](std::string text) {
        ++found;
        if (first) differences.push_back(std::move(text));
      };
      if (after.observed != outcome.observed) {
        differ("handed back '" + after.observed + "', a clean run '" + outcome.observed + "'");
      }
      for (const std::string& name : names) {
        const Item now = Get(after.state, name);
        const Item clean = Get(outcome.state, name);
        if (now != clean && !(AnyMatches(row.bestEffort, name) && now == Get(before, name))) {
          differ(name + " " + Show(now) + ", a clean run " + Show(clean));
        }
      }
      likeACleanRun = likeACleanRun || found == 0;
    }
    if (!likeACleanRun) {
      problems.push_back("reported success, but did not do what a clean run does:");
      problems.insert(problems.end(), differences.begin(), differences.end());
    }
  }

  if (!row.moveTo.empty() && !toldNotThere) {
    bool sourceTouched = false;
    bool destinationComplete = true;
    for (const std::string& name : names) {
      const Item now = Get(after.state, name);
      if (AnyMatches(row.moveFrom, name) && now != Get(before, name)) sourceTouched = true;
      if (Matches(row.moveTo, name) && now != Get(complete.front().state, name)) {
        destinationComplete = false;
      }
    }
    if (sourceTouched && !destinationComplete) {
      problems.push_back("settings left their source before their destination was complete");
    }
  }
  return problems;
}

void PrintTo(const Row& row, std::ostream* out) { *out << row.name; }

// The run under way, named on stderr should the program crash in it.
std::string g_run;

LONG WINAPI NameTheRun(EXCEPTION_POINTERS*) {
  std::fprintf(stderr, "crashed in the run of %s\n", g_run.c_str());
  return EXCEPTION_CONTINUE_SEARCH;
}

const char* FaultName(Fault fault) {
  switch (fault) {
    case Fault::AccessDenied: return "access denied";
    case Fault::OutOfMemory: return "out of memory";
    case Fault::NotFound: return "not found";
  }
  return "?";
}

class FaultTable : public ::testing::TestWithParam<Row> {
 protected:
  FaultTable() { g_faults = &faults_; }
  ~FaultTable() override { g_faults = nullptr; }

  // Runs the row from a fresh registry and INI file, with the Nth call failing (none for 0).
  Outcome Run(unsigned n, Fault fault, bool alternative = false) {
    const Row& row = GetParam();
    Clear(kMachine);
    Clear(kUser);
    row.setup();
    if (alternative) row.alternative();
    const std::string ini = folder_.File("run" + std::to_string(++runs_) + ".ini");
    std::ofstream(ini, std::ios::binary) << kIniText;
    if (before_.empty()) before_ = Take(ini);

    faults_.Arm(n, fault);
    const Done done = row.operation(ini);
    faults_.Disarm();
    Outcome outcome{done.succeeded, Masked(done.observed, done.generated), {}};
    for (const auto& [name, value] : Take(ini)) {
      outcome.state[Masked(name, done.generated)] = Masked(value, done.generated);
    }
    DeleteFileA(ini.c_str());
    return outcome;
  }

  RegistrySandbox sandbox_;
  ScratchFolder folder_;
  ImportFaults faults_{GetModuleHandleA("Rm7731.pid")};
  Snapshot before_;
  unsigned runs_ = 0;
};

TEST_P(FaultTable, EachCallFailingInTurn) {
  const Row& row = GetParam();
  SetEnvironmentVariableA("RM7731_TRACE", "1");  // the failure trace runs too, without the registry
  SetUnhandledExceptionFilter(NameTheRun);
  faults_.ForgetLeftBehind();
  g_run = std::string(row.name) + " without a failure";

  std::vector<Outcome> complete{Run(0, Fault::AccessDenied)};
  const std::vector<std::string> calls = faults_.Calls();
  ASSERT_TRUE(complete.front().succeeded) << "a clean run fails";
  ASSERT_TRUE(faults_.LeftBehind().empty()) << "a clean run leaves " << faults_.LeftBehind()[0];
  if (row.alternative) {
    complete.push_back(Run(0, Fault::AccessDenied, true));
    ASSERT_TRUE(complete.back().succeeded) << "a clean run of the alternative fails";
  }

  int wrong = 0;
  int judged = 0;
  std::string wrongRuns;
  for (unsigned n = 1; n <= calls.size(); ++n) {
    for (const Fault fault : {Fault::AccessDenied, Fault::OutOfMemory, Fault::NotFound}) {
      if (ImportFaults::CodeFor(calls[n - 1], fault) == 0) continue;
      g_run = std::string(row.name) + ", call " + std::to_string(n) + " of " +
              std::to_string(calls.size()) + " (" + calls[n - 1] + ") failing with " +
              FaultName(fault);
      const Outcome after = Run(n, fault);
      std::vector<std::string> problems =
          Judge(row, before_, complete, after, fault == Fault::NotFound);
      for (const std::string& held : faults_.LeftBehind())
        problems.push_back("still held: " + held);
      faults_.ForgetLeftBehind();
      ++judged;
      if (problems.empty()) continue;
      std::ostringstream report;
      report << g_run << " (" << faults_.Failed() << "): reported "
             << (after.succeeded ? "success" : "failure");
      for (std::size_t index = 0; index < problems.size() && index < 8; ++index) {
        report << "\n  " << problems[index];
      }
      if (++wrong <= 12) ADD_FAILURE() << report.str();
      wrongRuns += " " + std::to_string(n) + "(" + faults_.Failed() + ")";
    }
  }
  std::printf("%s: %zu calls, %d runs judged, %d wrong%s\n", row.name, calls.size(), judged, wrong,
              wrongRuns.c_str());
}

INSTANTIATE_TEST_SUITE_P(Operation, FaultTable, ::testing::ValuesIn(kRows),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace rmtest
