#pragma once
// The names of the component registry, the same under HKEY_LOCAL_MACHINE and
// HKEY_CURRENT_USER. Shared by the module, which builds its paths from them
// (components/registry_layout.h), and by the host tool, which reads and checks the tree.

namespace rm {

constexpr char kVarnelKey[] = "SOFTWARE\\Varnel\\";
constexpr char kComponentRootKey[] = "SOFTWARE\\Varnel\\Component Installed\\";

// Below the component root: one key per component, named by its CLSID text, and this one.
constexpr char kCategoryKeyName[] = "Category";
// Below a component key.
constexpr char kObjectIdMapKeyName[] = "Object ID Map";
constexpr char kObjectKeyName[] = "Object";
// Below an object key (itself named by the object identifier's text).
constexpr char kUserSettingsKeyName[] = "User Settings";
constexpr char kDefaultSettingsKeyName[] = "Default Settings";
// The client key below "User Settings" for a client without a name.
constexpr char kDefaultClientName[] = "Default Client";

// Values of a component key, besides its friendly name (the default value).
constexpr char kFileValueName[] = "File";
constexpr wchar_t kFileValueNameWide[] = L"File";
constexpr char kRefCountValueName[] = "RefCount";

}  // namespace rm
