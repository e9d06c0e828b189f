#pragma once
// How the product identification plug-in is entered in the component registry: its friendly
// name and its category (its CLSID is CLSID_ProductIdentificationPlugin, in
// product_identification.h). Read by the module, which registers it, and by the scripts that
// write or check the same keys (scripts/installer, scripts/demo).

namespace rm {

constexpr char kPluginFriendlyName[] = "RM7731 Identification Plugin";
constexpr char kPluginCategory[] = "CATEGORY_ProductIdentification";

}  // namespace rm
