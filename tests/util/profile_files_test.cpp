// Profile files through the exported functions, against real INI files in a scratch folder.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "profile_files/profile_files.h"
#include "qx/utilities.h"
#include "shared/unique_handle.h"
#include "support/scratch_folder.h"

namespace rmtest {
namespace {

constexpr unsigned long kUntouched = 0xA5A5A5A5;

class ProfileFiles : public ::testing::Test {
 protected:
  void Write(const char* section, const std::string& key, const std::string& value) {
    ASSERT_TRUE(WritePrivateProfileStringA(section, key.c_str(), value.c_str(), file()));
  }
  // Probes, then reads with the size reported; "" when either step fails.
  std::string Read(const char* section, const char* key, tagQXINTRFCRESULT* result) {
    unsigned long size = 0;
    *result = QXGetIniFileStringValueData(file(), section, key, nullptr, 0, &size);
    if (*result != QXIR_SUCCESS) return "";
    std::vector<char> buffer(size + 1, '#');
    *result = QXGetIniFileStringValueData(file(), section, key, buffer.data(), size, nullptr);
    EXPECT_EQ(buffer[size], '#') << "written past the size reported";
    return *result == QXIR_SUCCESS ? std::string(buffer.data(), size - 1) : "";
  }
  const char* file() const { return file_.c_str(); }

