#include "identification/scratch_folder.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace rmtest {
namespace {

std::string NextFolderName() {
  static LONG counter = 0;
  return "identification-scratch\\" + std::to_string(GetCurrentProcessId()) + "-" +
         std::to_string(InterlockedIncrement(&counter));
}

}  // namespace

ScratchFolder::ScratchFolder() {
  char current[MAX_PATH];
  const DWORD length = GetCurrentDirectoryA(MAX_PATH, current);
  EXPECT_TRUE(length > 0 && length < MAX_PATH);
  path_ = std::string(current) + "\\" + NextFolderName();
  std::error_code error;
  std::filesystem::create_directories(path_, error);
  EXPECT_FALSE(error) << "cannot create " << path_;
}

ScratchFolder::~ScratchFolder() {
  std::error_code error;
  std::filesystem::remove_all(path_, error);
}

void ScratchFolder::WriteFile(const std::string& relativePath, const std::string& text) const {
  const std::filesystem::path file = std::filesystem::path(path_) / relativePath;
  std::error_code error;
  std::filesystem::create_directories(file.parent_path(), error);
  std::ofstream out(file, std::ios::binary);
  out << text;
  ASSERT_TRUE(out.good()) << "cannot write " << file.string();
}

void ScratchFolder::CopyFileIn(const std::string& source, const std::string& relativePath) const {
  const std::filesystem::path file = std::filesystem::path(path_) / relativePath;
  std::error_code error;
  std::filesystem::create_directories(file.parent_path(), error);
  ASSERT_TRUE(CopyFileA(source.c_str(), file.string().c_str(), FALSE))
      << "cannot copy " << source << " to " << file.string() << ": error " << GetLastError();
}

}  // namespace rmtest
