#include "cli/product_record.h"

#include "cli/text_format.h"
#include "shared/language_table.h"

namespace pidtool {
namespace {

int KindOf(std::uint32_t productKind) {
  if (productKind == kProductKindFirst) return 1;
  if (productKind == kProductKindSecond) return 2;
  return 0;
}

}  // namespace

std::vector<std::string> LanguageTags(std::uint32_t mask, std::uint32_t* unknown) {
  std::vector<std::string> tags;
  for (std::uint32_t index = 0; index < rm::kLanguageCount; ++index) {
    if (mask & (std::uint32_t{1} << index)) tags.emplace_back(rm::kLanguageTable[index].tag);
  }
  const std::uint32_t known = (std::uint32_t{1} << rm::kLanguageCount) - 1;
  if (unknown != nullptr) *unknown = mask & ~known;
  return tags;
}

DecodedProduct DecodeProduct(const ProductInfo& info) {
  DecodedProduct product;
  for (std::uint8_t byte : info.productCode) product.productCode += Printf("%02X", byte);
  product.productKind = info.productKind;
  product.kind = KindOf(info.productKind);
  product.active = (info.flags & kProductInfoActive) != 0;
  if (info.productName != nullptr) product.productName = AnsiToUtf8(info.productName);
  product.driverMajor = info.driverVersion.major;
  product.driverMinor = info.driverVersion.minor;
  product.driverBuild = info.driverVersion.build;
  product.languageMask = info.driverLanguageMask;
  product.languages = LanguageTags(info.driverLanguageMask, &product.unknownLanguageBits);
  return product;
}

std::string DriverVersionText(const DecodedProduct& product) {
  return Printf("%ld.%ld.%ld", static_cast<long>(product.driverMajor),
                static_cast<long>(product.driverMinor), static_cast<long>(product.driverBuild));
}

std::string ProductText(const DecodedProduct& product, const std::string& indent) {
  std::string languages;
  for (const std::string& tag : product.languages)
    languages += (languages.empty() ? "" : " ") + tag;
  if (product.unknownLanguageBits != 0) {
    languages += Printf("%sunknown bits 0x%08lX", languages.empty() ? "" : " ",
                        static_cast<unsigned long>(product.unknownLanguageBits));
  }
  if (languages.empty()) languages = "none";

  std::string text;
  text += indent + "product code  " + product.productCode + "\n";
  text += indent + Printf("kind          %d (0x%08lX)\n", product.kind,
                          static_cast<unsigned long>(product.productKind));
  text += indent + "active        " +
          (product.active ? "yes (driver loaded)" : "no (driver not loaded)") + "\n";
  text += indent + "product name  " +
          (product.productName.empty() ? "(none)" : product.productName) + "\n";
  text += indent + "driver        " + DriverVersionText(product) + "\n";
  text += indent + Printf("languages     %s (mask 0x%08lX)\n", languages.c_str(),
                          static_cast<unsigned long>(product.languageMask));
  return text;
}

Json ProductJson(const DecodedProduct& product) {
  return {{"productCode", product.productCode}, {"kind", product.kind},
          {"productKind", product.productKind}, {"active", product.active},
          {"productName", product.productName}, {"driverVersion", DriverVersionText(product)},
          {"languages", product.languages},     {"languageMask", product.languageMask}};
}

}  // namespace pidtool
