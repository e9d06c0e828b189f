// Component and object properties against a redirected registry.
#include <cstring>
#include <string>
#include <vector>

#include "components/settings/settings_fixture.h"
#include "qx/component_settings.h"

namespace settingstest {
namespace {

const std::string kUserSettingsA = kObjectAKey + "\\User Settings\\";
const std::string kDefaultSettingsA = kObjectAKey + "\\Default Settings";

// Sentinels that show whether an out-parameter was written.
constexpr unsigned long kUntouchedSize = 0xDEADBEEF;
constexpr tagQXVALUETYPE kUntouchedType = static_cast<tagQXVALUETYPE>(77);

struct Retrieved {
  tagQXINTRFCRESULT result;
  tagQXVALUETYPE type = kUntouchedType;
  unsigned long size = kUntouchedSize;
  std::vector<unsigned char> data;
};

Retrieved RetrieveComponent(const char* name, unsigned long bufferSize = 64) {
  Retrieved out{};
  out.type = kUntouchedType;
  out.size = kUntouchedSize;
  out.data.assign(bufferSize, 0xCC);
  out.result = QXRetrieveComponentPropertyValue(
      kComponent, name, &out.type, bufferSize ? out.data.data() : nullptr, bufferSize, &out.size);
  return out;
}

Retrieved RetrieveObject(const tagQXCLIENTID& client, int perUser, int defaultSettings,
                         const char* name, unsigned long bufferSize = 64) {
  Retrieved out{};
  out.type = kUntouchedType;
  out.size = kUntouchedSize;
  out.data.assign(bufferSize, 0xCC);
  out.result = QXRetrieveObjectPropertyValue(
      kComponent, kObjectA, client, perUser, defaultSettings, name, &out.type,
      bufferSize ? out.data.data() : nullptr, bufferSize, &out.size);
  return out;
}

std::string Text(const Retrieved& r) {
  return std::string(r.data.begin(), r.data.begin() + std::min<size_t>(r.size, r.data.size()));
}

tagQXINTRFCRESULT SaveObjectText(const tagQXCLIENTID& client, int perUser, const char* name,
                                 const std::string& text) {
  return QXSaveObjectPropertyValue(
      kComponent, kObjectA, client, perUser, name, QXVT_STRING,
      reinterpret_cast<unsigned char*>(const_cast<char*>(text.c_str())),
      static_cast<unsigned long>(text.size() + 1));
}

tagQXINTRFCRESULT SaveComponentText(const char* name, const std::string& text) {
  return QXSaveComponentPropertyValue(
      kComponent, name, QXVT_STRING,
      reinterpret_cast<unsigned char*>(const_cast<char*>(text.c_str())),
      static_cast<unsigned long>(text.size() + 1));
}

// --- component properties ---------------------------------------------------------------

using ComponentProperty = SettingsTest;

TEST_F(ComponentProperty, DwordIsStoredInTheMachineComponentKeyAndReadBack) {
  DWORD value = 0x01020304;
  ASSERT_EQ(QXSaveComponentPropertyValue(kComponent, "Speed", QXVT_DWORD,
                                         reinterpret_cast<unsigned char*>(&value), 4),
            QXIR_SUCCESS);
  DWORD type = 0;
  std::vector<BYTE> raw;
  ASSERT_TRUE(Sandbox::ReadRaw(HKEY_LOCAL_MACHINE, kComponentKey, "Speed", &type, &raw))
      << "a never registered component gets its key on the first save";
  EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(Sandbox::ReadDword(HKEY_LOCAL_MACHINE, kComponentKey, "Speed"), value);
  EXPECT_FALSE(Sandbox::KeyExists(HKEY_CURRENT_USER, kComponentKey))
      << "component properties live per machine only";

  const Retrieved read = RetrieveComponent("Speed");
  ASSERT_EQ(read.result, QXIR_SUCCESS);
  EXPECT_EQ(read.type, QXVT_DWORD);
  EXPECT_EQ(read.size, 4u);
  EXPECT_EQ(memcmp(read.data.data(), &value, 4), 0);
}

TEST_F(ComponentProperty, EachTypeIsStoredAsItsRegistryTypeWithExactlyTheBytesGiven) {
  unsigned char bytes[3] = {0x00, 0xFF, 0x10};
  ASSERT_EQ(QXSaveComponentPropertyValue(kComponent, "Blob", QXVT_BINARY, bytes, 3), QXIR_SUCCESS);
  // The terminator is stored only when the size counts it. (The registry itself adds one when
  // the byte just past the data is NUL, so the byte past "abc" here is not.)
  char text[] = "abcd";
  ASSERT_EQ(QXSaveComponentPropertyValue(kComponent, "Short", QXVT_STRING,
                                         reinterpret_cast<unsigned char*>(text), 3),
            QXIR_SUCCESS);

  DWORD type = 0;
  std::vector<BYTE> raw;
  ASSERT_TRUE(Sandbox::ReadRaw(HKEY_LOCAL_MACHINE, kComponentKey, "Blob", &type, &raw));
  EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
  EXPECT_EQ(raw, std::vector<BYTE>(bytes, bytes + 3));
  ASSERT_TRUE(Sandbox::ReadRaw(HKEY_LOCAL_MACHINE, kComponentKey, "Short", &type, &raw));
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(raw.size(), 3u);

  const Retrieved blob = RetrieveComponent("Blob");
  EXPECT_EQ(blob.result, QXIR_SUCCESS);
  EXPECT_EQ(blob.type, QXVT_BINARY);
  EXPECT_EQ(blob.size, 3u);
  const Retrieved shortText = RetrieveComponent("Short");
  EXPECT_EQ(shortText.type, QXVT_STRING);
  EXPECT_EQ(Text(shortText), "abc");
}

TEST_F(ComponentProperty, UnknownTypeIsStoredAsNoneAndReportedUnknown) {
  unsigned char bytes[2] = {0x5A, 0xA5};
  for (int type : {3, -1, 1000}) {
    SCOPED_TRACE(type);
    ASSERT_EQ(QXSaveComponentPropertyValue(kComponent, "Odd", static_cast<tagQXVALUETYPE>(type),
                                           bytes, 2),
              QXIR_SUCCESS);
    DWORD stored = 0xFF;
    std::vector<BYTE> raw;
    ASSERT_TRUE(Sandbox::ReadRaw(HKEY_LOCAL_MACHINE, kComponentKey, "Odd", &stored, &raw));
    EXPECT_EQ(stored, static_cast<DWORD>(REG_NONE));
    const Retrieved read = RetrieveComponent("Odd");
    EXPECT_EQ(read.result, QXIR_SUCCESS);
    EXPECT_EQ(read.type, QXVT_UNKNOWN);
    EXPECT_EQ(read.size, 2u);
    EXPECT_EQ(memcmp(read.data.data(), bytes, 2), 0);
  }
  // Stored by someone else with a type of its own: unknown too, with the bytes delivered.
  const char multi[] = "a\0b\0";
  Sandbox::WriteRaw(HKEY_LOCAL_MACHINE, kComponentKey, "Multi", REG_MULTI_SZ, multi, 5);
  Sandbox::WriteRaw(HKEY_LOCAL_MACHINE, kComponentKey, "Expand", REG_EXPAND_SZ, "%X%", 4);
  const Retrieved readMulti = RetrieveComponent("Multi");
  EXPECT_EQ(readMulti.result, QXIR_SUCCESS);
  EXPECT_EQ(readMulti.type, QXVT_UNKNOWN);
  EXPECT_EQ(readMulti.size, 5u);
  EXPECT_EQ(memcmp(readMulti.data.data(), multi, 5), 0);
  EXPECT_EQ(RetrieveComponent("Expand").type, QXVT_UNKNOWN);
}

TEST_F(ComponentProperty, NullOrEmptyNameIsTheFriendlyName) {
  Sandbox::WriteString(HKEY_LOCAL_MACHINE, kComponentKey, nullptr, "Old Friendly Name");
  ASSERT_EQ(SaveComponentText(nullptr, "New Friendly Name"), QXIR_SUCCESS);
  EXPECT_EQ(Sandbox::ReadString(HKEY_LOCAL_MACHINE, kComponentKey, nullptr), "New Friendly Name");
  const Retrieved read = RetrieveComponent("");
  EXPECT_EQ(read.result, QXIR_SUCCESS);
  EXPECT_EQ(read.type, QXVT_STRING);
  EXPECT_EQ(Text(read), std::string("New Friendly Name", 18));
}

TEST_F(ComponentProperty, FileAndRefCountOfTheRegistrationCanBeReplaced) {
  Sandbox::WriteString(HKEY_LOCAL_MACHINE, kComponentKey, "File", "C:\\old\\Comp.dll");
  Sandbox::WriteDword(HKEY_LOCAL_MACHINE, kComponentKey, "RefCount", 2);
  ASSERT_EQ(SaveComponentText("File", "D:\\new\\Comp.dll"), QXIR_SUCCESS);
  DWORD count = 9;
  ASSERT_EQ(QXSaveComponentPropertyValue(kComponent, "RefCount", QXVT_DWORD,
                                         reinterpret_cast<unsigned char*>(&count), 4),
            QXIR_SUCCESS);
  EXPECT_EQ(Sandbox::ReadString(HKEY_LOCAL_MACHINE, kComponentKey, "File"), "D:\\new\\Comp.dll");
  EXPECT_EQ(Sandbox::ReadDword(HKEY_LOCAL_MACHINE, kComponentKey, "RefCount"), 9u);
}

// compat C03
TEST_F(ComponentProperty, BufferProtocol) {
  ASSERT_EQ(SaveComponentText("Name", "twelve chars"), QXIR_SUCCESS);
  const Retrieved probe = RetrieveComponent("Name", 0);
  EXPECT_EQ(probe.result, QXIR_SUCCESS);
  EXPECT_EQ(probe.size, 13u);
  EXPECT_EQ(probe.type, kUntouchedType) << "a probe reports no type";
  const Retrieved cut = RetrieveComponent("Name", 12);
  EXPECT_EQ(cut.result, QXIR_REGISTRY_ERROR) << "not QXIR_BUFFER_TOO_SMALL";
  EXPECT_EQ(cut.size, 13u);
  EXPECT_EQ(cut.type, kUntouchedType);
  const Retrieved exact = RetrieveComponent("Name", 13);
  EXPECT_EQ(exact.result, QXIR_SUCCESS);
  EXPECT_EQ(exact.size, 13u);
}

TEST_F(ComponentProperty, MissingValueOrKeyIsARegistryErrorAndWritesNothing) {
  const Retrieved noKey = RetrieveComponent("Speed");
  EXPECT_EQ(noKey.result, QXIR_REGISTRY_ERROR);
  EXPECT_EQ(noKey.size, kUntouchedSize);
  EXPECT_EQ(noKey.type, kUntouchedType);
  Sandbox::CreateKey(HKEY_LOCAL_MACHINE, kComponentKey);
  const Retrieved noValue = RetrieveComponent("Speed");
  EXPECT_EQ(noValue.result, QXIR_REGISTRY_ERROR);
  EXPECT_EQ(noValue.size, kUntouchedSize);
}

TEST_F(ComponentProperty, DeniedAccessIsReportedAsSuch) {
  ASSERT_EQ(SaveComponentText("Name", "x"), QXIR_SUCCESS);
  Sandbox::SetKeySecurity(HKEY_LOCAL_MACHINE, kComponentKey, rmtest::kReadOnly);
  EXPECT_EQ(SaveComponentText("Name", "y"), QXIR_ACCESS_DENIED);
  EXPECT_EQ(RetrieveComponent("Name").result, QXIR_SUCCESS) << "reading is still allowed";
  Sandbox::SetKeySecurity(HKEY_LOCAL_MACHINE, kComponentKey, rmtest::kDenyAll);
  EXPECT_EQ(RetrieveComponent("Name").result, QXIR_ACCESS_DENIED);
}

TEST_F(ComponentProperty, NameThatWouldPushThePathPast1023CharactersIsRefusedUntouched) {
  // The value's full name is the 74-character component key, a backslash and the name.
  const std::string longest(1023 - kComponentKey.size() - 1, 'n');
  const std::string tooLong = longest + "n";
  EXPECT_EQ(SaveComponentText(tooLong.c_str(), "x"), QXIR_INVALID_PARAMETER);
  EXPECT_FALSE(Sandbox::KeyExists(HKEY_LOCAL_MACHINE, kComponentKey))
      << "refused before any registry access";
  EXPECT_EQ(RetrieveComponent(tooLong.c_str()).result, QXIR_INVALID_PARAMETER);

  ASSERT_EQ(SaveComponentText(longest.c_str(), "x"), QXIR_SUCCESS);
  const Retrieved read = RetrieveComponent(longest.c_str());
  EXPECT_EQ(read.result, QXIR_SUCCESS);
  EXPECT_EQ(Text(read), std::string("x", 2));
}

TEST_F(ComponentProperty, MissingDataOrOutPointersAreRefused) {
  EXPECT_EQ(QXSaveComponentPropertyValue(kComponent, "Speed", QXVT_DWORD, nullptr, 4),
            QXIR_INVALID_PARAMETER);
  EXPECT_FALSE(Sandbox::KeyExists(HKEY_LOCAL_MACHINE, kComponentKey));
  // No data at all is a value of size zero.
  EXPECT_EQ(QXSaveComponentPropertyValue(kComponent, "Empty", QXVT_BINARY, nullptr, 0),
            QXIR_SUCCESS);
  EXPECT_TRUE(Sandbox::ValueExists(HKEY_LOCAL_MACHINE, kComponentKey, "Empty"));

  tagQXVALUETYPE type = QXVT_BINARY;
  unsigned long size = 0;
  unsigned char buffer[8];
  EXPECT_EQ(QXRetrieveComponentPropertyValue(kComponent, "Empty", nullptr, buffer, 8, &size),
            QXIR_INVALID_PARAMETER);
  EXPECT_EQ(QXRetrieveComponentPropertyValue(kComponent, "Empty", &type, buffer, 8, nullptr),
            QXIR_INVALID_PARAMETER);
}

// --- object properties ------------------------------------------------------------------

using ObjectProperty = SettingsTest;

TEST_F(ObjectProperty, SaveCreatesTheWholePathDownToTheClientsKey) {
  ASSERT_EQ(SaveObjectText(Client("Viewer"), 0, "Zoom", "200%"), QXIR_SUCCESS);
  EXPECT_EQ(Sandbox::ReadString(HKEY_LOCAL_MACHINE, kUserSettingsA + "Viewer", "Zoom"), "200%");
  ASSERT_EQ(SaveObjectText(Client("Viewer"), 1, "Zoom", "50%"), QXIR_SUCCESS);
  EXPECT_EQ(Sandbox::ReadString(HKEY_CURRENT_USER, kUserSettingsA + "Viewer", "Zoom"), "50%");
}

TEST_F(ObjectProperty, PerUserAndPerMachineValuesAreSeparate) {
  const tagQXCLIENTID viewer = Client("Viewer");
  ASSERT_EQ(SaveObjectText(viewer, 1, "UserOnly", "u"), QXIR_SUCCESS);
  ASSERT_EQ(SaveObjectText(viewer, 0, "MachineOnly", "m"), QXIR_SUCCESS);
  EXPECT_EQ(RetrieveObject(viewer, 0, 0, "UserOnly").result, QXIR_REGISTRY_ERROR);
  EXPECT_EQ(RetrieveObject(viewer, 1, 0, "MachineOnly").result, QXIR_REGISTRY_ERROR);
  EXPECT_EQ(Text(RetrieveObject(viewer, 1, 0, "UserOnly")), std::string("u", 2));
  EXPECT_EQ(Text(RetrieveObject(viewer, 0, 0, "MachineOnly")), std::string("m", 2));

  // One name in both places: each root keeps its own.
  ASSERT_EQ(SaveObjectText(viewer, 1, "Both", "user"), QXIR_SUCCESS);
  ASSERT_EQ(SaveObjectText(viewer, 0, "Both", "machine"), QXIR_SUCCESS);
  EXPECT_EQ(Text(RetrieveObject(viewer, 1, 0, "Both")), std::string("user", 5));
  EXPECT_EQ(Text(RetrieveObject(viewer, 0, 0, "Both")), std::string("machine", 8));
}

TEST_F(ObjectProperty, ClientsAndObjectsAreSeparate) {
  ASSERT_EQ(SaveObjectText(Client("Viewer"), 0, "Zoom", "v"), QXIR_SUCCESS);
  EXPECT_EQ(RetrieveObject(Client("Editor"), 0, 0, "Zoom").result, QXIR_REGISTRY_ERROR);
  tagQXVALUETYPE type = QXVT_UNKNOWN;
  unsigned long size = 0;
  unsigned char buffer[8];
  EXPECT_EQ(QXRetrieveObjectPropertyValue(kComponent, kObjectB, Client("Viewer"), 0, 0, "Zoom",
                                          &type, buffer, sizeof(buffer), &size),
            QXIR_REGISTRY_ERROR);
}

TEST_F(ObjectProperty, EmptyClientNameAndDefaultClientAddressOneKey) {
  ASSERT_EQ(SaveObjectText(Client(""), 1, "Theme", "dark"), QXIR_SUCCESS);
  EXPECT_EQ(Sandbox::ReadString(HKEY_CURRENT_USER, kUserSettingsA + "Default Client", "Theme"),
            "dark");
  EXPECT_EQ(Text(RetrieveObject(Client("Default Client"), 1, 0, "Theme")), std::string("dark", 5));

  ASSERT_EQ(SaveObjectText(Client("Default Client"), 0, "Theme", "light"), QXIR_SUCCESS);
  EXPECT_EQ(Text(RetrieveObject(Client(""), 0, 0, "Theme")), std::string("light", 6));
  EXPECT_EQ(Sandbox::SubKeyNames(HKEY_LOCAL_MACHINE, kObjectAKey + "\\User Settings"),
            std::vector<std::string>{"Default Client"});
}

TEST_F(ObjectProperty, DefaultSettingsAreReadPerMachineWhateverTheClientRecordHolds) {
  Sandbox::WriteString(HKEY_LOCAL_MACHINE, kDefaultSettingsA, "Zoom", "100%");
  // Same name in the client's settings under both roots, to be ignored.
  ASSERT_EQ(SaveObjectText(Client("Viewer"), 0, "Zoom", "machine"), QXIR_SUCCESS);
  ASSERT_EQ(SaveObjectText(Client("Viewer"), 1, "Zoom", "user"), QXIR_SUCCESS);
  Sandbox::WriteString(HKEY_CURRENT_USER, kDefaultSettingsA, "Zoom", "user default");

  tagQXCLIENTID unterminated;
  memset(unterminated.clientName, 'Q', sizeof(unterminated.clientName));
  for (const tagQXCLIENTID& client : {Client("Viewer"), Client(""), unterminated}) {
    for (int perUser : {0, 1}) {
      SCOPED_TRACE(perUser);
      const Retrieved read = RetrieveObject(client, perUser, 1, "Zoom");
      EXPECT_EQ(read.result, QXIR_SUCCESS);
      EXPECT_EQ(read.type, QXVT_STRING);
      EXPECT_EQ(Text(read), std::string("100%", 5));
    }
  }
}

// compat C03
TEST_F(ObjectProperty, TooSmallBufferIsARegistryErrorWithTheSizeNeeded) {
  ASSERT_EQ(SaveObjectText(Client("Viewer"), 1, "Zoom", "200%"), QXIR_SUCCESS);
  const Retrieved cut = RetrieveObject(Client("Viewer"), 1, 0, "Zoom", 4);
  EXPECT_EQ(cut.result, QXIR_REGISTRY_ERROR);
  EXPECT_EQ(cut.size, 5u);
  EXPECT_EQ(cut.type, kUntouchedType);
  const Retrieved probe = RetrieveObject(Client("Viewer"), 1, 0, "Zoom", 0);
  EXPECT_EQ(probe.result, QXIR_SUCCESS);
  EXPECT_EQ(probe.size, 5u);
  EXPECT_EQ(probe.type, kUntouchedType);
}

TEST_F(ObjectProperty, DeniedMachineTreeRefusesMachineSavesOnly) {
  Sandbox::CreateKey(HKEY_LOCAL_MACHINE, kUserSettingsA + "Viewer");
  Sandbox::SetKeySecurity(HKEY_LOCAL_MACHINE, kUserSettingsA + "Viewer", rmtest::kReadOnly);
  EXPECT_EQ(SaveObjectText(Client("Viewer"), 0, "Zoom", "m"), QXIR_ACCESS_DENIED);
  EXPECT_EQ(SaveObjectText(Client("Viewer"), 1, "Zoom", "u"), QXIR_SUCCESS);
  Sandbox::SetKeySecurity(HKEY_LOCAL_MACHINE, kUserSettingsA + "Viewer", rmtest::kDenyAll);
  EXPECT_EQ(RetrieveObject(Client("Viewer"), 0, 0, "Zoom").result, QXIR_ACCESS_DENIED);
  EXPECT_EQ(RetrieveObject(Client("Viewer"), 1, 0, "Zoom").result, QXIR_SUCCESS);
}

TEST_F(ObjectProperty, NameOrClientThatWouldNotFitIsRefusedUntouched) {
  // User settings key of "Default Client": 149 characters, then a backslash and the name.
  const std::string clientKey = kUserSettingsA + "Default Client";
  const std::string longest(1023 - clientKey.size() - 1, 'p');
  const std::string tooLong = longest + "p";
  for (int perUser : {0, 1}) {
    SCOPED_TRACE(perUser);
    EXPECT_EQ(SaveObjectText(Client(""), perUser, tooLong.c_str(), "x"), QXIR_INVALID_PARAMETER);
    EXPECT_EQ(RetrieveObject(Client(""), perUser, 0, tooLong.c_str()).result,
              QXIR_INVALID_PARAMETER);
  }
  EXPECT_FALSE(Sandbox::KeyExists(HKEY_LOCAL_MACHINE, kComponentKey));
  EXPECT_FALSE(Sandbox::KeyExists(HKEY_CURRENT_USER, kComponentKey));
  // The default settings key is shorter, so the same name fits there.
  EXPECT_EQ(RetrieveObject(Client(""), 0, 1, tooLong.c_str()).result, QXIR_REGISTRY_ERROR);

  ASSERT_EQ(SaveObjectText(Client(""), 1, longest.c_str(), "x"), QXIR_SUCCESS);
  EXPECT_EQ(RetrieveObject(Client("Default Client"), 1, 0, longest.c_str()).result, QXIR_SUCCESS);

  // A client name without its terminator inside the record is not read past the record.
  tagQXCLIENTID unterminated;
  memset(unterminated.clientName, 'Q', sizeof(unterminated.clientName));
  EXPECT_EQ(SaveObjectText(unterminated, 1, "Zoom", "x"), QXIR_INVALID_PARAMETER);
  EXPECT_EQ(RetrieveObject(unterminated, 1, 0, "Zoom").result, QXIR_INVALID_PARAMETER);
  EXPECT_EQ(Sandbox::SubKeyNames(HKEY_CURRENT_USER, kObjectAKey + "\\User Settings"),
            std::vector<std::string>{"Default Client"});
}

}  // namespace
}  // namespace settingstest
