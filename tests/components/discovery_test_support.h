#pragma once
// Helpers shared by the discovery and instantiation suites: component keys written into the
// registry sandbox, where the test program lives, and copying modules into scratch folders.

#include <windows.h>

#include <string>

#include "support/scratch_folder.h"

namespace rmtest {

std::string ClsidKeyName(const GUID& clsid);
// "SOFTWARE\Varnel\Component Installed\{...}"
std::string ComponentKey(const GUID& clsid);
// "SOFTWARE\Varnel\Component Installed\Category\<category>"
std::string CategoryKey(const std::string& category);

// Writes a component key under HKEY_LOCAL_MACHINE with its friendly name and "File" value.
void RegisterComponentFile(const GUID& clsid, const std::string& file);

// ASCII text as wide text.
std::wstring Widened(const std::string& ascii);

// The test program's folder with its trailing backslash.
std::string ExecutableDirectory();
bool IsLoaded(const std::string& moduleName);
// The file a loaded module was loaded from, or "" when it is not loaded.
std::string LoadedFrom(const std::string& moduleName);

// Copies a file from the test program's folder into `folder` under `newName`; returns the
// copy's full path.
std::string CopyFromExecutableDirectory(const ScratchFolder& folder, const std::string& fileName,
                                        const std::string& newName);

// Makes `folder` the current directory for the object's life.
class CurrentDirectoryScope {
 public:
  explicit CurrentDirectoryScope(const std::string& folder);
  ~CurrentDirectoryScope();
  CurrentDirectoryScope(const CurrentDirectoryScope&) = delete;
  CurrentDirectoryScope& operator=(const CurrentDirectoryScope&) = delete;

 private:
  char previous_[MAX_PATH] = {};
};

}  // namespace rmtest
