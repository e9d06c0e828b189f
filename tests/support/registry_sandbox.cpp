#include "support/registry_sandbox.h"

#include <sddl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>

#include <gtest/gtest.h>

namespace rmtest {
namespace {

constexpr char kScratchParent[] = "Software\\Rm7731Tests";

std::string NextScratchPath() {
  static LONG counter = 0;
  return std::string(kScratchParent) + "\\" + std::to_string(GetCurrentProcessId()) + "-" +
         std::to_string(InterlockedIncrement(&counter));
}

void ApplySddl(HKEY key, const char* sddl) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl, SDDL_REVISION_1,
                                                                   &descriptor, nullptr))
      << sddl;
  const LONG set = RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, descriptor);
  LocalFree(descriptor);
  ASSERT_EQ(set, ERROR_SUCCESS) << "RegSetKeySecurity " << sddl;
}

// Creates a scratch key under the shared parent. Another test program's sandbox may delete the
// parent, once empty, while this one is being created (ERROR_KEY_DELETED): then try again.
HKEY CreateScratchKey(const std::string& path) {
  LONG created = ERROR_SUCCESS;
  for (int attempt = 0; attempt < 20; ++attempt) {
    HKEY key = nullptr;
    created = RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr);
    if (created == ERROR_SUCCESS) return key;
    if (created != ERROR_KEY_DELETED) break;
    Sleep(10);
  }
  // Without its scratch keys the test would write the real registry: stop the program instead.
  std::fprintf(stderr, "registry sandbox: cannot create %s (%ld)\n", path.c_str(), created);
  std::abort();
}

}  // namespace

RegistrySandbox::RegistrySandbox()
    : scratchPath_(NextScratchPath()),
      machine_(CreateScratchKey(scratchPath_ + "\\Machine")),
      user_(CreateScratchKey(scratchPath_ + "\\User")) {
  if (RegOverridePredefKey(HKEY_LOCAL_MACHINE, machine_) != ERROR_SUCCESS ||
      RegOverridePredefKey(HKEY_CURRENT_USER, user_) != ERROR_SUCCESS) {
    std::fprintf(stderr, "registry sandbox: cannot redirect the roots\n");
    std::abort();
  }
}

RegistrySandbox::~RegistrySandbox() {
  RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
  RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
  if (machine_ != nullptr) RegCloseKey(machine_);
  if (user_ != nullptr) RegCloseKey(user_);
  DeleteTreeForcibly(HKEY_CURRENT_USER, scratchPath_);
  HKEY parent = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kScratchParent, 0, KEY_READ, &parent) == ERROR_SUCCESS) {
    DWORD subKeys = 0;
    RegQueryInfoKeyA(parent, nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, nullptr,
                     nullptr, nullptr, nullptr, nullptr);
    RegCloseKey(parent);
    if (subKeys == 0) RegDeleteKeyA(HKEY_CURRENT_USER, kScratchParent);
  }
}

bool RegistrySandbox::KeyExists(HKEY root, const std::string& path) {
  HKEY key = nullptr;
  const LONG opened = RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key);
  if (opened == ERROR_SUCCESS) RegCloseKey(key);
  return opened == ERROR_SUCCESS || opened == ERROR_ACCESS_DENIED;
}

bool RegistrySandbox::ValueExists(HKEY root, const std::string& path, const char* name) {
  DWORD type = 0;
  std::vector<BYTE> data;
  return ReadRaw(root, path, name, &type, &data);
}

bool RegistrySandbox::ReadRaw(HKEY root, const std::string& path, const char* name, DWORD* type,
                              std::vector<BYTE>* data) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  DWORD size = 0;
  LONG queried = RegQueryValueExA(key, name, nullptr, type, nullptr, &size);
  if (queried == ERROR_SUCCESS) {
    data->assign(size, 0);
    queried =
        RegQueryValueExA(key, name, nullptr, type, data->empty() ? nullptr : data->data(), &size);
    data->resize(size);
  }
  RegCloseKey(key);
  return queried == ERROR_SUCCESS;
}

std::string RegistrySandbox::ReadString(HKEY root, const std::string& path, const char* name) {
  DWORD type = 0;
  std::vector<BYTE> data;
  if (!ReadRaw(root, path, name, &type, &data)) return "<missing>";
  std::string text(data.begin(), data.end());
  while (!text.empty() && text.back() == '\0') text.pop_back();
  return text;
}

DWORD RegistrySandbox::ReadDword(HKEY root, const std::string& path, const char* name) {
  DWORD type = 0;
  std::vector<BYTE> data;
  if (!ReadRaw(root, path, name, &type, &data) || data.size() != 4) return 0xFFFFFFFF;
  DWORD value = 0;
  memcpy(&value, data.data(), 4);
  return value;
}

