// The two key-name queries and their shared buffer protocol.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "qx/component_registration.h"

namespace {

constexpr GUID kComponent = {
    0x0F1E2D3C, 0x4B5A, 0x6978, {0x87, 0x96, 0xA5, 0xB4, 0xC3, 0xD2, 0xE1, 0xF0}};
constexpr GUID kObject = {
    0x11111111, 0x2222, 0x3333, {0x44, 0x44, 0x55, 0x55, 0x55, 0x55, 0x55, 0x55}};
constexpr char kComponentKey[] =
    "SOFTWARE\\Varnel\\Component Installed\\{0F1E2D3C-4B5A-6978-8796-A5B4C3D2E1F0}";
const std::string kObjectKey =
    std::string(kComponentKey) + "\\Object\\{11111111-2222-3333-4444-555555555555}";
constexpr unsigned long kUntouched = 0xDEADBEEF;

tagQXCLIENTID Client(const char* name) {
  tagQXCLIENTID client = {};
  std::strncpy(client.clientName, name, sizeof(client.clientName) - 1);
  return client;
}

TEST(ComponentKeyName, ProbeReports75AndA75ByteBufferReceivesThePath) {
  unsigned long needed = kUntouched;
  ASSERT_EQ(QXQueryRegistrySubKeyNameForComponent(kComponent, nullptr, 0, &needed), QXIR_SUCCESS);
  EXPECT_EQ(needed, 75u);

  char buffer[75];
  needed = kUntouched;
  ASSERT_EQ(QXQueryRegistrySubKeyNameForComponent(kComponent, buffer, sizeof(buffer), &needed),
            QXIR_SUCCESS);
  EXPECT_STREQ(buffer, kComponentKey);
  EXPECT_EQ(needed, kUntouched) << "the size is not written when the name fits";
  EXPECT_NE(buffer[std::strlen(buffer) - 1], '\\') << "no trailing backslash";
}

TEST(ComponentKeyName, OneByteShortIsRefusedWithTheBufferUntouched) {
  char buffer[75];
  std::memset(buffer, '#', sizeof(buffer));
  unsigned long needed = kUntouched;
  EXPECT_EQ(QXQueryRegistrySubKeyNameForComponent(kComponent, buffer, 74, &needed),
            QXIR_BUFFER_TOO_SMALL);
  EXPECT_EQ(needed, 75u);
  EXPECT_EQ(std::string(buffer, sizeof(buffer)), std::string(sizeof(buffer), '#'));
}

TEST(ComponentKeyName, RefusesANullSizePointerWhereTheSizeWouldGo) {
  char buffer[10];
  EXPECT_EQ(QXQueryRegistrySubKeyNameForComponent(kComponent, nullptr, 0, nullptr),
            QXIR_INVALID_PARAMETER);
  EXPECT_EQ(QXQueryRegistrySubKeyNameForComponent(kComponent, buffer, sizeof(buffer), nullptr),
            QXIR_INVALID_PARAMETER);
  char fits[75];
  EXPECT_EQ(QXQueryRegistrySubKeyNameForComponent(kComponent, fits, sizeof(fits), nullptr),
            QXIR_SUCCESS);
}

TEST(ObjectSettingsKeyName, DefaultSettingsNeed138AndIgnoreTheClient) {
  const tagQXCLIENTID client = Client("Viewer");
  unsigned long needed = kUntouched;
  ASSERT_EQ(QXQueryRegistrySubKeyNameForObjectSettings(kComponent, kObject, client, 1, nullptr, 0,
                                                       &needed),
            QXIR_SUCCESS);
  EXPECT_EQ(needed, 138u);

  char buffer[138];
  ASSERT_EQ(QXQueryRegistrySubKeyNameForObjectSettings(kComponent, kObject, client, 1, buffer,
                                                       sizeof(buffer), &needed),
            QXIR_SUCCESS);
  EXPECT_EQ(std::string(buffer), kObjectKey + "\\Default Settings");

  // Not even an unterminated record is read when the flag is set.
  tagQXCLIENTID unterminated;
  std::memset(&unterminated, 'x', sizeof(unterminated));
  ASSERT_EQ(QXQueryRegistrySubKeyNameForObjectSettings(kComponent, kObject, unterminated, -1,
                                                       buffer, sizeof(buffer), &needed),
            QXIR_SUCCESS);
  EXPECT_EQ(std::string(buffer), kObjectKey + "\\Default Settings");
}

TEST(ObjectSettingsKeyName, NamesTheClientOrDefaultClient) {
  char buffer[400];
  unsigned long needed = kUntouched;
  ASSERT_EQ(QXQueryRegistrySubKeyNameForObjectSettings(kComponent, kObject, Client("Viewer"), 0,
                                                       buffer, sizeof(buffer), &needed),
            QXIR_SUCCESS);
  EXPECT_EQ(std::string(buffer), kObjectKey + "\\User Settings\\Viewer");

  ASSERT_EQ(QXQueryRegistrySubKeyNameForObjectSettings(kComponent, kObject, Client(""), 0, buffer,
                                                       sizeof(buffer), &needed),
            QXIR_SUCCESS);
  EXPECT_EQ(std::string(buffer), kObjectKey + "\\User Settings\\Default Client");
  EXPECT_EQ(needed, kUntouched);
}

TEST(ObjectSettingsKeyName, OneByteShortIsRefusedWithTheBufferUntouched) {
  const std::string expected = kObjectKey + "\\User Settings\\Viewer";
  const unsigned long exact = static_cast<unsigned long>(expected.size() + 1);
  char buffer[200];
  std::memset(buffer, '#', sizeof(buffer));
  unsigned long needed = kUntouched;
  EXPECT_EQ(QXQueryRegistrySubKeyNameForObjectSettings(kComponent, kObject, Client("Viewer"), 0,
                                                       buffer, exact - 1, &needed),
            QXIR_BUFFER_TOO_SMALL);
  EXPECT_EQ(needed, exact);
  EXPECT_EQ(std::string(buffer, sizeof(buffer)), std::string(sizeof(buffer), '#'));
}

// compat F14
TEST(ObjectSettingsKeyName, TheLongestClientNameFitsAndAnUnterminatedOneIsRefused) {
  const std::string longest(255, 'n');
  char buffer[1024];
  unsigned long needed = kUntouched;
  ASSERT_EQ(QXQueryRegistrySubKeyNameForObjectSettings(kComponent, kObject, Client(longest.c_str()),
                                                       0, buffer, sizeof(buffer), &needed),
            QXIR_SUCCESS);
  EXPECT_EQ(std::string(buffer), kObjectKey + "\\User Settings\\" + longest);

  // A record whose name runs to its very end without a NUL: nothing beyond it may be read.
  struct {
    tagQXCLIENTID client;
    char beyond[1024];
  } runOn;
  std::memset(&runOn, 'n', sizeof(runOn));
  runOn.beyond[sizeof(runOn.beyond) - 1] = '\0';
  std::memset(buffer, '#', sizeof(buffer));
  EXPECT_EQ(QXQueryRegistrySubKeyNameForObjectSettings(kComponent, kObject, runOn.client, 0, buffer,
                                                       sizeof(buffer), &needed),
            QXIR_INVALID_PARAMETER);
  EXPECT_EQ(buffer[0], '#');
}

}  // namespace
