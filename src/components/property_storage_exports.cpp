// Component and object properties: typed values kept in the component registry.
#include <cstring>

#include "components/clsid_text.h"
#include "components/registry_layout.h"
#include "components/value_name_limit.h"
#include "qx/component_settings.h"
#include "registry/failure_trace.h"
#include "registry/registry_primitives.h"
#include "registry/result_mapping.h"

namespace {

using rm::ClsidText;
using rm::RegistryPath;

// Where one call reads or writes, or the result that refuses the call before any registry
// access.
struct PropertyKey {
  tagQXINTRFCRESULT refusal = QXIR_SUCCESS;
  HKEY root = HKEY_LOCAL_MACHINE;
  RegistryPath path;
};

PropertyKey Refused(tagQXINTRFCRESULT result) noexcept {
  PropertyKey key;
  key.refusal = result;
  return key;
}

HKEY RootForUserSettings(int perUser) noexcept {
  return perUser != 0 ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
}

// The client name stands at the start of the record; one that fills the whole array without a
// terminator is not a name.
const char* ClientNameOf(const tagQXCLIENTID& client) noexcept {
  constexpr std::size_t kCapacity = sizeof(client.clientName);
  if (rm::IsNullAddress(&client)) return nullptr;
  // compat F14
  return strnlen(client.clientName, kCapacity) < kCapacity ? client.clientName : nullptr;
}

PropertyKey ComponentPropertyKey(const GUID& clsid, const char* propertyName) noexcept {
  ClsidText clsidText;
  if (const auto refused = rm::ComponentKeyText(clsid, clsidText)) return Refused(refused);
  PropertyKey key;
  key.path = rm::ComponentKeyPath(clsidText.c_str());
  if (!rm::ValueNameFits(key.path, propertyName)) return Refused(QXIR_INVALID_PARAMETER);
  return key;
}

// The user settings key of one client, or (defaultSettings non-zero) the object's default
// settings key, which lives under HKEY_LOCAL_MACHINE only.
PropertyKey ObjectPropertyKey(const GUID& clsid, const GUID& objectId, const tagQXCLIENTID& client,
                              int perUser, int defaultSettings, const char* propertyName) noexcept {
  ClsidText clsidText;
  if (const auto refused = rm::ComponentKeyText(clsid, clsidText)) return Refused(refused);
  ClsidText objectIdText;
  if (const auto refused = rm::ObjectKeyText(objectId, objectIdText)) return Refused(refused);
  PropertyKey key;
  if (defaultSettings != 0) {
    key.root = HKEY_LOCAL_MACHINE;
    key.path = rm::DefaultSettingsKeyPath(clsidText.c_str(), objectIdText.c_str());
  } else {
    const char* clientName = ClientNameOf(client);
    if (clientName == nullptr) return Refused(QXIR_INVALID_PARAMETER);
    key.root = RootForUserSettings(perUser);
    key.path = rm::UserSettingsKeyPath(clsidText.c_str(), objectIdText.c_str(), clientName);
  }
  if (!rm::ValueNameFits(key.path, propertyName)) return Refused(QXIR_INVALID_PARAMETER);
  return key;
}

// A refused call names the component it was given; one that reached the registry, the key.
void DescribeCall(rm::CallTrace& call, const GUID& clsid, const PropertyKey& key,
                  const char* propertyName) noexcept {
  if (key.refusal != QXIR_SUCCESS) call.Guid(&clsid);
  else call.Key(key.root, key.path.c_str());
  call.ValueName(propertyName);
}

tagQXINTRFCRESULT SaveProperty(const char* function, const GUID& clsid, const PropertyKey& key,
                               const char* propertyName, tagQXVALUETYPE type,
                               const unsigned char* data, unsigned long dataSize) noexcept {
  rm::CallTrace call(function);
  DescribeCall(call, clsid, key, propertyName);
  if (key.refusal != QXIR_SUCCESS) return call.Returns(key.refusal);
  if (data == nullptr && dataSize != 0) return call.Returns(QXIR_INVALID_PARAMETER);
  const rm::WinCode code =
      rm::WriteRegistryValue(key.root, key.path.c_str(), propertyName, type, data, dataSize);
  return call.Returns(rm::MapByRegistryRule(code), code);
}

tagQXINTRFCRESULT RetrieveProperty(const char* function, const GUID& clsid, const PropertyKey& key,
                                   const char* propertyName, tagQXVALUETYPE* type,
                                   unsigned char* data, unsigned long bufferSize,
                                   unsigned long* size) noexcept {
  rm::CallTrace call(function);
  DescribeCall(call, clsid, key, propertyName);
  if (key.refusal != QXIR_SUCCESS) return call.Returns(key.refusal);
  if (type == nullptr || size == nullptr) return call.Returns(QXIR_INVALID_PARAMETER);
  // compat C03
  const rm::WinCode code =
      rm::ReadRegistryValue(key.root, key.path.c_str(), propertyName, type, data, bufferSize, size);
  return call.Returns(rm::MapByRegistryRule(code), code);
}

}  // namespace

tagQXINTRFCRESULT QXSaveComponentPropertyValue(const GUID& clsid, const char* propertyName,
                                               tagQXVALUETYPE type, unsigned char* const data,
                                               unsigned long dataSize) noexcept {
  return SaveProperty("QXSaveComponentPropertyValue", clsid,
                      ComponentPropertyKey(clsid, propertyName), propertyName, type, data,
                      dataSize);
}

tagQXINTRFCRESULT QXRetrieveComponentPropertyValue(const GUID& clsid, const char* propertyName,
                                                   tagQXVALUETYPE* type, unsigned char* const data,
                                                   unsigned long bufferSize,
                                                   unsigned long* size) noexcept {
  return RetrieveProperty("QXRetrieveComponentPropertyValue", clsid,
                          ComponentPropertyKey(clsid, propertyName), propertyName, type, data,
                          bufferSize, size);
}

tagQXINTRFCRESULT QXSaveObjectPropertyValue(const GUID& clsid, const GUID& objectId,
                                            const tagQXCLIENTID& client, int perUser,
                                            const char* propertyName, tagQXVALUETYPE type,
                                            unsigned char* const data,
                                            unsigned long dataSize) noexcept {
  return SaveProperty("QXSaveObjectPropertyValue", clsid,
                      ObjectPropertyKey(clsid, objectId, client, perUser, 0, propertyName),
                      propertyName, type, data, dataSize);
}

tagQXINTRFCRESULT QXRetrieveObjectPropertyValue(const GUID& clsid, const GUID& objectId,
                                                const tagQXCLIENTID& client, int perUser,
                                                int defaultSettings, const char* propertyName,
                                                tagQXVALUETYPE* type, unsigned char* const data,
                                                unsigned long bufferSize,
                                                unsigned long* size) noexcept {
  return RetrieveProperty(
      "QXRetrieveObjectPropertyValue", clsid,
      ObjectPropertyKey(clsid, objectId, client, perUser, defaultSettings, propertyName),
      propertyName, type, data, bufferSize, size);
}
