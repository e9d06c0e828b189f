// register / unregister: load a module file and call its DllRegisterServer or
// DllUnregisterServer, as regsvr32 does.
#include <windows.h>

#include "command_line.h"
#include "common/unique_handle.h"
#include "json_writer.h"
#include "reporting.h"
#include "result_names.h"
#include "text_format.h"

namespace pidtool {
namespace {

using ServerRegistrationFunction = HRESULT(STDAPICALLTYPE*)();

ServerRegistrationFunction Export(HMODULE module, const char* name) {
  return reinterpret_cast<ServerRegistrationFunction>(GetProcAddress(module, name));
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
    return Failure(command, Printf("cannot load '%s': LoadLibraryA failed with %s", file.c_str(),
                                   DescribeWindowsError(error).c_str()));
  }
  std::string path = FilePath(module.get());
  if (path.empty()) path = file;

  const ServerRegistrationFunction call = Export(module.get(), exportName);
  if (call == nullptr) {
    return Failure(command, Printf("'%s' has no %s export; nothing was %s", path.c_str(), exportName,
                                   registering ? "registered" : "unregistered"));
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
    return Failure(command, line);
  }

  if (parsed.json) {
    JsonWriter json;
    json.BeginObject()
        .Key("command").String(command.name)
        .Key("module").String(AnsiToUtf8(path))
        .Key("export").String(exportName)
        .Key("hresult").Number(static_cast<unsigned long>(result))
        .Key("result").String(DescribeHresult(result))
        .EndObject();
    PrintOut(json.Text());
  } else {
    PrintOut(Printf("%s '%s': %s returned %s\n", registering ? "Registered" : "Unregistered",
                    path.c_str(), exportName, DescribeHresult(result).c_str()));
  }
  return kExitSuccess;
}

}  // namespace pidtool
