// The component registry's key paths, and the refusal of paths that would not fit 1024 bytes.
#include <gtest/gtest.h>

#include <string>

#include "components/registry_layout.h"

namespace {

constexpr char kClsid[] = "{0F1E2D3C-4B5A-6978-8796-A5B4C3D2E1F0}";
constexpr char kObject[] = "{11111111-2222-3333-4444-555555555555}";
const std::string kComponent = std::string("SOFTWARE\\Varnel\\Component Installed\\") + kClsid;

TEST(RegistryLayout, BuildsEveryComponentKeyPath) {
  EXPECT_STREQ(rm::kComponentRootKey, "SOFTWARE\\Varnel\\Component Installed\\");
  EXPECT_STREQ(rm::kVarnelKey, "SOFTWARE\\Varnel\\");
  EXPECT_EQ(std::string(rm::ComponentKeyPath(kClsid).c_str()), kComponent);
  EXPECT_EQ(std::string(rm::CategoryRootKeyPath().c_str()),
            "SOFTWARE\\Varnel\\Component Installed\\Category\\");
  EXPECT_EQ(std::string(rm::CategoryKeyPath("CATEGORY_X").c_str()),
            "SOFTWARE\\Varnel\\Component Installed\\Category\\CATEGORY_X");
  EXPECT_EQ(std::string(rm::CategoryEntryKeyPath("CATEGORY_X", kClsid).c_str()),
            std::string("SOFTWARE\\Varnel\\Component Installed\\Category\\CATEGORY_X\\") + kClsid);
}

TEST(RegistryLayout, BuildsEveryObjectKeyPath) {
  EXPECT_EQ(std::string(rm::ObjectIdMapKeyPath(kClsid).c_str()), kComponent + "\\Object ID Map");
  const std::string object = kComponent + "\\Object\\" + kObject;
  EXPECT_EQ(std::string(rm::ObjectKeyPath(kClsid, kObject).c_str()), object);
  EXPECT_EQ(std::string(rm::UserSettingsKeyPath(kClsid, kObject, "Viewer").c_str()),
            object + "\\User Settings\\Viewer");
  EXPECT_EQ(std::string(rm::UserSettingsKeyPath(kClsid, kObject, "").c_str()),
            object + "\\User Settings\\Default Client");
  EXPECT_EQ(std::string(rm::DefaultSettingsKeyPath(kClsid, kObject).c_str()),
            object + "\\Default Settings");
}

// compat F13
TEST(RegistryLayout, AcceptsA1023CharacterPathAndRefusesOneMore) {
  // Category entry key: 45 characters before the category, 39 after it.
  const std::string fits(1023 - 45 - 39, 'c');
  const rm::RegistryPath longest = rm::CategoryEntryKeyPath(fits.c_str(), kClsid);
  ASSERT_TRUE(longest.ok());
  EXPECT_EQ(longest.length(), 1023u);

  const std::string tooLong = fits + "c";
  EXPECT_FALSE(rm::CategoryEntryKeyPath(tooLong.c_str(), kClsid).ok());
  EXPECT_TRUE(rm::CategoryKeyPath(tooLong.c_str()).ok()) << "the category key itself still fits";
}

}  // namespace
