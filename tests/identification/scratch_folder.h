#pragma once
// A folder of a test's own below the test program's folder, removed with everything in it
// when the test ends; and small file helpers for it.

#include <string>

namespace rmtest {

class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  // Full path, without a trailing backslash.
  const std::string& path() const { return path_; }
  // Writes `text` to `relativePath` below the folder, creating the folders on the way.
  void WriteFile(const std::string& relativePath, const std::string& text) const;
  // Copies an existing file to `relativePath` below the folder.
  void CopyFileIn(const std::string& source, const std::string& relativePath) const;

 private:
  std::string path_;
};

}  // namespace rmtest
