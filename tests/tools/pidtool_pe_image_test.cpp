// doctor's header reader over the built module, the fixtures and damaged copies of them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "doctor/doctor_findings.h"
#include "doctor/pe_image.h"

namespace pidtool {
namespace {

// The test programs run in the folder that holds the module and the fixtures.
std::vector<unsigned char> FileBytes(const char* name) {
  std::ifstream file(name, std::ios::binary);
  EXPECT_TRUE(file) << name;
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

PeImageFacts Read(const std::vector<unsigned char>& bytes) {
  PeImageFacts facts;
  std::string problem;
  EXPECT_TRUE(ReadPeImage(bytes.data(), bytes.size(), &facts, &problem)) << problem;
  return facts;
}

class BufferImage : public ImageBytes {
 public:
  explicit BufferImage(const std::vector<unsigned char>& bytes) : bytes_(bytes) {}
  std::uint64_t Size() const override { return bytes_.size(); }
  bool Read(std::uint64_t offset, std::size_t count, void* out) override {
    if (offset > bytes_.size() || count > bytes_.size() - offset) return false;
    std::memcpy(out, bytes_.data() + offset, count);
    return true;
  }

 private:
  const std::vector<unsigned char>& bytes_;
};

bool Has(const PeImageFacts& facts, const char* name) {
  return std::find(facts.exportNames.begin(), facts.exportNames.end(), name) !=
         facts.exportNames.end();
}

TEST(PeImage, ReadsTheModulesWidthAndComServerExports) {
  const PeImageFacts module = Read(FileBytes("Rm7731.pid"));
  EXPECT_EQ(module.machine, OwnMachine());
  EXPECT_TRUE(module.isDll);
  for (const char* name :
       {"DllGetClassObject", "DllCanUnloadNow", "DllRegisterServer", "DllUnregisterServer"}) {
    EXPECT_TRUE(Has(module, name)) << name;
  }
  // The library functions carry C++ linkage, so their names come decorated.
  EXPECT_TRUE(std::any_of(
      module.exportNames.begin(), module.exportNames.end(),
      [](const std::string& name) { return name.find("QXCreateInstance") != std::string::npos; }));
}

TEST(PeImage, TellsTheOtherWidthAProgramAndAModuleWithoutComExports) {
  const PeImageFacts other = Read(FileBytes("pidtool_fixture_other_width.dll"));
  EXPECT_NE(other.machine, OwnMachine());
  EXPECT_EQ(MachineName(other.machine), sizeof(void*) == 8 ? "x86 (32-bit)" : "x64 (64-bit)");
  EXPECT_TRUE(other.isDll);
  EXPECT_TRUE(Has(other, "DllGetClassObject"));

  const PeImageFacts plain = Read(FileBytes("pidtool_fixture_plain.dll"));
  EXPECT_TRUE(plain.isDll);
  EXPECT_TRUE(Has(plain, "FixtureAnswer"));
  EXPECT_FALSE(Has(plain, "DllGetClassObject"));

  EXPECT_FALSE(Read(FileBytes("pidtool.exe")).isDll);
  EXPECT_EQ(MachineName(0x1234), "machine 0x1234");
}

// The import directory names the DLLs the loader must find; a cut copy is refused, not misread.
TEST(PeImage, ReadsTheNamesOfTheImportedDlls) {
  std::vector<unsigned char> bytes = FileBytes("pidtool_fixture_indirect_import.dll");
  BufferImage image(bytes);
  std::vector<std::string> dlls;
  std::string problem;
  ASSERT_TRUE(ReadPeImports(image, &dlls, &problem)) << problem;
  EXPECT_NE(std::find(dlls.begin(), dlls.end(), "pidtool_fixture_missing_import.dll"), dlls.end());
  EXPECT_NE(std::find_if(dlls.begin(), dlls.end(),
                         [](const std::string& dll) {
                           return dll == "KERNEL32.dll" || dll == "kernel32.dll";
                         }),
            dlls.end());

  // Cut inside the name of the missing DLL's importer.
  const std::string name = "pidtool_fixture_missing_import.dll";
  const auto at = std::search(bytes.begin(), bytes.end(), name.begin(), name.end());
  ASSERT_NE(at, bytes.end());
  bytes.resize(static_cast<std::size_t>(at - bytes.begin()) + name.size() / 2);
  BufferImage cut(bytes);
  problem.clear();
  EXPECT_FALSE(ReadPeImports(cut, &dlls, &problem));
  EXPECT_FALSE(problem.empty());
}

TEST(PeImage, RefusesEveryCutCopyThatEndsBeforeTheLastExportName) {
  const std::vector<unsigned char> whole = FileBytes("pidtool_fixture_other_width.dll");
  const PeImageFacts facts = Read(whole);
  ASSERT_FALSE(facts.exportNames.empty());
  // The end of the last name in the file bounds what the reader needs.
  const std::string last = facts.exportNames.back() + '\0';
  const auto at = std::search(whole.begin(), whole.end(), last.begin(), last.end());
  ASSERT_NE(at, whole.end());
  const std::size_t needed = static_cast<std::size_t>(at - whole.begin()) + last.size();
  for (std::size_t size = 0; size < needed; ++size) {
    PeImageFacts cut;
    std::string problem;
    EXPECT_FALSE(ReadPeImage(whole.data(), size, &cut, &problem)) << "cut at " << size;
    EXPECT_FALSE(problem.empty()) << "cut at " << size;
  }
}

TEST(PeImage, RefusesOffsetsThatPointOutsideTheFile) {
  std::vector<unsigned char> bytes = FileBytes("pidtool_fixture_plain.dll");
  ASSERT_GT(bytes.size(), 0x40u);
  const unsigned char farAway[4] = {0xF0, 0xFF, 0xFF, 0xFF};
  std::memcpy(&bytes[0x3C], farAway, 4);
  PeImageFacts facts;
  std::string problem;
  EXPECT_FALSE(ReadPeImage(bytes.data(), bytes.size(), &facts, &problem));
  EXPECT_EQ(problem, "no PE header where the DOS header points");

  const std::vector<unsigned char> text = {'h', 'e', 'l', 'l', 'o'};
  EXPECT_FALSE(ReadPeImage(text.data(), text.size(), &facts, &problem));
  EXPECT_EQ(problem, "no MZ header: not a Windows module");
}

TEST(DoctorFindings, PrintsOneLinePerFindingAndCountsThem) {
  const std::vector<Finding> findings = {
      {Severity::Error, "file-missing", "HKEY_LOCAL_MACHINE\\K", "gone", "register it"},
      {Severity::Note, "bare-file", "HKEY_LOCAL_MACHINE\\K", "bare \"x\"", "nothing"}};
  EXPECT_EQ(FindingsText(findings, DoctorScope{1, 2, 64}),
            "error [file-missing] HKEY_LOCAL_MACHINE\\K: gone. Fix: register it.\n"
            "note [bare-file] HKEY_LOCAL_MACHINE\\K: bare \"x\". Fix: nothing.\n"
            "1 error, 0 warnings, 1 note in 1 component and 2 categories (64-bit registry view)\n");
  EXPECT_EQ(DoctorExitStatus(findings), 1);
  EXPECT_EQ(DoctorExitStatus({findings[1]}), 0);
  EXPECT_EQ(FindingsJson({findings[1]}),
            "[\n  {\n    \"severity\": \"note\",\n    \"code\": \"bare-file\",\n"
            "    \"key\": \"HKEY_LOCAL_MACHINE\\\\K\",\n    \"problem\": \"bare \\\"x\\\"\",\n"
            "    \"remedy\": \"nothing\"\n  }\n]\n");
  EXPECT_EQ(FindingsJson({}), "[]\n");
}

}  // namespace
}  // namespace pidtool
