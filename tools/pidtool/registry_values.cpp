#include "registry_values.h"

#include <cstring>

#include "text_format.h"

namespace pidtool {
namespace {

// Closes the key it holds when it leaves scope.
class OpenKey {
 public:
  OpenKey() = default;
  ~OpenKey() {
    if (key_ != nullptr) RegCloseKey(key_);
  }
  OpenKey(const OpenKey&) = delete;
  OpenKey& operator=(const OpenKey&) = delete;
  HKEY* put() { return &key_; }
  HKEY get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

// Registry value names are at most 16,383 characters.
constexpr DWORD kNameCapacity = 16384;

bool IsTextType(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ; }

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

}  // namespace

DWORD ReadRegistryKey(HKEY root, const std::string& path, RegistryKeyContents* contents) {
  OpenKey key;
  DWORD error = RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, key.put());
  if (error != ERROR_SUCCESS) return error;

  DWORD largestData = 0;
  error = RegQueryInfoKeyA(key.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                           nullptr, &largestData, nullptr, nullptr);
  if (error != ERROR_SUCCESS) return error;

  std::vector<char> name(kNameCapacity + 1);
  std::vector<unsigned char> data(largestData + 1);
  for (DWORD index = 0;;) {
    DWORD nameLength = static_cast<DWORD>(name.size());
    DWORD dataSize = static_cast<DWORD>(data.size());
    RegistryValue value;
    error = RegEnumValueA(key.get(), index, name.data(), &nameLength, nullptr, &value.type,
                          data.data(), &dataSize);
    if (error == ERROR_NO_MORE_ITEMS) break;
    if (error == ERROR_MORE_DATA) {  // the value grew since the key was measured
      data.resize(dataSize + 1);
      continue;
    }
    if (error != ERROR_SUCCESS) return error;
    value.name.assign(name.data(), nameLength);
    value.data.assign(data.begin(), data.begin() + dataSize);
    contents->values.push_back(std::move(value));
    ++index;
  }

  for (DWORD index = 0;; ++index) {
    DWORD nameLength = static_cast<DWORD>(name.size());
    error = RegEnumKeyExA(key.get(), index, name.data(), &nameLength, nullptr, nullptr, nullptr, nullptr);
    if (error == ERROR_NO_MORE_ITEMS) break;
    if (error != ERROR_SUCCESS) return error;
    contents->subKeys.emplace_back(name.data(), nameLength);
  }
  return ERROR_SUCCESS;
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

void WriteRegistryValueJson(JsonWriter& json, const RegistryValue& value) {
  json.BeginObject();
  json.Key("name").String(AnsiToUtf8(value.name));
  json.Key("type").String(RegistryTypeName(value.type));
  unsigned long long number = 0;
  if (value.type == REG_MULTI_SZ) {
    json.Key("data").BeginArray();
    for (const std::string& item : TextItems(value)) json.String(AnsiToUtf8(item));
    json.EndArray();
  } else if (IsTextType(value.type)) {
    json.Key("data").String(AnsiToUtf8(TextItems(value).front()));
  } else if (NumberOf(value, &number)) {
    json.Key("data").Unsigned(number);
  } else {
    json.Key("data").String(HexBytes(value.data));
  }
  json.EndObject();
}

}  // namespace pidtool
