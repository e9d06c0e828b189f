#pragma once
// A ProductInfo record decoded for people and scripts: the product code as 16 hexadecimal
// digits, the kind, whether the driver is loaded, the product name, the driver version and
// the user-interface languages of the mask as tags (en-US, de-DE, ...).

#include <cstdint>
#include <string>
#include <vector>

#include "cli/json.h"
#include "product_identification.h"

namespace pidtool {

struct DecodedProduct {
  std::string productCode;        // "070103020000008A"
  std::uint32_t productKind = 0;  // as reported
  int kind = 0;                   // 1 or 2 from productKind, 0 when it is neither
  bool active = false;            // the driver is loaded
  std::string productName;        // UTF-8, possibly empty
  std::int32_t driverMajor = 0;
  std::int32_t driverMinor = 0;
  std::int32_t driverBuild = 0;
  std::uint32_t languageMask = 0;
  std::vector<std::string> languages;     // tags of the mask's known bits, in bit order
  std::uint32_t unknownLanguageBits = 0;  // bits the language table does not name
};

// Copies everything out of the record, which is valid only during the callback.
DecodedProduct DecodeProduct(const ProductInfo& info);

// The tags of the languages in `mask`, in bit order; bits outside the table go to `unknown`.
std::vector<std::string> LanguageTags(std::uint32_t mask, std::uint32_t* unknown);

// "1.2.3"
std::string DriverVersionText(const DecodedProduct& product);

// The record as indented text lines, each starting with `indent`.
std::string ProductText(const DecodedProduct& product, const std::string& indent);

// The record as one JSON object.
Json ProductJson(const DecodedProduct& product);

}  // namespace pidtool
