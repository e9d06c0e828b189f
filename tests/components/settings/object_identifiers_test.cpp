// The object ID maps: QXGenerateObjectID through every state of one name, QXGetObjectKey and
// the value search behind it, against a redirected registry.
#include <string>
#include <vector>

#include "components/settings/settings_fixture.h"
#include "qx/component_settings.h"
#include "registry/value_search.h"
#include "shared/registry_key.h"

namespace settingstest {
namespace {

using rmtest::kDenyAll;
using rmtest::kReadOnly;
constexpr GUID kStale = {
    0xCCCCCCCC, 0xCCCC, 0xCCCC, {0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC}};

void WriteEntry(HKEY root, const char* name, const GUID& id) {
  Sandbox::WriteRaw(root, kMapKey, name, REG_BINARY, &id, sizeof(id));
}

// The map value of a name, required to be a 16-byte REG_BINARY identifier.
::testing::AssertionResult HoldsEntry(HKEY root, const char* name, const GUID& expected) {
  DWORD type = 0;
  std::vector<BYTE> data;
  if (!Sandbox::ReadRaw(root, kMapKey, name, &type, &data)) {
    return ::testing::AssertionFailure() << "no entry for " << name;
  }
  if (type != REG_BINARY || data.size() != sizeof(GUID)) {
    return ::testing::AssertionFailure() << "type " << type << ", " << data.size() << " bytes";
  }
  if (memcmp(data.data(), &expected, sizeof(GUID)) != 0) {
    return ::testing::AssertionFailure() << "a different identifier is stored";
  }
  return ::testing::AssertionSuccess();
}

bool HasEntry(HKEY root, const char* name) { return Sandbox::ValueExists(root, kMapKey, name); }

struct Generated {
  tagQXINTRFCRESULT result;
  GUID id;
};

Generated Generate(const char* name, int forceNew = 0) {
  Generated out{QXIR_PROFILE_ERROR, kStale};
  out.result = QXGenerateObjectID(kComponent, name, &out.id, forceNew);
  return out;
}

// Settings of the user kept under an object key, as QXSaveObjectPropertyValue leaves them.
void WriteUserSettings(const std::string& objectKey) {
  Sandbox::WriteString(HKEY_CURRENT_USER, objectKey + "\\User Settings\\Viewer", "Zoom", "200%");
  Sandbox::WriteDword(HKEY_CURRENT_USER, objectKey + "\\Default Settings", "Level", 3);
}

void ExpectUserSettingsUnder(const std::string& objectKey) {
  EXPECT_EQ(Sandbox::ReadString(HKEY_CURRENT_USER, objectKey + "\\User Settings\\Viewer", "Zoom"),
            "200%");
  EXPECT_EQ(Sandbox::ReadDword(HKEY_CURRENT_USER, objectKey + "\\Default Settings", "Level"), 3u);
}

void DenyMachineMapWrites() {
  Sandbox::CreateKey(HKEY_LOCAL_MACHINE, kMapKey);
  Sandbox::SetKeySecurity(HKEY_LOCAL_MACHINE, kMapKey, kReadOnly);
}

// --- QXGenerateObjectID, one state of the two maps at a time ---------------------------

using GenerateObjectId = SettingsTest;

TEST_F(GenerateObjectId, InNeitherMapANewIdentifierGoesToTheMachineMap) {
  const Generated first = Generate("Camera 1");
  ASSERT_EQ(first.result, QXIR_SUCCESS);
  EXPECT_FALSE(SameGuid(first.id, kStale));
  EXPECT_FALSE(SameGuid(first.id, GUID{}));
  EXPECT_TRUE(HoldsEntry(HKEY_LOCAL_MACHINE, "Camera 1", first.id));
  EXPECT_FALSE(Sandbox::KeyExists(HKEY_CURRENT_USER, kComponentKey));

  const Generated second = Generate("Camera 1");
  ASSERT_EQ(second.result, QXIR_SUCCESS);
  EXPECT_TRUE(SameGuid(second.id, first.id)) << "a name keeps its identifier";
  EXPECT_TRUE(HoldsEntry(HKEY_LOCAL_MACHINE, "Camera 1", first.id));
  EXPECT_FALSE(Sandbox::KeyExists(HKEY_CURRENT_USER, kComponentKey));

  const Generated other = Generate("Camera 2");
  EXPECT_FALSE(SameGuid(other.id, first.id));
}

// compat C21
TEST_F(GenerateObjectId, InNeitherMapWithTheMachineMapUnwritableTheUserMapIsUsed) {
  DenyMachineMapWrites();
  const Generated generated = Generate("Camera 1");
  ASSERT_EQ(generated.result, QXIR_SUCCESS);
  EXPECT_TRUE(HoldsEntry(HKEY_CURRENT_USER, "Camera 1", generated.id));
  EXPECT_FALSE(HasEntry(HKEY_LOCAL_MACHINE, "Camera 1"));
}

TEST_F(GenerateObjectId, InNeitherMapWithBothMapsUnwritableTheIdentifierIsStillHandedOut) {
  DenyMachineMapWrites();
  Sandbox::CreateKey(HKEY_CURRENT_USER, kMapKey);
  Sandbox::SetKeySecurity(HKEY_CURRENT_USER, kMapKey, kReadOnly);
  const Generated generated = Generate("Camera 1");
  EXPECT_EQ(generated.result, QXIR_ACCESS_DENIED);
  EXPECT_FALSE(SameGuid(generated.id, kStale)) << "the new GUID is left in the out-parameter";
  EXPECT_FALSE(HasEntry(HKEY_LOCAL_MACHINE, "Camera 1"));
  EXPECT_FALSE(HasEntry(HKEY_CURRENT_USER, "Camera 1"));
}

TEST_F(GenerateObjectId, MachineOnlyIsReturnedAndNothingChanges) {
  WriteEntry(HKEY_LOCAL_MACHINE, "Camera 1", kObjectA);
  const Generated generated = Generate("Camera 1");
  ASSERT_EQ(generated.result, QXIR_SUCCESS);
  EXPECT_TRUE(SameGuid(generated.id, kObjectA));
  EXPECT_TRUE(HoldsEntry(HKEY_LOCAL_MACHINE, "Camera 1", kObjectA));
  EXPECT_FALSE(Sandbox::KeyExists(HKEY_CURRENT_USER, kComponentKey));
}

// compat C21
TEST_F(GenerateObjectId, UserOnlyIsPromotedToTheMachineMapWhenItIsWritable) {
  WriteEntry(HKEY_CURRENT_USER, "Camera 1", kObjectB);
  WriteUserSettings(kObjectBKey);
  const Generated generated = Generate("Camera 1");
  ASSERT_EQ(generated.result, QXIR_SUCCESS);
  EXPECT_TRUE(SameGuid(generated.id, kObjectB));
  EXPECT_TRUE(HoldsEntry(HKEY_LOCAL_MACHINE, "Camera 1", kObjectB));
  EXPECT_FALSE(HasEntry(HKEY_CURRENT_USER, "Camera 1"));
  ExpectUserSettingsUnder(kObjectBKey);  // same identifier, so the settings stay put
}

TEST_F(GenerateObjectId, UserOnlyStaysWhenTheMachineMapIsUnwritable) {
  WriteEntry(HKEY_CURRENT_USER, "Camera 1", kObjectB);
  DenyMachineMapWrites();
  const Generated generated = Generate("Camera 1");
  ASSERT_EQ(generated.result, QXIR_SUCCESS);
  EXPECT_TRUE(SameGuid(generated.id, kObjectB));
  EXPECT_TRUE(HoldsEntry(HKEY_CURRENT_USER, "Camera 1", kObjectB));
  EXPECT_FALSE(HasEntry(HKEY_LOCAL_MACHINE, "Camera 1"));
}

TEST_F(GenerateObjectId, BothEqualChangesNothing) {
  WriteEntry(HKEY_LOCAL_MACHINE, "Camera 1", kObjectA);
  WriteEntry(HKEY_CURRENT_USER, "Camera 1", kObjectA);
  WriteUserSettings(kObjectAKey);
  const Generated generated = Generate("Camera 1");
  ASSERT_EQ(generated.result, QXIR_SUCCESS);
  EXPECT_TRUE(SameGuid(generated.id, kObjectA));
  EXPECT_TRUE(HoldsEntry(HKEY_LOCAL_MACHINE, "Camera 1", kObjectA));
  EXPECT_TRUE(HoldsEntry(HKEY_CURRENT_USER, "Camera 1", kObjectA));
  ExpectUserSettingsUnder(kObjectAKey);
}

// compat C21
TEST_F(GenerateObjectId, BothDifferentMovesTheUsersSettingsToTheMachineIdentifier) {
  WriteEntry(HKEY_LOCAL_MACHINE, "Camera 1", kObjectA);
  WriteEntry(HKEY_CURRENT_USER, "Camera 1", kObjectB);
  WriteEntry(HKEY_CURRENT_USER, "Camera 2", kObjectB);  // another name, left alone
  WriteUserSettings(kObjectBKey);
  const Generated generated = Generate("Camera 1");
  ASSERT_EQ(generated.result, QXIR_SUCCESS);
  EXPECT_TRUE(SameGuid(generated.id, kObjectA));

  ExpectUserSettingsUnder(kObjectAKey);
  EXPECT_FALSE(Sandbox::KeyExists(HKEY_CURRENT_USER, kObjectBKey)) << "old object key removed";
  EXPECT_FALSE(HasEntry(HKEY_CURRENT_USER, "Camera 1"));
  EXPECT_TRUE(HoldsEntry(HKEY_CURRENT_USER, "Camera 2", kObjectB));
  EXPECT_TRUE(HoldsEntry(HKEY_LOCAL_MACHINE, "Camera 1", kObjectA));
  EXPECT_FALSE(Sandbox::KeyExists(HKEY_LOCAL_MACHINE, kComponentKey + "\\Object"))
      << "the machine tree is not touched by the move";
}

TEST_F(GenerateObjectId, BothDifferentWithoutAUserObjectKeyLeavesBothEntriesAndAnEmptyKey) {
  WriteEntry(HKEY_LOCAL_MACHINE, "Camera 1", kObjectA);
  WriteEntry(HKEY_CURRENT_USER, "Camera 1", kObjectB);
  const Generated generated = Generate("Camera 1");
  ASSERT_EQ(generated.result, QXIR_SUCCESS) << "a failed move is not reported";
  EXPECT_TRUE(SameGuid(generated.id, kObjectA));
  EXPECT_TRUE(HoldsEntry(HKEY_LOCAL_MACHINE, "Camera 1", kObjectA));
  EXPECT_TRUE(HoldsEntry(HKEY_CURRENT_USER, "Camera 1", kObjectB))
      << "the user entry goes only after a successful copy";
  ASSERT_TRUE(Sandbox::KeyExists(HKEY_CURRENT_USER, kObjectAKey))
      << "the copy creates its destination before it finds the source missing";
  EXPECT_TRUE(Sandbox::SubKeyNames(HKEY_CURRENT_USER, kObjectAKey).empty());
}

TEST_F(GenerateObjectId, ForceNewReplacesTheEntryEveryTime) {
  WriteEntry(HKEY_LOCAL_MACHINE, "Camera 1", kObjectA);
  std::vector<GUID> seen = {kObjectA};
  for (int call = 0; call < 3; ++call) {
    const Generated generated = Generate("Camera 1", 1);
    ASSERT_EQ(generated.result, QXIR_SUCCESS);
    for (const GUID& earlier : seen) EXPECT_FALSE(SameGuid(generated.id, earlier)) << call;
    EXPECT_TRUE(HoldsEntry(HKEY_LOCAL_MACHINE, "Camera 1", generated.id));
    seen.push_back(generated.id);
  }
  EXPECT_FALSE(Sandbox::KeyExists(HKEY_CURRENT_USER, kComponentKey));
}

TEST_F(GenerateObjectId, ForceNewAfterAMoveLeavesTheSettingsUnderTheMachineIdentifier) {
  WriteEntry(HKEY_LOCAL_MACHINE, "Camera 1", kObjectA);
  WriteEntry(HKEY_CURRENT_USER, "Camera 1", kObjectB);
  WriteUserSettings(kObjectBKey);
  const Generated generated = Generate("Camera 1", 1);
  ASSERT_EQ(generated.result, QXIR_SUCCESS);
  EXPECT_FALSE(SameGuid(generated.id, kObjectA));
  EXPECT_FALSE(SameGuid(generated.id, kObjectB));
  EXPECT_TRUE(HoldsEntry(HKEY_LOCAL_MACHINE, "Camera 1", generated.id));
  EXPECT_FALSE(HasEntry(HKEY_CURRENT_USER, "Camera 1")) << "the move ran first";
  ExpectUserSettingsUnder(kObjectAKey);
  EXPECT_FALSE(Sandbox::KeyExists(HKEY_CURRENT_USER, kObjectBKey));
}

TEST_F(GenerateObjectId, ForceNewWithTheMachineMapUnwritableReplacesTheUserEntry) {
  WriteEntry(HKEY_CURRENT_USER, "Camera 1", kObjectB);
  DenyMachineMapWrites();
  const Generated generated = Generate("Camera 1", 1);
  ASSERT_EQ(generated.result, QXIR_SUCCESS);
  EXPECT_FALSE(SameGuid(generated.id, kObjectB));
  EXPECT_TRUE(HoldsEntry(HKEY_CURRENT_USER, "Camera 1", generated.id));
  EXPECT_FALSE(HasEntry(HKEY_LOCAL_MACHINE, "Camera 1"));
}

// compat C22
TEST_F(GenerateObjectId, AShortValueIsAnEntryPaddedWithZeros) {
  const unsigned char head[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  GUID padded = {};
  memcpy(&padded, head, sizeof(head));
  Sandbox::WriteRaw(HKEY_LOCAL_MACHINE, kMapKey, "Machine short", REG_BINARY, head, 8);
  const Generated machine = Generate("Machine short");
  ASSERT_EQ(machine.result, QXIR_SUCCESS);
  EXPECT_TRUE(SameGuid(machine.id, padded)) << "no stale bytes after the stored ones";

  // Promoted, it becomes a full 16-byte entry.
  Sandbox::WriteRaw(HKEY_CURRENT_USER, kMapKey, "User short", REG_BINARY, head, 8);
  const Generated user = Generate("User short");
  ASSERT_EQ(user.result, QXIR_SUCCESS);
  EXPECT_TRUE(SameGuid(user.id, padded));
  EXPECT_TRUE(HoldsEntry(HKEY_LOCAL_MACHINE, "User short", padded));
}

// compat C22
TEST_F(GenerateObjectId, TheStoredTypeIsNotCheckedButALargerValueIsNoEntry) {
  Sandbox::WriteRaw(HKEY_LOCAL_MACHINE, kMapKey, "Typed", REG_SZ, &kObjectA, sizeof(GUID));
  const Generated typed = Generate("Typed");
  ASSERT_EQ(typed.result, QXIR_SUCCESS);
  EXPECT_TRUE(SameGuid(typed.id, kObjectA));

  const unsigned char large[20] = {9, 9, 9};
  Sandbox::WriteRaw(HKEY_LOCAL_MACHINE, kMapKey, "Large", REG_BINARY, large, sizeof(large));
  const Generated replaced = Generate("Large");
  ASSERT_EQ(replaced.result, QXIR_SUCCESS);
  EXPECT_TRUE(HoldsEntry(HKEY_LOCAL_MACHINE, "Large", replaced.id))
      << "a new identifier replaces the value that did not fit";
}

TEST_F(GenerateObjectId, ANameThatWouldNotFitOrAMissingOutParameterIsRefusedUntouched) {
  // The map key is 88 characters; with a backslash and the name the value's name must fit 1023.
  const std::string longest(1023 - kMapKey.size() - 1, 'o');
  const std::string tooLong = longest + "o";
  const Generated refused = Generate(tooLong.c_str());
  EXPECT_EQ(refused.result, QXIR_INVALID_PARAMETER);
  EXPECT_TRUE(SameGuid(refused.id, kStale));
  EXPECT_EQ(QXGenerateObjectID(kComponent, "Camera 1", nullptr, 0), QXIR_INVALID_PARAMETER);
  EXPECT_FALSE(Sandbox::KeyExists(HKEY_LOCAL_MACHINE, kComponentKey));

  const Generated fits = Generate(longest.c_str());
  ASSERT_EQ(fits.result, QXIR_SUCCESS);
  EXPECT_TRUE(HoldsEntry(HKEY_LOCAL_MACHINE, longest.c_str(), fits.id));
}

// --- QXGetObjectKey ---------------------------------------------------------------------

using GetObjectKey = SettingsTest;

constexpr unsigned long kUntouched = 0xDEADBEEF;

TEST_F(GetObjectKey, BufferProtocol) {
  WriteEntry(HKEY_LOCAL_MACHINE, "Camera 1", kObjectA);  // 8 characters, 9 bytes
  unsigned long needed = kUntouched;
  EXPECT_EQ(QXGetObjectKey(kComponent, kObjectA, nullptr, 0, &needed), QXIR_SUCCESS);
  EXPECT_EQ(needed, 9u);

  char buffer[16];
  memset(buffer, '#', sizeof(buffer));
  needed = kUntouched;
  EXPECT_EQ(QXGetObjectKey(kComponent, kObjectA, buffer, 8, &needed), QXIR_BUFFER_TOO_SMALL);
  EXPECT_EQ(needed, 9u);
  EXPECT_EQ(buffer[0], '#') << "a buffer that is too small is not written";

  needed = kUntouched;
  EXPECT_EQ(QXGetObjectKey(kComponent, kObjectA, buffer, 9, &needed), QXIR_SUCCESS);
  EXPECT_STREQ(buffer, "Camera 1");
  EXPECT_EQ(needed, kUntouched) << "not written when the name fits";

  // Without a size pointer a probe has nowhere to answer; a short buffer is still reported.
  EXPECT_EQ(QXGetObjectKey(kComponent, kObjectA, nullptr, 0, nullptr), QXIR_INVALID_PARAMETER);
  EXPECT_EQ(QXGetObjectKey(kComponent, kObjectA, buffer, 3, nullptr), QXIR_BUFFER_TOO_SMALL);
  EXPECT_EQ(QXGetObjectKey(kComponent, kObjectA, buffer, sizeof(buffer), nullptr), QXIR_SUCCESS);
}

TEST_F(GetObjectKey, MachineMapNameWinsOverTheUserMapName) {
  WriteEntry(HKEY_LOCAL_MACHINE, "Machine name", kObjectA);
  WriteEntry(HKEY_CURRENT_USER, "A user name", kObjectA);
  char buffer[32] = {};
  unsigned long needed = kUntouched;
  ASSERT_EQ(QXGetObjectKey(kComponent, kObjectA, buffer, sizeof(buffer), &needed), QXIR_SUCCESS);
  EXPECT_STREQ(buffer, "Machine name");
  // The probe and the too-small answer follow the machine map's name too (13 bytes, not 12).
  EXPECT_EQ(QXGetObjectKey(kComponent, kObjectA, nullptr, 0, &needed), QXIR_SUCCESS);
  EXPECT_EQ(needed, 13u);
  needed = kUntouched;
  EXPECT_EQ(QXGetObjectKey(kComponent, kObjectA, buffer, 12, &needed), QXIR_BUFFER_TOO_SMALL);
  EXPECT_EQ(needed, 13u);
}

TEST_F(GetObjectKey, UserMapIsSearchedWhenTheMachineMapHasNoMatch) {
  WriteEntry(HKEY_LOCAL_MACHINE, "Machine name", kObjectB);
  WriteEntry(HKEY_CURRENT_USER, "User name", kObjectA);
  char buffer[32] = {};
  unsigned long needed = kUntouched;
  ASSERT_EQ(QXGetObjectKey(kComponent, kObjectA, buffer, sizeof(buffer), &needed), QXIR_SUCCESS);
  EXPECT_STREQ(buffer, "User name");

  Sandbox::SetKeySecurity(HKEY_LOCAL_MACHINE, kComponentKey, kDenyAll);
  memset(buffer, 0, sizeof(buffer));
  EXPECT_EQ(QXGetObjectKey(kComponent, kObjectA, buffer, sizeof(buffer), &needed), QXIR_SUCCESS)
      << "a machine map that cannot be reached at all leads on to the user map";
  EXPECT_STREQ(buffer, "User name");
}

TEST_F(GetObjectKey, AnIdentifierInNeitherMapIsARegistryError) {
  char buffer[32] = "untouched";
  unsigned long needed = kUntouched;
  EXPECT_EQ(QXGetObjectKey(kComponent, kObjectA, buffer, sizeof(buffer), &needed),
            QXIR_REGISTRY_ERROR)
      << "no map keys at all";
  WriteEntry(HKEY_LOCAL_MACHINE, "Camera 1", kObjectB);
  WriteEntry(HKEY_CURRENT_USER, "Camera 1", kObjectB);
  EXPECT_EQ(QXGetObjectKey(kComponent, kObjectA, buffer, sizeof(buffer), &needed),
            QXIR_REGISTRY_ERROR);
  EXPECT_STREQ(buffer, "untouched");
  EXPECT_EQ(needed, kUntouched);
}

TEST_F(GetObjectKey, DeniedMapsAreReportedAsDenied) {
  WriteEntry(HKEY_LOCAL_MACHINE, "Machine name", kObjectA);
  WriteEntry(HKEY_CURRENT_USER, "User name", kObjectA);
  Sandbox::SetKeySecurity(HKEY_LOCAL_MACHINE, kMapKey, kDenyAll);
  char buffer[32] = {};
  unsigned long needed = kUntouched;
  EXPECT_EQ(QXGetObjectKey(kComponent, kObjectA, buffer, sizeof(buffer), &needed),
            QXIR_ACCESS_DENIED)
      << "a denied machine map does not lead on to the user map";

  rmtest::DeleteTreeForcibly(HKEY_LOCAL_MACHINE, kMapKey);
  Sandbox::SetKeySecurity(HKEY_CURRENT_USER, kMapKey, kDenyAll);
  EXPECT_EQ(QXGetObjectKey(kComponent, kObjectA, buffer, sizeof(buffer), &needed),
            QXIR_ACCESS_DENIED);
}

// A map of decoys (wrong size, wrong type, wrong bytes) and one match, placed before, among and
// after the decoys by name, since the registry may enumerate in name order.
TEST_F(GetObjectKey, AMatchIsFoundAmongValuesOfOtherSizesAndTypes) {
  unsigned char bytes[17];
  memcpy(bytes, &kObjectA, 16);
  bytes[16] = 0;
  GUID nearMiss = kObjectA;
  nearMiss.Data4[7] ^= 1;
  for (const char* matchName : {"A match", "M match", "Z match"}) {
    SCOPED_TRACE(matchName);
    rmtest::DeleteTreeForcibly(HKEY_LOCAL_MACHINE, kMapKey);
    Sandbox::WriteRaw(HKEY_LOCAL_MACHINE, kMapKey, "B string", REG_SZ, bytes, 16);
    Sandbox::WriteRaw(HKEY_LOCAL_MACHINE, kMapKey, "C none", REG_NONE, bytes, 16);
    Sandbox::WriteRaw(HKEY_LOCAL_MACHINE, kMapKey, "D short", REG_BINARY, bytes, 15);
    Sandbox::WriteRaw(HKEY_LOCAL_MACHINE, kMapKey, "E long", REG_BINARY, bytes, 17);
    Sandbox::WriteDword(HKEY_LOCAL_MACHINE, kMapKey, "F dword", 0x12345678);
    Sandbox::WriteRaw(HKEY_LOCAL_MACHINE, kMapKey, "G near miss", REG_BINARY, &nearMiss, 16);
    Sandbox::WriteRaw(HKEY_LOCAL_MACHINE, kMapKey, "N empty", REG_BINARY, nullptr, 0);
    Sandbox::WriteString(HKEY_LOCAL_MACHINE, kMapKey, "P a long text value", std::string(300, 't'));
    WriteEntry(HKEY_LOCAL_MACHINE, matchName, kObjectA);

    char buffer[32] = {};
    unsigned long needed = kUntouched;
    ASSERT_EQ(QXGetObjectKey(kComponent, kObjectA, buffer, sizeof(buffer), &needed), QXIR_SUCCESS);
    EXPECT_STREQ(buffer, matchName);
  }
}

}  // namespace

// --- the search itself --------------------------------------------------------------------

using FindValueNameByData = SettingsTest;

// The first matching value in the registry's own enumeration order, found independently.
std::string FirstMatchByEnumeration(HKEY root, const std::string& path, const GUID& id) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return "<no key>";
  std::string found = "<none>";
  for (DWORD index = 0;; ++index) {
    char name[256];
    BYTE data[64];
    DWORD nameLength = sizeof(name);
    DWORD size = sizeof(data);
    DWORD type = 0;
    if (RegEnumValueA(key, index, name, &nameLength, nullptr, &type, data, &size) !=
        ERROR_SUCCESS) {
      break;
    }
    if (type == REG_BINARY && size == 16 && memcmp(data, &id, 16) == 0) {
      found.assign(name, nameLength);
      break;
    }
  }
  RegCloseKey(key);
  return found;
}

TEST_F(FindValueNameByData, FirstMatchInEnumerationOrderWins) {
  for (const char* name : {"Second", "First", "Third"})
    WriteEntry(HKEY_LOCAL_MACHINE, name, kObjectA);
  const std::string expected = FirstMatchByEnumeration(HKEY_LOCAL_MACHINE, kMapKey, kObjectA);
  ASSERT_NE(expected, "<none>");
  char buffer[32] = {};
  unsigned long needed = kUntouched;
  EXPECT_EQ(rm::FindValueNameByData(HKEY_LOCAL_MACHINE, kMapKey.c_str(), buffer, sizeof(buffer),
                                    &needed, &kObjectA, 16),
            rm::kSuccess);
  EXPECT_EQ(buffer, expected);
}

TEST_F(FindValueNameByData, ReportsNoMatchMissingKeysAndTheDefaultValue) {
  char buffer[32] = "untouched";
  unsigned long needed = kUntouched;
  EXPECT_EQ(rm::FindValueNameByData(HKEY_LOCAL_MACHINE, kMapKey.c_str(), buffer, sizeof(buffer),
                                    &needed, &kObjectA, 16),
            static_cast<rm::WinCode>(ERROR_FILE_NOT_FOUND));
  Sandbox::CreateKey(HKEY_LOCAL_MACHINE, kMapKey);
  EXPECT_EQ(rm::FindValueNameByData(HKEY_LOCAL_MACHINE, kMapKey.c_str(), buffer, sizeof(buffer),
                                    &needed, &kObjectA, 16),
            rm::kBadDatabase)
      << "a key without values";
  EXPECT_STREQ(buffer, "untouched");
  EXPECT_EQ(needed, kUntouched);

  // Only empty values: the largest data size is zero, and an empty match is still a match.
  Sandbox::WriteRaw(HKEY_LOCAL_MACHINE, kMapKey, nullptr, REG_BINARY, nullptr, 0);
  EXPECT_EQ(rm::FindValueNameByData(HKEY_LOCAL_MACHINE, kMapKey.c_str(), nullptr, 0, &needed,
                                    &kObjectA, 0),
            rm::kSuccess);
  EXPECT_EQ(needed, 1u) << "the default value's name is empty";
}

}  // namespace settingstest
