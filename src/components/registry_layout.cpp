#include "components/registry_layout.h"

namespace rm {

RegistryPath ComponentKeyPath(const char* clsidText) noexcept {
  RegistryPath path;
  path.append(kComponentRootKey).append(clsidText);
  return path;
}

RegistryPath CategoryRootKeyPath() noexcept {
  RegistryPath path;
  path.append(kComponentRootKey).append(kCategoryKeyName).append("\\");
  return path;
}

RegistryPath CategoryKeyPath(const char* category) noexcept {
  RegistryPath path = CategoryRootKeyPath();
  path.append(category);
  return path;
}

RegistryPath CategoryEntryKeyPath(const char* category, const char* clsidText) noexcept {
  RegistryPath path = CategoryKeyPath(category);
  path.append("\\").append(clsidText);
  return path;
}

RegistryPath ObjectIdMapKeyPath(const char* clsidText) noexcept {
  RegistryPath path = ComponentKeyPath(clsidText);
  path.append("\\").append(kObjectIdMapKeyName);
  return path;
}

RegistryPath ObjectKeyPath(const char* clsidText, const char* objectIdText) noexcept {
  RegistryPath path = ComponentKeyPath(clsidText);
  path.append("\\").append(kObjectKeyName).append("\\").append(objectIdText);
  return path;
}

RegistryPath UserSettingsKeyPath(const char* clsidText, const char* objectIdText,
                                 const char* clientName) noexcept {
  RegistryPath path = ObjectKeyPath(clsidText, objectIdText);
  const bool unnamed = clientName == nullptr || clientName[0] == '\0';
  path.append("\\")
      .append(kUserSettingsKeyName)
      .append("\\")
      .append(unnamed ? kDefaultClientName : clientName);
  return path;
}

RegistryPath DefaultSettingsKeyPath(const char* clsidText, const char* objectIdText) noexcept {
  RegistryPath path = ObjectKeyPath(clsidText, objectIdText);
  path.append("\\").append(kDefaultSettingsKeyName);
  return path;
}

}  // namespace rm