void RegistrySandbox::WriteRaw(HKEY root, const std::string& path, const char* name, DWORD type,
                               const void* data, DWORD size) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
            ERROR_SUCCESS)
      << path;
  EXPECT_EQ(RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size),
            ERROR_SUCCESS);
  RegCloseKey(key);
}

void RegistrySandbox::WriteString(HKEY root, const std::string& path, const char* name,
                                  const std::string& text) {
  WriteRaw(root, path, name, REG_SZ, text.c_str(), static_cast<DWORD>(text.size() + 1));
}

void RegistrySandbox::WriteUnterminatedString(HKEY root, const std::string& path, const char* name,
                                              const std::string& text) {
  // A character other than NUL follows the text: Wine counts a NUL that directly follows.
  std::wstring wide(text.begin(), text.end());
  wide.push_back(L'x');
  const std::wstring wideName =
      name == nullptr ? L"" : std::wstring(name, name + std::strlen(name));
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
            ERROR_SUCCESS)
      << path;
  EXPECT_EQ(RegSetValueExW(key, name == nullptr ? nullptr : wideName.c_str(), 0, REG_SZ,
                           reinterpret_cast<const BYTE*>(wide.data()),
                           static_cast<DWORD>(text.size() * sizeof(wchar_t))),
            ERROR_SUCCESS);
  RegCloseKey(key);
}

std::wstring RegistrySandbox::ReadWideString(HKEY root, const std::string& path,
                                             const wchar_t* name) {
  wchar_t text[4096] = {};
  DWORD size = sizeof(text) - sizeof(wchar_t);
  if (RegGetValueW(root, std::wstring(path.begin(), path.end()).c_str(), name, RRF_RT_REG_SZ,
                   nullptr, text, &size) != ERROR_SUCCESS) {
    return L"<missing>";
  }
  return text;
}

void RegistrySandbox::WriteWideString(HKEY root, const std::string& path, const wchar_t* name,
                                      const std::wstring& text) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
            ERROR_SUCCESS)
      << path;
  EXPECT_EQ(RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                           static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))),
            ERROR_SUCCESS);
  RegCloseKey(key);
}

void RegistrySandbox::WriteDword(HKEY root, const std::string& path, const char* name,
                                 DWORD value) {
  WriteRaw(root, path, name, REG_DWORD, &value, sizeof(value));
}

void RegistrySandbox::CreateKey(HKEY root, const std::string& path) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
            ERROR_SUCCESS)
      << path;
  RegCloseKey(key);
}

std::vector<std::string> RegistrySandbox::SubKeyNames(HKEY root, const std::string& path) {
  std::vector<std::string> names;
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return names;
  char name[1025];
  for (DWORD index = 0;; ++index) {
    DWORD length = sizeof(name);
    if (RegEnumKeyExA(key, index, name, &length, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS) {
      break;
    }
    names.emplace_back(name, length);
  }
  RegCloseKey(key);
  return names;
}

void RegistrySandbox::SetKeySecurity(HKEY root, const std::string& path, const char* sddl) {
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExA(root, path.c_str(), 0, WRITE_DAC, &key), ERROR_SUCCESS) << path;
  ApplySddl(key, sddl);
  RegCloseKey(key);
}

void RegistrySandbox::RestoreAccess(HKEY root, const std::string& path) {
  SetKeySecurity(root, path, kAllowAll);
}

namespace {

// Wide and handle-relative, so that names outside the code page and trees deeper than the
// ANSI calls' path limit go as well.
void DeleteWideTreeForcibly(HKEY root, const wchar_t* path) {
  HKEY key = nullptr;
  // The owner keeps WRITE_DAC whatever the DACL says.
  if (RegOpenKeyExW(root, path, 0, WRITE_DAC, &key) == ERROR_SUCCESS) {
    ApplySddl(key, kAllowAll);
    RegCloseKey(key);
  }
  if (RegOpenKeyExW(root, path, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return;
  wchar_t name[256];
  wchar_t next[256];
  for (DWORD length = 256;
       RegEnumKeyExW(key, 0, name, &length, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
       length = 256) {
    DeleteWideTreeForcibly(key, name);
    DWORD nextLength = 256;
    if (RegEnumKeyExW(key, 0, next, &nextLength, nullptr, nullptr, nullptr, nullptr) ==
            ERROR_SUCCESS &&
        wcscmp(next, name) == 0) {
      break;  // could not delete it
    }
  }
  RegCloseKey(key);
  RegDeleteKeyW(root, path);
}

}  // namespace

void DeleteTreeForcibly(HKEY root, const std::string& path) {
  std::wstring wide(path.size() + 1, L'\0');
  MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide.data(), static_cast<int>(wide.size()));
  DeleteWideTreeForcibly(root, wide.c_str());
}

}  // namespace rmtest
