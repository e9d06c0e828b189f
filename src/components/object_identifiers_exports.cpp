// Object identifiers: the per-machine and per-user maps from object names to GUIDs.

#include <objbase.h>

#include <cstring>

#include "components/clsid_text.h"
#include "components/registry_layout.h"
#include "components/value_name_limit.h"
#include "qx/component_settings.h"
#include "registry/failure_trace.h"
#include "registry/registry_primitives.h"
#include "registry/registry_tree.h"
#include "registry/value_search.h"
#include "shared/registry_key.h"
#include "shared/unique_handle.h"

namespace {

using rm::ClsidText;
using rm::RegistryPath;
using rm::WinCode;

constexpr unsigned long kIdentifierSize = sizeof(GUID);  // 16 bytes, the GUID as in memory

// One name's entry in one map: found, not there, or a read that failed, from which nothing
// may be decided. A stored value shorter than 16 bytes still counts as an entry; the
// identifier's remaining bytes are then zero. A larger one does not fit and is no entry.
// compat C22 F19
struct MapEntry {
  rm::ReadOutcome outcome = rm::ReadOutcome::NotThere;
  WinCode code = rm::kSuccess;
  GUID id = {};

  bool present() const noexcept { return outcome == rm::ReadOutcome::Found; }
};

MapEntry ReadMapEntry(HKEY root, const RegistryPath& mapPath, const char* objectName) noexcept {
  MapEntry entry;
  const rm::SmallValueRead read =
      rm::ReadSmallValue(root, mapPath.c_str(), objectName, &entry.id, kIdentifierSize);
  entry.outcome = read.outcome;
  entry.code = read.code;
  // A read that did not find an entry may have left part of a value behind in the buffer.
  if (!entry.present()) entry.id = GUID{};
  return entry;
}

WinCode WriteMapEntry(HKEY root, const RegistryPath& mapPath, const char* objectName,
                      const GUID& id) noexcept {
  return rm::WriteRegistryValue(root, mapPath.c_str(), objectName, QXVT_BINARY, &id,
                                kIdentifierSize);
}

bool SameIdentifier(const GUID& left, const GUID& right) noexcept {
  return std::memcmp(&left, &right, kIdentifierSize) == 0;
}

// The user's settings kept under the user identifier move, within HKEY_CURRENT_USER, to the
// machine identifier's object key. The user's entry and old object key go only once the copy
// has succeeded, that is once every sub-key and value was copied; failures here are not the
// caller's concern, the machine identifier stands, and the next call tries the move again.
// compat F18
void MigrateUserObjectKey(const ClsidText& clsidText, const RegistryPath& mapPath,
                          const char* objectName, const GUID& userId,
                          const GUID& machineId) noexcept {
  ClsidText userIdText;
  ClsidText machineIdText;
  if (rm::FormatCLSIDText(userId, userIdText) != QXIR_SUCCESS ||
      rm::FormatCLSIDText(machineId, machineIdText) != QXIR_SUCCESS) {
    return;
  }
  const RegistryPath from = rm::ObjectKeyPath(clsidText.c_str(), userIdText.c_str());
  const RegistryPath to = rm::ObjectKeyPath(clsidText.c_str(), machineIdText.c_str());
  if (!from.ok() || !to.ok()) return;
  if (rm::CopyRegistryKeyTree(HKEY_CURRENT_USER, HKEY_CURRENT_USER, from.c_str(), to.c_str()) !=
      rm::kSuccess) {
    return;
  }
  rm::DeleteRegistryValue(HKEY_CURRENT_USER, mapPath.c_str(), objectName);
  rm::DeleteRegistryKeyTree(HKEY_CURRENT_USER, from.c_str());
}

// A fresh identifier into the machine map, or into the user map when the machine map refuses.
// compat C21
tagQXINTRFCRESULT GenerateInto(const rm::CallTrace& call, const RegistryPath& mapPath,
                               const char* objectName, GUID* objectId) noexcept {
  if (const HRESULT created = CoCreateGuid(objectId); FAILED(created)) {
    return call.Returns(QXIR_REGISTRY_ERROR, created);
  }
  if (WriteMapEntry(HKEY_LOCAL_MACHINE, mapPath, objectName, *objectId) == rm::kSuccess) {
    return QXIR_SUCCESS;
  }
  const WinCode code = WriteMapEntry(HKEY_CURRENT_USER, mapPath, objectName, *objectId);
  return call.Returns(rm::MapByRegistryRule(code), code);
}

}  // namespace

