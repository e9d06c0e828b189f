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
  RegistrySandbox::WriteString(HKEY_LOCAL_MACHINE, ComponentKey(clsid), nullptr, "Fixture component");
  RegistrySandbox::WriteString(HKEY_LOCAL_MACHINE, ComponentKey(clsid), "File", file);
}

std::string ExecutableDirectory() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string directory(path);
  return directory.substr(0, directory.find_last_of('\\') + 1);
}

bool IsLoaded(const std::string& moduleName) { return GetModuleHandleA(moduleName.c_str()) != nullptr; }

std::string LoadedFrom(const std::string& moduleName) {
  HMODULE module = GetModuleHandleA(moduleName.c_str());
  if (module == nullptr) return "";
  char path[MAX_PATH] = {};
  GetModuleFileNameA(module, path, MAX_PATH);
  return path;
}

ScratchFolder::ScratchFolder() {
  static LONG counter = 0;
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  // Process ids come back, and a failed run may leave its folder behind: take the next free name.
  for (;;) {
    path_ = std::string(temp) + "rm7731-discovery-" + std::to_string(GetCurrentProcessId()) + "-" +
            std::to_string(InterlockedIncrement(&counter)) + "\\";
    if (CreateDirectoryA(path_.c_str(), nullptr)) return;
    if (GetLastError() != ERROR_ALREADY_EXISTS) break;
  }
  ADD_FAILURE() << "cannot create " << path_;
}

ScratchFolder::~ScratchFolder() {
  WIN32_FIND_DATAA found;
  HANDLE find = FindFirstFileA((path_ + "*").c_str(), &found);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) DeleteFileA((path_ + found.cFileName).c_str());
    } while (FindNextFileA(find, &found));
    FindClose(find);
  }
  RemoveDirectoryA(path_.c_str());
}

std::string ScratchFolder::CopyIn(const std::string& fileName, const std::string& newName) {
  const std::string target = path_ + newName;
  EXPECT_TRUE(CopyFileA((ExecutableDirectory() + fileName).c_str(), target.c_str(), FALSE))
      << fileName << " -> " << target;
  return target;
}

CurrentDirectoryScope::CurrentDirectoryScope(const std::string& folder) {
  GetCurrentDirectoryA(MAX_PATH, previous_);
  EXPECT_TRUE(SetCurrentDirectoryA(folder.c_str())) << folder;
}

CurrentDirectoryScope::~CurrentDirectoryScope() { SetCurrentDirectoryA(previous_); }

}  // namespace rmtest
