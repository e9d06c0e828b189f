#include "commands/registry_values.h"

#include <cstring>

#include "cli/text_format.h"
#include "shared/registry_key.h"

namespace pidtool {
namespace {

bool IsTextType(DWORD type) {
  return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

// The items of a text value: one for REG_SZ and REG_EXPAND_SZ (up to the first NUL), the list
// of a REG_MULTI_SZ (up to the empty item that ends it).
std::vector<std::string> TextItems(const RegistryValue& value) {
  std::vector<std::string> items;
  std::string item;
  for (unsigned char byte : value.data) {
    if (byte != '\0') {
      item += static_cast<char>(byte);
      continue;
    }
    if (item.empty() || value.type != REG_MULTI_SZ) break;
    items.push_back(item);
    item.clear();
  }
  if (!item.empty() || (items.empty() && value.type != REG_MULTI_SZ)) items.push_back(item);
  return items;
}

std::string HexBytes(const std::vector<unsigned char>& data) {
  std::string text;
  for (unsigned char byte : data) text += Printf("%s%02X", text.empty() ? "" : " ", byte);
  return text;
}

bool NumberOf(const RegistryValue& value, unsigned long long* number) {
  if (value.type == REG_DWORD && value.data.size() == 4) {
    DWORD dword = 0;
    std::memcpy(&dword, value.data.data(), 4);
    *number = dword;
    return true;
  }
  if (value.type == REG_QWORD && value.data.size() == 8) {
    std::memcpy(number, value.data.data(), 8);
    return true;
  }
  return false;
}

// One pass over the key's values and sub-keys, with buffers sized from `info`. The walks
// must not throw, so a copy that fails to allocate stops them.
DWORD ReadContents(HKEY key, const rm::KeyInfo& info, RegistryKeyContents* contents) {
  bool outOfMemory = false;
  rm::WinCode walked =
      rm::EnumerateValues<wchar_t>(key, info, [&](const rm::ValueView<wchar_t>& view) {
        try {
          RegistryValue value;
          value.name = Utf8(view.name, view.nameLength);
          value.type = view.type;
          if (IsTextType(view.type)) {
            const std::string text =
                Utf8(reinterpret_cast<const wchar_t*>(view.data), view.dataSize / sizeof(wchar_t));
            value.data.assign(text.begin(), text.end());
          } else {
            value.data.assign(view.data, view.data + view.dataSize);
          }
          contents->values.push_back(std::move(value));
          return true;
        } catch (...) {
          outOfMemory = true;
          return false;
        }
      });
  if (walked == rm::kNoMoreItems) {
    walked = rm::EnumerateSubKeys<wchar_t>(key, info, [&](const wchar_t* name) {
      try {
        contents->subKeys.push_back(Utf8(name));
        return true;
      } catch (...) {
        outOfMemory = true;
        return false;
      }
    });
  }
  if (outOfMemory) return ERROR_NOT_ENOUGH_MEMORY;
  return walked == rm::kNoMoreItems ? ERROR_SUCCESS : walked;
}

}  // namespace

DWORD ReadRegistryKey(HKEY root, const std::string& path, RegistryKeyContents* contents,
                      REGSAM view) {
  rm::UniqueRegKey key;
  DWORD error = rm::OpenKey(root, Wide(path).c_str(), rm::kReadAccess | view, key);
  // A name or value that grew after the key was measured: measure again and start over.
  for (int attempt = 0; attempt < 4 && error == ERROR_SUCCESS; ++attempt) {
    rm::KeyInfo info;
    error = rm::QueryKeyInfo<wchar_t>(key.get(), info);
    if (error != ERROR_SUCCESS) return error;
    *contents = RegistryKeyContents();
    error = ReadContents(key.get(), info, contents);
    if (error != rm::kMoreData) return error;
  }
  return error;
}

std::string RegistryTypeName(DWORD type) {
  switch (type) {
    case REG_NONE: return "REG_NONE";
    case REG_SZ: return "REG_SZ";
    case REG_EXPAND_SZ: return "REG_EXPAND_SZ";
    case REG_BINARY: return "REG_BINARY";
    case REG_DWORD: return "REG_DWORD";
    case REG_DWORD_BIG_ENDIAN: return "REG_DWORD_BIG_ENDIAN";
    case REG_LINK: return "REG_LINK";
    case REG_MULTI_SZ: return "REG_MULTI_SZ";
    case REG_QWORD: return "REG_QWORD";
    default: return Printf("type %lu", static_cast<unsigned long>(type));
  }
}

std::string RegistryDataText(const RegistryValue& value) {
  if (IsTextType(value.type)) {
    std::string text;
    for (const std::string& item : TextItems(value)) text += (text.empty() ? "" : " | ") + item;
    return text;
  }
  unsigned long long number = 0;
  if (NumberOf(value, &number)) return Printf("%llu (0x%08llX)", number, number);
  return value.data.empty() ? "(no data)" : HexBytes(value.data);
}

Json RegistryValueJson(const RegistryValue& value) {
  Json data;
  unsigned long long number = 0;
  if (value.type == REG_MULTI_SZ) {
    data = TextItems(value);
  } else if (IsTextType(value.type)) {
    data = TextItems(value).front();
  } else if (NumberOf(value, &number)) {
    data = number;
  } else {
    data = HexBytes(value.data);
  }
  return {{"name", value.name}, {"type", RegistryTypeName(value.type)}, {"data", data}};
}

}  // namespace pidtool