tagQXINTRFCRESULT QXGenerateObjectID(const GUID& clsid, const char* objectName, GUID* objectId,
                                     int forceNew) noexcept {
  rm::CallTrace call("QXGenerateObjectID");
  call.Guid(&clsid).Name(objectName);
  ClsidText clsidText;
  if (const auto refused = rm::ComponentKeyText(clsid, clsidText)) return call.Returns(refused);
  if (objectId == nullptr) return call.Returns(QXIR_INVALID_PARAMETER);
  const RegistryPath mapPath = rm::ObjectIdMapKeyPath(clsidText.c_str());
  if (!rm::ValueNameFits(mapPath, objectName)) return call.Returns(QXIR_INVALID_PARAMETER);

  // Only an entry that is not there counts as none: a map that cannot be read fails the call
  // with nothing written, rather than have an identifier replaced, promoted over another or
  // generated anew.
  // compat F19
  const MapEntry machine = ReadMapEntry(HKEY_LOCAL_MACHINE, mapPath, objectName);
  if (machine.outcome == rm::ReadOutcome::Failed) {
    return call.Returns(rm::MapByRegistryRule(machine.code), machine.code);
  }
  const MapEntry user = ReadMapEntry(HKEY_CURRENT_USER, mapPath, objectName);
  if (user.outcome == rm::ReadOutcome::Failed) {
    return call.Returns(rm::MapByRegistryRule(user.code), user.code);
  }

  if (machine.present()) {
    if (user.present() && !SameIdentifier(machine.id, user.id)) {
      MigrateUserObjectKey(clsidText, mapPath, objectName, user.id, machine.id);
    }
    *objectId = machine.id;
  } else if (user.present()) {
    // compat C21
    // Promotion: the identifier stays the same, so the user's object key stays where it is.
    *objectId = user.id;
    if (WriteMapEntry(HKEY_LOCAL_MACHINE, mapPath, objectName, user.id) == rm::kSuccess) {
      rm::DeleteRegistryValue(HKEY_CURRENT_USER, mapPath.c_str(), objectName);
    }
  } else {
    return GenerateInto(call, mapPath, objectName, objectId);
  }
  return forceNew != 0 ? GenerateInto(call, mapPath, objectName, objectId) : QXIR_SUCCESS;
}

tagQXINTRFCRESULT QXGetObjectKey(const GUID& clsid, const GUID& objectId, char* buffer,
                                 unsigned long bufferSize, unsigned long* sizeNeeded) noexcept {
  rm::CallTrace call("QXGetObjectKey");
  call.Guid(&clsid).Guid(&objectId);
  ClsidText clsidText;
  if (const auto refused = rm::ComponentKeyText(clsid, clsidText)) return call.Returns(refused);
  if (rm::IsNullAddress(&objectId)) return call.Returns(QXIR_BAD_OBJECT_ID);
  // A size probe with nowhere to put the answer.
  if (buffer == nullptr && sizeNeeded == nullptr) return call.Returns(QXIR_INVALID_PARAMETER);
  const RegistryPath mapPath = rm::ObjectIdMapKeyPath(clsidText.c_str());
  if (!mapPath.ok()) return call.Returns(QXIR_INVALID_PARAMETER);

  // Only a machine map that is not there, or holds no match, sends the search on to the
  // user's map: a search that failed may have missed the machine's own name for it.
  // compat F19
  const WinCode machine =
      rm::FindValueNameByData(HKEY_LOCAL_MACHINE, mapPath.c_str(), buffer, bufferSize, sizeNeeded,
                              &objectId, kIdentifierSize);
  if (machine != rm::kNotFound && machine != rm::kBadDatabase) {
    return call.Returns(rm::MapByRegistryReadRule(machine), machine);
  }
  const WinCode user = rm::FindValueNameByData(HKEY_CURRENT_USER, mapPath.c_str(), buffer,
                                               bufferSize, sizeNeeded, &objectId, kIdentifierSize);
  return call.Returns(rm::MapByRegistryReadRule(user), user);
}
