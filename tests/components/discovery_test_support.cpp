#include "discovery_test_support.h"

#include <objbase.h>

#include <gtest/gtest.h>

#include "support/registry_sandbox.h"

namespace rmtest {

std::string ClsidKeyName(const GUID& clsid) {
  wchar_t wide[40] = {};
  StringFromGUID2(clsid, wide, 40);
  char narrow[40] = {};
  WideCharToMultiByte(CP_ACP, 0, wide, -1, narrow, sizeof(narrow), nullptr, nullptr);
  return narrow;
}

std::string ComponentKey(const GUID& clsid) {
  return "SOFTWARE\\Varnel\\Component Installed\\" + ClsidKeyName(clsid);
}

std::string CategoryKey(const std::string& category) {
  return "SOFTWARE\\Varnel\\Component Installed\\Category\\" + category;
}

void RegisterComponentFile(const GUID& clsid, const std::string& file) {
  RegistrySandbox::WriteString(HKEY_LOCAL_MACHINE, ComponentKey(clsid), nullptr,
                               "Fixture component");
  RegistrySandbox::WriteString(HKEY_LOCAL_MACHINE, ComponentKey(clsid), "File", file);
}

std::wstring Widened(const std::string& ascii) { return std::wstring(ascii.begin(), ascii.end()); }

std::string ExecutableDirectory() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string directory(path);
  return directory.substr(0, directory.find_last_of('\\') + 1);
}

bool IsLoaded(const std::string& moduleName) {
  return GetModuleHandleA(moduleName.c_str()) != nullptr;
}

std::string LoadedFrom(const std::string& moduleName) {
  HMODULE module = GetModuleHandleA(moduleName.c_str());
  if (module == nullptr) return "";
  char path[MAX_PATH] = {};
  GetModuleFileNameA(module, path, MAX_PATH);
  return path;
}

std::string CopyFromExecutableDirectory(const ScratchFolder& folder, const std::string& fileName,
                                        const std::string& newName) {
  return folder.CopyFileIn(ExecutableDirectory() + fileName, newName);
}

CurrentDirectoryScope::CurrentDirectoryScope(const std::string& folder) {
  GetCurrentDirectoryA(MAX_PATH, previous_);
  EXPECT_TRUE(SetCurrentDirectoryA(folder.c_str())) << folder;
}

CurrentDirectoryScope::~CurrentDirectoryScope() { SetCurrentDirectoryA(previous_); }

}  // namespace rmtest
