// doctor's checks on snapshots built here, no registry or file involved; its table of finding
// kinds against docs/pidtool.md; and how little of a module the header reader reads.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <iterator>
#include <regex>
#include <set>
#include <sstream>
#include <utility>
#include <vector>

#include "doctor/doctor_checks.h"

namespace pidtool {
namespace {

const std::string kRootPath = "SOFTWARE\\Varnel\\Component Installed";
const std::string kA = "{5C1E2F7A-93B4-4D60-A1E8-3F0B6D92C415}";
const std::string kId = "{00000000-0000-0000-0000-0000000000AB}";
const std::string kModule = "C:\\modules\\a.dll";

RegistryValue Text(const std::string& name, const std::string& text) {
  return {name, REG_SZ, std::vector<unsigned char>(text.c_str(), text.c_str() + text.size() + 1)};
}
RegistryValue Bytes(const std::string& name, DWORD type, std::vector<unsigned char> data) {
  return {name, type, std::move(data)};
}
RegistryValue Id(const std::string& name, unsigned char last) {
  std::vector<unsigned char> id(16, 0);
  id[15] = last;
  return {name, REG_BINARY, id};
}

// A snapshot of one sound component, which each case then damages.
struct Snapshot {
  DoctorSnapshot s;
  Snapshot() {
    s.viewBits = 64;
    s.hostMachine = OwnMachine();
    s.hostDir = "C:\\host";
    s.machine = {RootView{"HKEY_LOCAL_MACHINE", "HKLM", true, 64},
                 KeyNode{"", kRootPath, 0, {}, {}}};
    s.user = {RootView{"HKEY_CURRENT_USER", "HKCU", false, 64}, KeyNode{"", kRootPath, 0, {}, {}}};
    Key(Machine(), kA)->values = {Text("", "A"), Text("File", kModule),
                                  Bytes("RefCount", REG_DWORD, {1, 0, 0, 0})};
    Key(Machine(), "Category\\CATEGORY_X\\" + kA)->values = {Text("", "A")};
    s.files[kModule] = Module();
  }
  static ModuleFile Module() {
    ModuleFile file{true, true, "", {}};
    file.image = {OwnMachine(),
                  true,
                  {"DllCanUnloadNow", "DllGetClassObject"},
                  {"DllCanUnloadNow", "DllGetClassObject"}};
    return file;
  }
  KeyNode& Machine() { return s.machine.tree; }
  KeyNode& User() { return s.user.tree; }
  // The key at `path` below `root`, made with its parents where missing.
  static KeyNode* Key(KeyNode& root, const std::string& path) {
    KeyNode* node = &root;
    std::istringstream names(path);
    for (std::string name; std::getline(names, name, '\\');) {
      auto found = std::find_if(node->subKeys.begin(), node->subKeys.end(),
                                [&](const KeyNode& k) { return k.name == name; });
      if (found == node->subKeys.end()) {
        node->subKeys.push_back(KeyNode{name, node->path + "\\" + name, 0, {}, {}});
        found = node->subKeys.end() - 1;
      }
      node = &*found;
    }
    return node;
  }
  ModuleFile& File() { return s.files[kModule]; }
};

// "code KEY" of each finding, the key below its root with "HKCU:" for per-user ones.
std::multiset<std::string> Codes(const Snapshot& snapshot) {
  DoctorScope scope;
  std::multiset<std::string> codes;
  for (const Finding& finding : CheckSnapshot(snapshot.s, &scope)) {
    const bool user = finding.key.rfind("HKEY_CURRENT_USER", 0) == 0;
    const std::string below = finding.key.substr(finding.key.find(kRootPath) + kRootPath.size());
    codes.insert(finding.code + " " + (user ? "HKCU:" : "") + below);
  }
  return codes;
}

TEST(DoctorChecks, FindNothingInASoundSnapshotAndCountWhatTheyWalked) {
  Snapshot sound;
  DoctorScope scope;
  EXPECT_TRUE(CheckSnapshot(sound.s, &scope).empty());
  EXPECT_EQ(scope.components, 1);
  EXPECT_EQ(scope.categories, 1);
  EXPECT_EQ(scope.viewBits, 64);
}

TEST(DoctorChecks, FindEachFaultOnceAtItsKey) {
  const std::string a = "\\" + kA, map = a + "\\Object ID Map", user = "HKCU:" + a;
  const struct {
    const char* what;
    std::function<void(Snapshot&)> damage;
    std::multiset<std::string> expected;
  } cases[] = {
      {"module gone", [](Snapshot& t) { t.File().found = false; }, {"file-missing " + a}},
      {"bare name not beside the host",
       [](Snapshot& t) { t.Key(t.Machine(), kA)->values[1] = Text("File", "a.dll"); },
       {"bare-file-missing " + a}},
      {"bare name beside the host",
       [](Snapshot& t) {
         t.Key(t.Machine(), kA)->values[1] = Text("File", "a.dll");
         t.s.files["C:\\host\\a.dll"] = Snapshot::Module();
       },
       {"bare-file " + a}},
      {"relative",
       [](Snapshot& t) { t.Key(t.Machine(), kA)->values[1] = Text("File", "m\\a.dll"); },
       {"relative-file " + a}},
      {"no File",
       [](Snapshot& t) {
         t.Key(t.Machine(), kA)->values.pop_back(), t.Key(t.Machine(), kA)->values.pop_back();
       },
       {"no-file " + a}},
      {"File too long",
       [](Snapshot& t) {
         t.Key(t.Machine(), kA)->values[1] = Text("File", "C:\\" + std::string(300, 'x'));
       },
       {"no-file " + a}},
      // QXCreateInstance reads 259 UTF-16 characters: not bytes of UTF-8, not code points.
      // compat F23
      {"File of 203 characters in two bytes of UTF-8 each",
       [](Snapshot& t) {
         std::string path = "C:\\";
         for (int i = 0; i < 200; ++i) path += "\u0416";
         t.Key(t.Machine(), kA)->values[1] = Text("File", path);
         t.s.files[path] = Snapshot::Module();
       },
       {}},
      {"File of 129 characters outside the BMP, two UTF-16 units each",
       [](Snapshot& t) {
         std::string path = "C:\\";
         for (int i = 0; i < 129; ++i) path += "\U0001D11E";
         t.Key(t.Machine(), kA)->values[1] = Text("File", path);
       },
       {"no-file " + a}},
      {"no PE image", [](Snapshot& t) { t.File().readable = false; }, {"not-a-module " + a}},
      {"other machine", [](Snapshot& t) { t.File().image.machine = 0xAA64; }, {"wrong-width " + a}},
      {"a program", [](Snapshot& t) { t.File().image.isDll = false; }, {"not-a-dll " + a}},
      {"no exports",
       [](Snapshot& t) {
         t.File().image = {OwnMachine(), true, {}, {}};
       },
       {"no-dllgetclassobject " + a, "no-dllcanunloadnow " + a}},
      {"class object in data",
       [](Snapshot& t) { t.File().image.exportedCode.pop_back(); },
       {"not-a-module " + a}},
      {"load failed",
       [](Snapshot& t) {
         t.s.probes[kA] = {LoadProbe::Outcome::LoadFailed, 126, false, "", {}};
       },
       {"load-failed " + a}},
      {"crashed",
       [](Snapshot& t) {
         t.s.probes[kA] = {LoadProbe::Outcome::Crashed, 0xC0000005, false, "x", {}};
       },
       {"load-crashed " + a}},
      {"refused",
       [](Snapshot& t) {
         t.s.probes[kA] = {LoadProbe::Outcome::Answered, 0x80040111, false, "", {}};
       },
       {"class-object-refused " + a}},
      {"answered",
       [](Snapshot& t) {
         t.s.probes[kA] = {LoadProbe::Outcome::Answered, 0, true, "", {}};
       },
       {}},
      {"count 0",
       [](Snapshot& t) {
         t.Key(t.Machine(), kA)->values[2].data = {0, 0, 0, 0};
       },
       {"refcount-zero " + a}},
      {"count as text",
       [](Snapshot& t) { t.Key(t.Machine(), kA)->values[2] = Text("RefCount", "1"); },
       {"refcount-type " + a}},
      {"empty name",
       [](Snapshot& t) { t.Key(t.Machine(), kA)->values[0] = Text("", ""); },
       {"no-friendly-name " + a, "category-name-mismatch \\Category\\CATEGORY_X" + a}},
      {"unterminated",
       [](Snapshot& t) { t.Key(t.Machine(), kA)->values[0].data.pop_back(); },
       {"unterminated-text " + a}},
      {"entry renamed",
       [](Snapshot& t) {
         t.Key(t.Machine(), "Category\\CATEGORY_X\\" + kA)->values[0] = Text("", "B");
       },
       {"category-name-mismatch \\Category\\CATEGORY_X" + a}},
      {"uninstalled",
       [](Snapshot& t) {
         t.Machine().subKeys.erase(t.Machine().subKeys.begin()), t.s.files.clear();
       },
       {"category-orphan \\Category\\CATEGORY_X" + a}},
      {"empty category",
       [](Snapshot& t) { t.Key(t.Machine(), "Category\\CATEGORY_Y"); },
       {"category-empty \\Category\\CATEGORY_Y"}},
      {"map value of 4 bytes",
       [](Snapshot& t) {
         t.Key(t.Machine(), kA + "\\Object ID Map")->values = {
             Bytes("x", REG_BINARY, {1, 2, 3, 4})};
       },
       {"object-id-type " + map}},
      {"shared identifier",
       [](Snapshot& t) {
         t.Key(t.Machine(), kA + "\\Object ID Map")->values = {Id("x", 1), Id("y", 1)};
       },
       {"object-id-shared " + map}},
      {"object of no name",
       [](Snapshot& t) { t.Key(t.Machine(), kA + "\\Object\\" + kId); },
       {"object-orphan " + a + "\\Object\\" + kId}},
      {"per-user identifier differs",
       [](Snapshot& t) {
         t.Key(t.Machine(), kA + "\\Object ID Map")->values = {Id("x", 1)};
         t.Key(t.User(), kA + "\\Object ID Map")->values = {Id("x", 2)};
       },
       {"object-id-differs HKCU:" + map}},
      {"per-user object mapped per machine",
       [](Snapshot& t) {
         t.Key(t.Machine(), kA + "\\Object ID Map")->values = {Id("x", 0xAB)};
         t.Key(t.User(), kA + "\\Object\\" + kId + "\\User Settings");
       },
       {}},
      {"registered nowhere",
       [](Snapshot& t) { t.Key(t.User(), kId); },
       {"user-component-unregistered HKCU:\\" + kId}},
      {"registered in the other view",
       [](Snapshot& t) {
         t.Key(t.User(), kId);
         t.s.otherMachine = RootSnapshot{RootView{"HKEY_LOCAL_MACHINE", "HKLM", true, 32},
                                         KeyNode{"", kRootPath, 0, {}, {}}};
         t.Key(t.s.otherMachine->tree, kId);
       },
       {}},
      {"other view unreadable",
       [](Snapshot& t) {
         t.Key(t.User(), kId);
         t.s.otherMachine = RootSnapshot{RootView{"HKEY_LOCAL_MACHINE", "HKLM", true, 32},
                                         KeyNode{"", kRootPath, 5, {}, {}}};
       },
       {"registry-unreadable "}},
      {"strays",
       [](Snapshot& t) {
         t.Key(t.Machine(), "Junk"), t.Key(t.User(), "Category"),
             t.Machine().values = {Text("x", "1")};
       },
       {"stray-key \\Junk", "stray-key HKCU:\\Category", "stray-value "}},
      {"stray in a component",
       [](Snapshot& t) {
         t.Key(t.Machine(), kA + "\\Other"), t.Key(t.User(), kA)->values = {Text("v", "1")};
       },
       {"stray-key " + a + "\\Other", "stray-value " + user}},
  };
  for (const auto& one : cases) {
    Snapshot snapshot;
    one.damage(snapshot);
    EXPECT_EQ(Codes(snapshot), one.expected) << one.what;
  }
}

TEST(DoctorChecks, OfferNoCommandForANameACommandPromptWouldActOn) {
  Snapshot snapshot;
  Snapshot::Key(snapshot.Machine(), "x\" & echo hi & \"");
  Snapshot::Key(snapshot.Machine(), "{command}");
  DoctorScope scope;
  const std::vector<Finding> findings = CheckSnapshot(snapshot.s, &scope);
  ASSERT_EQ(findings.size(), 2u);
  EXPECT_EQ(findings[0].remedy.find("reg delete"), std::string::npos) << findings[0].remedy;
  EXPECT_NE(findings[0].remedy.find("in regedit, delete the key 'x\" & echo hi & \"'"),
            std::string::npos);
  // A name that looks like a placeholder is printed as it stands.
  EXPECT_NE(findings[1].remedy.find("\"HKLM\\" + kRootPath + "\\{command}\" /f /reg:64"),
            std::string::npos)
      << findings[1].remedy;
}

// The table of codes in docs/pidtool.md: "| `code`[, `code`] | severity | meaning |".
TEST(DoctorFindingKinds, AreTheCodesAndSeveritiesTheDocsList) {
  std::ifstream doc(RM_PIDTOOL_DOC_PATH);
  ASSERT_TRUE(doc) << RM_PIDTOOL_DOC_PATH;
  const std::string text{std::istreambuf_iterator<char>(doc), std::istreambuf_iterator<char>()};
  const std::size_t section = text.find("## Finding faults: pidtool doctor");
  ASSERT_NE(section, std::string::npos);
  std::istringstream lines(text.substr(section, text.find("\n## ", section) - section));
  const std::regex row(R"(^\| (`[a-z-]+`(?:, `[a-z-]+`)*) \| (error|warning|note) \|)");
  const std::regex code("`([a-z-]+)`");
  std::set<std::string> documented, coded;
  for (std::string line; std::getline(lines, line);) {
    std::smatch match;
    if (!std::regex_search(line, match, row)) continue;
    const std::string codes = match[1], severity = match[2];
    for (std::sregex_iterator at(codes.begin(), codes.end(), code), end; at != end; ++at) {
      documented.insert((*at)[1].str() + " " + severity);
    }
  }
  for (const FindingKindRow& kind : FindingKinds())
    coded.insert(std::string(kind.code) + " " + SeverityName(kind.severity));
  EXPECT_EQ(documented, coded);
}

TEST(DoctorFindingKinds, FillEveryPlaceholderOfTheirRemedies) {
  for (const FindingKindRow& kind : FindingKinds()) {
    const Finding finding = MakeFinding(kind.kind, "K", "p", RemedyDetails{"CMD", "NAME", 32});
    EXPECT_EQ(finding.remedy.find('{'), std::string::npos) << kind.code << ": " << finding.remedy;
    EXPECT_EQ(finding.code, kind.code);
    EXPECT_EQ(finding.severity, kind.severity);
  }
  EXPECT_EQ(
      MakeFinding(FindingKind::NotADll, "K", "p", RemedyDetails{"CMD", "", 32}).remedy,
      "register the module again with the 32-bit pidtool or regsvr32, or remove the component: CMD");
}

// Counts what the reader asks for.
class CountedBytes : public ImageBytes {
 public:
  explicit CountedBytes(std::vector<unsigned char> bytes) : bytes_(std::move(bytes)) {}
  std::uint64_t Size() const override { return bytes_.size(); }
  bool Read(std::uint64_t offset, std::size_t count, void* out) override {
    if (offset > bytes_.size() || count > bytes_.size() - offset) return false;
    std::copy_n(bytes_.begin() + static_cast<std::ptrdiff_t>(offset), count,
                static_cast<unsigned char*>(out));
    read += count;
    return true;
  }
  std::uint64_t read = 0;

 private:
  std::vector<unsigned char> bytes_;
};

TEST(PeImage, ReadsOnlyTheHeadersAndTheExportsOfAModule) {
  std::ifstream file("Rm7731.pid", std::ios::binary);
  std::vector<unsigned char> bytes{std::istreambuf_iterator<char>(file),
                                   std::istreambuf_iterator<char>()};
  // Data appended past the image, as installers and signatures append it: what is read must
  // not grow with the file.
  bytes.resize(bytes.size() + (1 << 20));
  CountedBytes module(std::move(bytes));
  PeImageFacts facts;
  std::string problem;
  ASSERT_TRUE(ReadPeImage(module, &facts, &problem)) << problem;
  EXPECT_NE(std::find(facts.exportedCode.begin(), facts.exportedCode.end(), "DllGetClassObject"),
            facts.exportedCode.end());
  EXPECT_LT(module.read * 10, module.Size()) << module.read << " of " << module.Size();
}

}  // namespace
}  // namespace pidtool
