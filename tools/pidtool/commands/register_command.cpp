// register / unregister: load a module file and call its DllRegisterServer or
// DllUnregisterServer, as regsvr32 does.
#include <windows.h>

#include "base/unique_handle.h"
#include "cli/command_line.h"
#include "cli/json_writer.h"
#include "cli/reporting.h"
#include "cli/result_names.h"
#include "cli/text_format.h"

namespace pidtool {
namespace {

using ServerRegistrationFunction = HRESULT(STDAPICALLTYPE*)();

ServerRegistrationFunction Export(HMODULE module, const char* name) {
  return reinterpret_cast<ServerRegistrationFunction>(GetProcAddress(module, name));
}

// ERROR_MOD_NOT_FOUND names both a missing file and a missing import of an existing one.
std::string LoadFailure(const std::string& file, DWORD error) {
  const DWORD attributes = GetFileAttributesA(file.c_str());
  const bool fileExists =
      attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
  const std::string why = "LoadLibraryA failed with " + DescribeWindowsError(error);
  if (error == ERROR_MOD_NOT_FOUND && fileExists) {
    return "cannot load '" + file + "': a module it imports is missing (" + why +
           "); put the DLLs it imports beside it or on the PATH, and link a mingw-built module "
           "with -static";
  }
  return "cannot load '" + file + "': " + why;
}

std::string FilePath(HMODULE module) {
  char path[MAX_PATH];
  const DWORD length = GetModuleFileNameA(module, path, MAX_PATH);
  return length > 0 && length < MAX_PATH ? std::string(path, length) : std::string();
}

}  // namespace

int RunRegistration(const ParsedCommandLine& parsed) {
  const CommandSpec& command = *parsed.command;
  const bool registering = command.id == CommandId::Register;
  const char* exportName = registering ? "DllRegisterServer" : "DllUnregisterServer";
  const std::string& file = parsed.arguments[0];

  rm::UniqueModule module(LoadLibraryA(file.c_str()));
  if (!module) {
    const DWORD error = GetLastError();
    return Failure(parsed, {LoadFailure(file, error), WindowsErrorCode(error)});
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
    return Failure(parsed, {line, HresultCode(result)});
  }

  if (parsed.json) {
    JsonWriter json;
    json.BeginObject()
        .Key("command")
        .String(command.name)
        .Key("module")
        .String(AnsiToUtf8(path))
        .Key("export")
        .String(exportName)
        .Key("hresult")
        .Number(static_cast<unsigned long>(result))
        .Key("result")
        .String(DescribeHresult(result))
        .EndObject();
    PrintOut(json.Text());
  } else {
    PrintOut(Printf("%s '%s': %s returned %s\n", registering ? "Registered" : "Unregistered",
                    path.c_str(), exportName, DescribeHresult(result).c_str()));
  }
  return kExitSuccess;
}

}  // namespace pidtool
