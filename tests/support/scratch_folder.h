#pragma once
// A fresh folder under the temporary directory for the life of a test, removed with
// everything in it afterwards. Every folder gets a new name, so that nothing cached for an
// earlier test's files (the profile service caches, for one) can answer for a later one.

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
  // path() + "\" + relativePath
  std::string File(const std::string& relativePath) const;
  // Writes `text` to `relativePath` below the folder, creating the folders on the way.
  void WriteFile(const std::string& relativePath, const std::string& text) const;
  // Copies an existing file to `relativePath` below the folder; returns the copy's path.
  std::string CopyFileIn(const std::string& source, const std::string& relativePath) const;
  // The same for names the ANSI code page may not hold.
  std::wstring CopyFileIn(const std::wstring& source, const std::wstring& relativePath) const;

 private:
  std::string path_;
};

}  // namespace rmtest
