// The plug-in's EnumerateProducts through the built module, as a host reaches it, on a
// system (Wine) that knows no supported camera.
#include <gtest/gtest.h>

#include "product_identification.h"
#include "support/com_server_under_test.h"

namespace rmtest {
namespace {

int CALLBACK CountProducts(const ProductInfo*, ULONG_PTR context) {
  ++*reinterpret_cast<int*>(context);
  return 0;
}

IProductIdentification* CreatePlugin() {
  void* out = nullptr;
  EXPECT_EQ(
      ServerUnderTest().getClassObject(CLSID_ProductIdentificationPlugin, IID_IClassFactory, &out),
      S_OK);
  if (out == nullptr) return nullptr;
  auto* factory = static_cast<IClassFactory*>(out);
  out = nullptr;
  EXPECT_EQ(factory->CreateInstance(nullptr, IID_IProductIdentification, &out), S_OK);
  factory->Release();
  return static_cast<IProductIdentification*>(out);
}

TEST(BuiltModuleEnumerateProducts, ReportsNoProductUnderWine) {
  IProductIdentification* plugin = CreatePlugin();
  ASSERT_NE(plugin, nullptr);
  int products = 0;
  EXPECT_EQ(plugin->EnumerateProducts(&CountProducts, reinterpret_cast<ULONG_PTR>(&products)),
            S_OK);
  EXPECT_EQ(products, 0);
  EXPECT_EQ(plugin->Release(), 0u);
}

// compat F05
TEST(BuiltModuleEnumerateProducts, RefusesANullCallback) {
  IProductIdentification* plugin = CreatePlugin();
  ASSERT_NE(plugin, nullptr);
  EXPECT_EQ(plugin->EnumerateProducts(nullptr, 0), E_POINTER);
  EXPECT_EQ(plugin->Release(), 0u);
}

}  // namespace
}  // namespace rmtest
