#pragma once
// Redirects HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER to fresh scratch keys for the life of a
// test, so that code using the literal root handles writes nothing outside the test and
// leaves nothing behind. Also helpers to build and inspect keys and to deny access with a
// real security descriptor.

#include <windows.h>

#include <string>
#include <vector>

namespace rmtest {

// DACLs for SetKeySecurity. Wine checks them on the key being opened, not on its parent.
constexpr char kAllowAll[] = "D:(A;;KA;;;WD)";
constexpr char kDenyAll[] = "D:(D;;KA;;;WD)";
// Opening for KEY_WRITE fails; reads still work (KEY_READ and KEY_WRITE share READ_CONTROL).
constexpr char kReadOnly[] = "D:(D;;0x6;;;WD)(A;;KA;;;WD)";
// Everything but deleting the key itself.
constexpr char kDenyDelete[] = "D:(D;;SD;;;WD)(A;;KA;;;WD)";

class RegistrySandbox {
 public:
  RegistrySandbox();
  ~RegistrySandbox();
  RegistrySandbox(const RegistrySandbox&) = delete;
  RegistrySandbox& operator=(const RegistrySandbox&) = delete;

  // Under the redirected roots.
  static bool KeyExists(HKEY root, const std::string& path);
  static bool ValueExists(HKEY root, const std::string& path, const char* name);
  static std::string ReadString(HKEY root, const std::string& path, const char* name);
  static DWORD ReadDword(HKEY root, const std::string& path, const char* name);
  // Raw bytes and type; returns false when the value cannot be read.
  static bool ReadRaw(HKEY root, const std::string& path, const char* name, DWORD* type,
                      std::vector<BYTE>* data);
  static void WriteRaw(HKEY root, const std::string& path, const char* name, DWORD type,
                       const void* data, DWORD size);
  static void WriteString(HKEY root, const std::string& path, const char* name,
                          const std::string& text);
  // A REG_SZ of exactly the characters of `text`, without a terminator, as other programs
  // may store one (the ANSI call of 64-bit Wine would add one).
  static void WriteUnterminatedString(HKEY root, const std::string& path, const char* name,
                                      const std::string& text);
  static void WriteDword(HKEY root, const std::string& path, const char* name, DWORD value);
  // A REG_SZ as the wide calls hold it, whatever characters it has; "<missing>" when it
  // cannot be read.
  static std::wstring ReadWideString(HKEY root, const std::string& path, const wchar_t* name);
  static void WriteWideString(HKEY root, const std::string& path, const wchar_t* name,
                              const std::wstring& text);
  static void CreateKey(HKEY root, const std::string& path);
  static std::vector<std::string> SubKeyNames(HKEY root, const std::string& path);

  // Applies an SDDL DACL to an existing key, e.g. kDenyAll or kReadOnly below.
  // RestoreAccess puts full access back.
  static void SetKeySecurity(HKEY root, const std::string& path, const char* sddl);
  static void RestoreAccess(HKEY root, const std::string& path);

 private:
  std::string scratchPath_;
  HKEY machine_ = nullptr;
  HKEY user_ = nullptr;
};

// Deletes a whole tree below `root`, restoring access on the way where it was denied.
void DeleteTreeForcibly(HKEY root, const std::string& path);

}  // namespace rmtest