  ScratchFolder folder_;
  std::string file_ = folder_.File("values.ini");
};

TEST_F(ProfileFiles, ValuesUpTo16382CharactersReadWhole) {
  tagQXINTRFCRESULT result;
  for (size_t length : {1u, 1023u, 1024u, 8191u, 16382u}) {
    const std::string value(length, 'v');
    Write("s", "k", value);
    EXPECT_EQ(Read("s", "k", &result), value) << length << " characters";
  }
  for (size_t length : {16383u, 20000u}) {
    Write("s", "k", std::string(length, 'v'));
    unsigned long size = kUntouched;
    char buffer[4] = "##";
    EXPECT_EQ(QXGetIniFileStringValueData(file(), "s", "k", buffer, 4, &size), QXIR_PROFILE_ERROR);
    EXPECT_EQ(size, kUntouched);
    EXPECT_STREQ(buffer, "##");
  }
}

TEST_F(ProfileFiles, ProbeTooSmallAndExactSizeProtocol) {
  Write("s", "k", "0123456789");
  unsigned long size = kUntouched;
  EXPECT_EQ(QXGetIniFileStringValueData(file(), "s", "k", nullptr, 0, &size), QXIR_SUCCESS);
  EXPECT_EQ(size, 11u);

  char buffer[12] = "###########";
  size = kUntouched;
  EXPECT_EQ(QXGetIniFileStringValueData(file(), "s", "k", buffer, 10, &size),
            QXIR_BUFFER_TOO_SMALL);
  EXPECT_EQ(size, 11u);
  EXPECT_STREQ(buffer, "###########") << "a buffer that is too small is not written";

  size = kUntouched;
  EXPECT_EQ(QXGetIniFileStringValueData(file(), "s", "k", buffer, 11, &size), QXIR_SUCCESS);
  EXPECT_EQ(size, kUntouched) << "a read that fits leaves the size alone";
  EXPECT_STREQ(buffer, "0123456789");

  // Without a size variable nothing is written through the null pointer, and a probe has
  // nowhere to put its answer.
  EXPECT_EQ(QXGetIniFileStringValueData(file(), "s", "k", nullptr, 0, nullptr),
            QXIR_INVALID_PARAMETER);
  EXPECT_EQ(QXGetIniFileKeyNames(file(), "s", nullptr, 0, nullptr), QXIR_INVALID_PARAMETER);
  EXPECT_EQ(QXGetIniFileStringValueData(file(), "s", "k", buffer, 4, nullptr),
            QXIR_BUFFER_TOO_SMALL);
  EXPECT_EQ(QXGetIniFileKeyNames(file(), "s", buffer, 1, nullptr), QXIR_BUFFER_TOO_SMALL);
}

// compat C04
TEST_F(ProfileFiles, EmptyOrMissingValueIsAProfileError) {
  Write("s", "empty", "");
  Write("s", "present", "x");
  const std::string missingFile = folder_.File("missing.ini");
  const char* cases[][3] = {{file(), "s", "empty"},
                            {file(), "s", "absent"},
                            {file(), "other", "present"},
                            {missingFile.c_str(), "s", "present"}};
  for (const auto& c : cases) {
    unsigned long size = kUntouched;
    char buffer[8] = "#######";
    EXPECT_EQ(QXGetIniFileStringValueData(c[0], c[1], c[2], buffer, 8, &size), QXIR_PROFILE_ERROR)
        << c[1] << "/" << c[2];
    EXPECT_EQ(size, kUntouched);
    EXPECT_STREQ(buffer, "#######");
  }
}

// compat C04
TEST_F(ProfileFiles, KeyNameListCountsEveryTerminator) {
  Write("s", "a", "1");
  Write("s", "bc", "2");
  unsigned long size = kUntouched;
  EXPECT_EQ(QXGetIniFileKeyNames(file(), "s", nullptr, 0, &size), QXIR_SUCCESS);
  EXPECT_EQ(size, 6u);
  char list[8] = "#######";
  size = kUntouched;
  EXPECT_EQ(QXGetIniFileKeyNames(file(), "s", list, 5, &size), QXIR_BUFFER_TOO_SMALL);
  EXPECT_EQ(size, 6u);
  EXPECT_EQ(QXGetIniFileKeyNames(file(), "s", list, 6, &size), QXIR_SUCCESS);
  EXPECT_EQ(std::string(list, 8), std::string("a\0bc\0\0#\0", 8)) << "exactly six bytes copied";

  // A section left without keys, and one that never existed, have no list.
  ASSERT_EQ(QXDeleteIniFileKeyName(file(), "s", "a"), QXIR_SUCCESS);
  ASSERT_EQ(QXDeleteIniFileKeyName(file(), "s", "bc"), QXIR_SUCCESS);
  EXPECT_EQ(QXGetIniFileKeyNames(file(), "s", nullptr, 0, &size), QXIR_PROFILE_ERROR);
  EXPECT_EQ(QXGetIniFileKeyNames(file(), "never", nullptr, 0, &size), QXIR_PROFILE_ERROR);
}

TEST_F(ProfileFiles, LongKeyNameListsGrowTheBufferUntilTooLong) {
  std::string expected;  // 20 names of 100 characters: 2,021 bytes, past the first attempt
  for (char c = 'a'; c < 'a' + 20; ++c) {
    Write("long", std::string(100, c), "1");
    expected += std::string(100, c) + '\0';
  }
  expected += '\0';
  std::vector<char> list(4096);
  unsigned long size = kUntouched;
  ASSERT_EQ(QXGetIniFileKeyNames(file(), "long", list.data(), list.size(), &size), QXIR_SUCCESS);
  EXPECT_EQ(std::string(list.data(), expected.size()), expected);

  for (int index = 0; index < 100; ++index) {  // 20,100 bytes no longer fit 16,384
    Write("huge", std::to_string(1000 + index) + std::string(196, 'k'), "1");
  }
  EXPECT_EQ(QXGetIniFileKeyNames(file(), "huge", nullptr, 0, &size), QXIR_PROFILE_ERROR);
  EXPECT_EQ(size, kUntouched);
}

TEST_F(ProfileFiles, WriteThenDeleteKeyAndSection) {
  tagQXINTRFCRESULT result;
  ASSERT_EQ(QXSetIniFileStringValueData(file(), "s", "one", "1"), QXIR_SUCCESS);
  ASSERT_EQ(QXSetIniFileStringValueData(file(), "s", "two", "22"), QXIR_SUCCESS);
  ASSERT_EQ(QXSetIniFileStringValueData(file(), "t", "three", "333"), QXIR_SUCCESS);
  EXPECT_EQ(Read("s", "two", &result), "22");

  EXPECT_EQ(QXDeleteIniFileKeyName(file(), "s", "one"), QXIR_SUCCESS);
  Read("s", "one", &result);
  EXPECT_EQ(result, QXIR_PROFILE_ERROR);
  EXPECT_EQ(Read("s", "two", &result), "22") << "the other key stays";

  EXPECT_EQ(QXDeleteIniFileSectionName(file(), "s"), QXIR_SUCCESS);
  Read("s", "two", &result);
  EXPECT_EQ(result, QXIR_PROFILE_ERROR);
  EXPECT_EQ(Read("t", "three", &result), "333") << "the other section stays";
}

TEST_F(ProfileFiles, NullArgumentsAreRefusedBeforeTheFileIsTouched) {
  const char* f = file();
  EXPECT_EQ(QXSetIniFileStringValueData(nullptr, "s", "k", "v"), QXIR_INVALID_PARAMETER);
  EXPECT_EQ(QXSetIniFileStringValueData(f, nullptr, "k", "v"), QXIR_INVALID_PARAMETER);
  EXPECT_EQ(QXSetIniFileStringValueData(f, "s", nullptr, "v"), QXIR_INVALID_PARAMETER);
  EXPECT_EQ(QXSetIniFileStringValueData(f, "s", "k", nullptr), QXIR_INVALID_PARAMETER);
  EXPECT_EQ(GetFileAttributesA(f), INVALID_FILE_ATTRIBUTES) << "a refused write created the file";

  // With a null section the service would delete every section, with a null key the section.
  Write("s", "k", "v");
  EXPECT_EQ(QXDeleteIniFileKeyName(nullptr, "s", "k"), QXIR_INVALID_PARAMETER);
  EXPECT_EQ(QXDeleteIniFileKeyName(f, nullptr, "k"), QXIR_INVALID_PARAMETER);
  EXPECT_EQ(QXDeleteIniFileKeyName(f, "s", nullptr), QXIR_INVALID_PARAMETER);
  EXPECT_EQ(QXDeleteIniFileSectionName(nullptr, "s"), QXIR_INVALID_PARAMETER);
  EXPECT_EQ(QXDeleteIniFileSectionName(f, nullptr), QXIR_INVALID_PARAMETER);
  char buffer[8];
  unsigned long size = kUntouched;
  EXPECT_EQ(QXGetIniFileStringValueData(nullptr, "s", "k", buffer, 8, &size),
            QXIR_INVALID_PARAMETER);
  EXPECT_EQ(QXGetIniFileStringValueData(f, nullptr, "k", buffer, 8, &size), QXIR_INVALID_PARAMETER);
  EXPECT_EQ(QXGetIniFileStringValueData(f, "s", nullptr, buffer, 8, &size), QXIR_INVALID_PARAMETER);
  EXPECT_EQ(QXGetIniFileKeyNames(nullptr, "s", buffer, 8, &size), QXIR_INVALID_PARAMETER);
  EXPECT_EQ(QXGetIniFileKeyNames(f, nullptr, buffer, 8, &size), QXIR_INVALID_PARAMETER);
  EXPECT_EQ(size, kUntouched);
  tagQXINTRFCRESULT result;
  EXPECT_EQ(Read("s", "k", &result), "v");
}

TEST_F(ProfileFiles, WriteFailuresCarryTheSystemReason) {
  // A folder cannot be opened for writing as a file: access denied.
  EXPECT_EQ(rm::WriteIniValue(folder_.path().c_str(), "s", "k", "v"), rm::kAccessDenied);
  EXPECT_EQ(QXSetIniFileStringValueData(folder_.path().c_str(), "s", "k", "v"), QXIR_ACCESS_DENIED);
  const std::string nowhere = folder_.File("absent\\values.ini");
  EXPECT_EQ(rm::DeleteIniSection(nowhere.c_str(), "s"), DWORD{ERROR_PATH_NOT_FOUND});
  EXPECT_EQ(QXSetIniFileStringValueData(nowhere.c_str(), "s", "k", "v"), QXIR_PROFILE_ERROR);
}

TEST_F(ProfileFiles, ReadBufferIsReleasedOnEveryPath) {
  Write("s", "short", "abc");
  Write("s", "long", std::string(5000, 'v'));
  Write("s", "toolong", std::string(17000, 'v'));
  const long before = rm::LiveHandleCount(rm::HandleKind::HeapBlock);
  char buffer[8];
  unsigned long size = 0;
  EXPECT_EQ(rm::ReadIniValue(file(), "s", "short", buffer, 8, &size), rm::kSuccess);
  EXPECT_EQ(rm::ReadIniValue(file(), "s", "long", nullptr, 0, &size), rm::kSuccess);
  EXPECT_EQ(rm::ReadIniValue(file(), "s", "long", buffer, 8, &size), rm::kMoreData);
  EXPECT_EQ(rm::ReadIniValue(file(), "s", "toolong", nullptr, 0, &size), rm::kBadDatabase);
  EXPECT_EQ(rm::ReadIniValue(file(), "s", "absent", nullptr, 0, &size), rm::kBadDatabase);
  EXPECT_EQ(rm::ReadIniKeyNames(file(), "s", buffer, 8, &size), rm::kMoreData);
  EXPECT_EQ(rm::LiveHandleCount(rm::HandleKind::HeapBlock), before);
}

}  // namespace
}  // namespace rmtest
