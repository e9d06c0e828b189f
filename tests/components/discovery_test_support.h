#pragma once
// Helpers shared by the discovery and instantiation suites: component keys written into the
// registry sandbox, where the test program lives, and scratch folders for copied modules.

#include <windows.h>

#include <string>

namespace rmtest {

std::string ClsidKeyName(const GUID& clsid);
// "SOFTWARE\Varnel\Component Installed\{...}"
std::string ComponentKey(const GUID& clsid);
// "SOFTWARE\Varnel\Component Installed\Category\<category>"
std::string CategoryKey(const std::string& category);

// Writes a component key under HKEY_LOCAL_MACHINE with its friendly name and "File" value.
void RegisterComponentFile(const GUID& clsid, const std::string& file);

// The test program's folder with its trailing backslash.
std::string ExecutableDirectory();
bool IsLoaded(const std::string& moduleName);
// The file a loaded module was loaded from, or "" when it is not loaded.
std::string LoadedFrom(const std::string& moduleName);

// A fresh folder that is removed, with the files in it, when the object goes.
class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  // Copies a file from the test program's folder into this one under `newName`; returns the
  // new file's full path.
  std::string CopyIn(const std::string& fileName, const std::string& newName);
  const std::string& path() const { return path_; }  // with trailing backslash

 private:
  std::string path_;
};

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
