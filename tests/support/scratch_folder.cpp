#include "support/scratch_folder.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace rmtest {
namespace {

void CreateParentFolders(const std::filesystem::path& file) {
  std::error_code error;
  std::filesystem::create_directories(file.parent_path(), error);
}

}  // namespace

ScratchFolder::ScratchFolder() {
  static LONG serial = 0;
  char temp[MAX_PATH];
  const DWORD length = GetTempPathA(MAX_PATH, temp);
  EXPECT_TRUE(length > 0 && length < MAX_PATH) << "GetTempPathA failed";
  // Process ids come back, and a failed run may leave its folder behind: take the next free name.
  for (;;) {
    path_ = std::string(temp) + "rm7731-test-" + std::to_string(GetCurrentProcessId()) + "-" +
            std::to_string(GetTickCount()) + "-" + std::to_string(InterlockedIncrement(&serial));
    if (CreateDirectoryA(path_.c_str(), nullptr)) return;
    if (GetLastError() != ERROR_ALREADY_EXISTS) break;
  }
  ADD_FAILURE() << "cannot create " << path_ << ": error " << GetLastError();
}

ScratchFolder::~ScratchFolder() {
  std::error_code error;
  std::filesystem::remove_all(path_, error);
  EXPECT_FALSE(error) << "cannot remove " << path_ << ": " << error.message();
}

std::string ScratchFolder::File(const std::string& relativePath) const {
  return path_ + "\\" + relativePath;
}

void ScratchFolder::WriteFile(const std::string& relativePath, const std::string& text) const {
  const std::filesystem::path file = File(relativePath);
  CreateParentFolders(file);
  std::ofstream out(file, std::ios::binary);
  out << text;
  ASSERT_TRUE(out.good()) << "cannot write " << file.string();
}

std::string ScratchFolder::CopyFileIn(const std::string& source,
                                      const std::string& relativePath) const {
  const std::string target = File(relativePath);
  CreateParentFolders(target);
  // CopyFileA rather than std::filesystem::copy_file, whose overwrite fails under Wine.
  EXPECT_TRUE(CopyFileA(source.c_str(), target.c_str(), FALSE))
      << "cannot copy " << source << " to " << target << ": error " << GetLastError();
  return target;
}

std::wstring ScratchFolder::CopyFileIn(const std::wstring& source,
                                       const std::wstring& relativePath) const {
  const std::wstring target = std::wstring(path_.begin(), path_.end()) + L"\\" + relativePath;
  CreateParentFolders(target);
  EXPECT_TRUE(CopyFileW(source.c_str(), target.c_str(), FALSE))
      << "cannot copy a file to " << std::filesystem::path(target).u8string() << ": error "
      << GetLastError();
  return target;
}

}  // namespace rmtest
