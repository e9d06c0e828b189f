#include "product_record.h"

#include "text_format.h"

namespace pidtool {
namespace {

struct Language {
  std::uint32_t bit;
  const char* tag;
};

// The languages a driver's language resource can list, by their bit in the mask.
constexpr Language kLanguages[] = {
    {0x1, "en-US"},     {0x2, "zh-TW"},     {0x4, "zh-CN"},     {0x8, "da-DK"},
    {0x10, "nl-NL"},    {0x20, "fi-FI"},    {0x40, "fr-FR"},    {0x80, "de-DE"},
    {0x100, "it-IT"},   {0x200, "ja-JP"},   {0x400, "ko-KR"},   {0x800, "nb-NO"},
    {0x1000, "pl-PL"},  {0x2000, "pt-BR"},  {0x4000, "pt-PT"},  {0x8000, "ru-RU"},
    {0x10000, "es-ES"}, {0x20000, "sv-SE"}, {0x40000, "th-TH"},
};

int KindOf(std::uint32_t productKind) {
  if (productKind == kProductKindFirst) return 1;
  if (productKind == kProductKindSecond) return 2;
  return 0;
}

}  // namespace

std::vector<std::string> LanguageTags(std::uint32_t mask, std::uint32_t* unknown) {
  std::vector<std::string> tags;
  std::uint32_t known = 0;
  for (const Language& language : kLanguages) {
    known |= language.bit;
    if (mask & language.bit) tags.emplace_back(language.tag);
  }
  if (unknown != nullptr) *unknown = mask & ~known;
  return tags;
}

DecodedProduct DecodeProduct(const ProductInfo& info) {
  DecodedProduct product;
  for (std::uint8_t byte : info.productCode) product.productCode += Printf("%02X", byte);
  product.productKind = info.productKind;
  product.kind = KindOf(info.productKind);
  product.active = (info.flags & kProductInfoActive) != 0;
  if (info.productName != nullptr) product.productName = info.productName;
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
  for (const std::string& tag : product.languages) languages += (languages.empty() ? "" : " ") + tag;
  if (product.unknownLanguageBits != 0) {
    languages += Printf("%sunknown bits 0x%08lX", languages.empty() ? "" : " ",
                        static_cast<unsigned long>(product.unknownLanguageBits));
  }
  if (languages.empty()) languages = "none";

  std::string text;
  text += indent + "product code  " + product.productCode + "\n";
  text += indent + Printf("kind          %d (0x%08lX)\n", product.kind,
                          static_cast<unsigned long>(product.productKind));
  text += indent + "active        " + (product.active ? "yes (driver loaded)" : "no (driver not loaded)") + "\n";
  text += indent + "product name  " + (product.productName.empty() ? "(none)" : product.productName) + "\n";
  text += indent + "driver        " + DriverVersionText(product) + "\n";
  text += indent + Printf("languages     %s (mask 0x%08lX)\n", languages.c_str(),
                          static_cast<unsigned long>(product.languageMask));
  return text;
}

void WriteProductJson(JsonWriter& json, const DecodedProduct& product) {
  json.BeginObject();
  json.Key("productCode").String(product.productCode);
  json.Key("kind").Number(product.kind);
  json.Key("productKind").Number(product.productKind);
  json.Key("active").Bool(product.active);
  json.Key("productName").String(AnsiToUtf8(product.productName));
  json.Key("driverVersion").String(DriverVersionText(product));
  json.Key("languages").BeginArray();
  for (const std::string& tag : product.languages) json.String(tag);
  json.EndArray();
  json.Key("languageMask").Number(product.languageMask);
  json.EndObject();
}

}  // namespace pidtool
