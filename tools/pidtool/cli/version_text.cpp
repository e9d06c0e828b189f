#include "cli/version_text.h"

#include <windows.h>

#include <vector>

#include "cli/json.h"
#include "cli/text_format.h"

#define PIDTOOL_STRINGIFY2(x) #x
#define PIDTOOL_STRINGIFY(x) PIDTOOL_STRINGIFY2(x)

namespace pidtool {
namespace {

constexpr char kToolVersion[] = PIDTOOL_STRINGIFY(RM_VERSION_MAJOR) "." PIDTOOL_STRINGIFY(
    RM_VERSION_MINOR) "." PIDTOOL_STRINGIFY(RM_VERSION_PATCH);

struct ModuleVersion {
  std::string path;     // empty when the module is not loaded
  std::string version;  // "1.0.0.0", or empty without a version resource
};

// The tool imports Rm7731.pid, so the loader has already picked the file: name that one, by
// its wide path, whatever the folder's name holds.
ModuleVersion LoadedModuleVersion() {
  ModuleVersion module;
  std::vector<wchar_t> path(32768);
  const HMODULE handle = GetModuleHandleW(L"Rm7731.pid");
  const DWORD length =
      handle != nullptr ? GetModuleFileNameW(handle, path.data(), static_cast<DWORD>(path.size()))
                        : 0;
  if (length == 0 || length >= path.size()) return module;
  module.path = Utf8(path.data(), length);

  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(path.data(), &ignored);
  if (size == 0) return module;
  std::vector<char> block(size);
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT fixedSize = 0;
  if (GetFileVersionInfoW(path.data(), 0, size, block.data()) &&
      VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &fixedSize) &&
      fixedSize >= sizeof(VS_FIXEDFILEINFO)) {
    module.version =
        Printf("%u.%u.%u.%u", HIWORD(fixed->dwFileVersionMS), LOWORD(fixed->dwFileVersionMS),
               HIWORD(fixed->dwFileVersionLS), LOWORD(fixed->dwFileVersionLS));
  }
  return module;
}

}  // namespace

std::string VersionText(bool json) {
  const ModuleVersion module = LoadedModuleVersion();
  if (json) {
    return JsonText(
        {{"pidtool", kToolVersion},
         {"module",
          {{"file", StringOrNull(module.path)}, {"version", StringOrNull(module.version)}}}});
  }
  std::string text = std::string("pidtool ") + kToolVersion + "\n";
  if (module.path.empty()) return text + "Rm7731.pid is not loaded\n";
  return text + "Rm7731.pid " +
         (module.version.empty() ? "(no version resource)" : module.version) + " (" + module.path +
         ")\n";
}

}  // namespace pidtool
