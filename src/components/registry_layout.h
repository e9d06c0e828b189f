#pragma once
// Where the component registry keeps things. Every key path of the component framework is
// built here, by plain concatenation, the same under HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER.
// A path that would not fit in 1024 bytes comes back with ok() false; callers refuse the
// call (QXIR_INVALID_PARAMETER) before touching the registry.
// compat F13

#include "base/path_builder.h"
#include "shared/registry_layout_names.h"

namespace rm {

// component root key + CLSID text
RegistryPath ComponentKeyPath(const char* clsidText) noexcept;
// component root key + "Category\"
RegistryPath CategoryRootKeyPath() noexcept;
// component root key + "Category\" + category (a null category adds nothing)
RegistryPath CategoryKeyPath(const char* category) noexcept;
// category key + "\" + CLSID text
RegistryPath CategoryEntryKeyPath(const char* category, const char* clsidText) noexcept;
// component key + "\Object ID Map"
RegistryPath ObjectIdMapKeyPath(const char* clsidText) noexcept;
// component key + "\Object" + "\" + object identifier text
RegistryPath ObjectKeyPath(const char* clsidText, const char* objectIdText) noexcept;
// object key + "\User Settings\" + client name, or "Default Client" for an empty name
RegistryPath UserSettingsKeyPath(const char* clsidText, const char* objectIdText,
                                 const char* clientName) noexcept;
// object key + "\Default Settings"
RegistryPath DefaultSettingsKeyPath(const char* clsidText, const char* objectIdText) noexcept;

}  // namespace rm
