// register / unregister: load a module file and call its DllRegisterServer or
// DllUnregisterServer, as regsvr32 does.
#include <windows.h>

#include <vector>

#include "cli/command_line.h"
#include "cli/json.h"
#include "cli/reporting.h"
#include "cli/result_names.h"
#include "cli/text_format.h"
#include "doctor/load_failure.h"
#include "shared/unique_handle.h"

namespace pidtool {
namespace {

using ServerRegistrationFunction = HRESULT(STDAPICALLTYPE*)();

ServerRegistrationFunction Export(HMODULE module, const char* name) {
  return reinterpret_cast<ServerRegistrationFunction>(GetProcAddress(module, name));
}

// The loader's error alone does not say why: ERROR_MOD_NOT_FOUND names both a missing file and
// a missing import, ERROR_BAD_EXE_FORMAT both a file that is no module and one of the other width.
std::string LoadFailureLine(const std::string& file, DWORD error) {
  const LoadFailure failure = ExplainLoadFailure(file, error);
  return "cannot load '" + file + "': " + LoadFailureText(failure, error) +
         (failure.remedy.empty() ? "" : "; " + failure.remedy);
}

// The path the loader took the module from, as it names it (wide, so whatever its characters).
std::string FilePath(HMODULE module) {
  std::vector<wchar_t> path(32768);
  const DWORD length = GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()));
  return length > 0 && length < path.size() ? Utf8(path.data(), length) : std::string();
}

// The registry refuses to write HKEY_LOCAL_MACHINE for a process that is not elevated. The
// tool's manifest asks for no elevation (asInvoker), so such a run fails instead of being
// written into the user's VirtualStore, where no host looks.
// compat F24
std::string ElevationHint(HRESULT result) {
  return result == E_ACCESSDENIED
             ? "; registering and unregistering write HKEY_LOCAL_MACHINE: run pidtool from an "
               "elevated command prompt (Run as administrator)"
             : "";
}

}  // namespace

int RunRegistration(const ParsedCommandLine& parsed) {
  const CommandSpec& command = *parsed.command;
  const bool registering = command.id == CommandId::Register;
  const char* exportName = registering ? "DllRegisterServer" : "DllUnregisterServer";
  const std::string& file = parsed.arguments[0];

  rm::UniqueModule module(LoadLibraryW(Wide(file).c_str()));
  if (!module) {
    const DWORD error = GetLastError();
    return Failure(parsed, {LoadFailureLine(file, error), WindowsErrorCode(error)});
  }
  std::string path = FilePath(module.get());
  if (path.empty()) path = file;

  const ServerRegistrationFunction call = Export(module.get(), exportName);
  if (call == nullptr) {
    // A stdcall function exported without a .def keeps its x86 decoration.
    const std::string decorated = std::string(exportName) + "@0";
    const std::string hint =
        Export(module.get(), decorated.c_str()) != nullptr
            ? "; it exports " + decorated + ": export the plain name through a .def file"
            : std::string();
    return Failure(parsed,
                   {Printf("'%s' has no %s export; nothing was %s%s", path.c_str(), exportName,
                           registering ? "registered" : "unregistered", hint.c_str()),
                    WindowsErrorCode(ERROR_PROC_NOT_FOUND)});
  }

  const HRESULT result = call();
  if (FAILED(result)) {
    std::string line = Printf("%s of '%s' failed with %s", exportName, path.c_str(),
                              DescribeHresult(result).c_str());
    if (registering) {
      // Take back whatever the failed registration may have written.
      const ServerRegistrationFunction undo = Export(module.get(), "DllUnregisterServer");
      if (undo != nullptr) {
        line += "; DllUnregisterServer called to take back what it wrote returned " +
                DescribeHresult(undo());
      } else {
        line += "; the module has no DllUnregisterServer to take back what it may have written";
      }
    }
    return Failure(parsed, {line + ElevationHint(result), HresultCode(result)});
  }

  if (parsed.json) {
    PrintOut(JsonText({{"command", command.name},
                       {"module", path},
                       {"export", exportName},
                       {"hresult", static_cast<unsigned long>(result)},
                       {"result", DescribeHresult(result)}}));
  } else {
    PrintOut(Printf("%s '%s': %s returned %s\n", registering ? "Registered" : "Unregistered",
                    path.c_str(), exportName, DescribeHresult(result).c_str()));
  }
  return kExitSuccess;
}

}  // namespace pidtool
