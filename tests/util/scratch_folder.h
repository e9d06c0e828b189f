#pragma once
// A fresh folder under the temporary directory for the life of a test, removed with
// everything in it afterwards. Each one gets a new name, so that no profile cache of an
// earlier test can answer for a file of a later one.

#include <windows.h>

#include <string>

#include <gtest/gtest.h>

namespace rmtest {

class ScratchFolder {
 public:
  ScratchFolder() {
    static LONG serial = 0;
    char temp[MAX_PATH];
    const DWORD length = GetTempPathA(MAX_PATH, temp);
    EXPECT_TRUE(length > 0 && length < MAX_PATH) << "GetTempPathA failed";
    path_ = std::string(temp) + "util_test_" + std::to_string(GetCurrentProcessId()) + "_" +
            std::to_string(GetTickCount()) + "_" + std::to_string(InterlockedIncrement(&serial));
    EXPECT_TRUE(CreateDirectoryA(path_.c_str(), nullptr))
        << "cannot create " << path_ << ": " << GetLastError();
  }
  ~ScratchFolder() { RemoveTree(path_); }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::string& path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "\\" + name; }

 private:
  static void RemoveTree(const std::string& folder) {
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
      do {
        const std::string name = entry.cFileName;
        if (name == "." || name == "..") continue;
        const std::string path = folder + "\\" + name;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
          RemoveTree(path);
        } else {
          SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
          DeleteFileA(path.c_str());
        }
      } while (FindNextFileA(find, &entry));
      FindClose(find);
    }
    EXPECT_TRUE(RemoveDirectoryA(folder.c_str()))
        << "cannot remove " << folder << ": " << GetLastError();
  }

  std::string path_;
};

}  // namespace rmtest
