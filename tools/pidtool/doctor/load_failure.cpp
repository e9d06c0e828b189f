#include "doctor/load_failure.h"

#include <algorithm>
#include <cctype>
#include <set>
#include <vector>

#include "cli/result_names.h"
#include "cli/text_format.h"
#include "doctor/pe_image.h"

namespace pidtool {
namespace {

// How deep the search for a missing import goes through DLLs that import others.
constexpr int kImportDepth = 8;

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

// Where the loader would find `name` for this process: already loaded (then `path` is empty),
// an API set the loader resolves itself, or a file beside this program, in the system folders,
// the current folder or on the PATH.
bool FindImportedDll(const std::string& name, std::string* path) {
  path->clear();
  const std::string lower = Lower(name);
  const std::wstring wide = Wide(name);
  if (GetModuleHandleW(wide.c_str()) != nullptr || lower.rfind("api-ms-", 0) == 0 ||
      lower.rfind("ext-ms-", 0) == 0) {
    return true;
  }
  std::vector<wchar_t> found(32768);
  const DWORD length = SearchPathW(nullptr, wide.c_str(), nullptr, static_cast<DWORD>(found.size()),
                                   found.data(), nullptr);
  if (length == 0 || length >= found.size()) return false;
  *path = Utf8(found.data(), length);
  return true;
}

// The imports from the module at `path` down to the first DLL that cannot be found
// ({"a.dll", "b.dll"}: it imports a.dll, which imports b.dll, which is missing); empty when
// every DLL is found.
std::vector<std::string> MissingImportChain(const std::string& path, int depth,
                                            std::set<std::string>* seen) {
  std::vector<std::string> dlls;
  if (depth == kImportDepth || !ReadModuleImports(path, &dlls)) return {};
  for (const std::string& dll : dlls) {
    if (!seen->insert(Lower(dll)).second) continue;
    std::string found;
    if (!FindImportedDll(dll, &found)) return {dll};
    if (found.empty()) continue;
    std::vector<std::string> chain = MissingImportChain(found, depth + 1, seen);
    if (!chain.empty()) {
      chain.insert(chain.begin(), dll);
      return chain;
    }
  }
  return {};
}

bool IsMingwRuntimeDll(const std::string& name) {
  const std::string lower = Lower(name);
  return lower.rfind("libstdc++", 0) == 0 || lower.rfind("libgcc_s_", 0) == 0 ||
         lower.rfind("libwinpthread", 0) == 0;
}

LoadFailure OtherWidth(std::uint16_t machine) {
  const std::string own = MachineName(OwnMachine());
  if (machine == IMAGE_FILE_MACHINE_AMD64 || machine == IMAGE_FILE_MACHINE_I386) {
    const bool wide = machine == IMAGE_FILE_MACHINE_AMD64;
    return {"it is built for " + MachineName(machine) + ", and this pidtool is " + own +
                ": a process loads only modules of its own width",
            std::string("use the ") + (wide ? "64-bit" : "32-bit") + " pidtool, or regsvr32 from " +
                (wide ? "System32" : "SysWOW64 (System32 on 32-bit Windows)")};
  }
  return {
      "it is built for " + MachineName(machine) + ", which this " + own + " pidtool cannot load",
      ""};
}

}  // namespace

LoadFailure ExplainLoadFailure(const std::string& file, DWORD error) {
  std::string path = file;
  const DWORD attributes = GetFileAttributesW(Wide(file).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES && !FindImportedDll(file, &path)) {
    return {"there is no such file", ""};
  }
  const ModuleFile facts = InspectModuleFile(path.empty() ? file : path);
  if (!facts.readable) return {"it is no loadable module: " + facts.problem, ""};
  if (facts.image.machine != OwnMachine()) return OtherWidth(facts.image.machine);

  std::set<std::string> seen;
  const std::vector<std::string> chain = MissingImportChain(path.empty() ? file : path, 0, &seen);
  if (!chain.empty()) {
    std::string why = "it imports '" + chain.front() + "'";
    for (std::size_t i = 1; i < chain.size(); ++i) why += ", which imports '" + chain[i] + "'";
    why +=
        ", which is not beside pidtool, in the system folders, the current folder or on the PATH";
    return {why, IsMingwRuntimeDll(chain.back())
                     ? "link the module with -static, which puts mingw's runtime into it"
                     : "put " + chain.back() +
                           " beside the host's executable (pidtool's, to register) or in a folder "
                           "on the PATH"};
  }
  if (error == ERROR_MOD_NOT_FOUND)
    return {"a DLL it imports, or one of theirs, cannot be loaded", ""};
  return {};
}

std::string LoadFailureText(const LoadFailure& failure, DWORD error) {
  const std::string loader = "LoadLibraryW failed with " + DescribeWindowsError(error);
  return failure.why.empty() ? loader : failure.why + " (" + loader + ")";
}

}  // namespace pidtool
