#include "module/module_state.h"

#include <cstring>

#include "module/product_identification_plugin.h"
#include "product_identification.h"
#include "shared/plugin_registration_names.h"

namespace rm {

HINSTANCE g_moduleHandle = nullptr;
// compat C07
GUID g_pluginClsid = {};
ClassTableEntry g_classTable[] = {
    {&g_pluginClsid, &CreateProductIdentificationPlugin, nullptr, nullptr, nullptr, nullptr},
};
const LONG g_classCount = sizeof(g_classTable) / sizeof(g_classTable[0]);
volatile LONG g_lockCount = 0;
volatile LONG g_liveObjectCount = 0;

namespace {
struct ClassTableInitialiser {
  ClassTableInitialiser() noexcept {
    g_classTable[0].friendlyName = kPluginFriendlyName;
    g_classTable[0].category = kPluginCategory;
    g_classTable[0].extraString1 = nullptr;
    g_classTable[0].extraString2 = nullptr;
  }
};
ClassTableInitialiser g_classTableInitialiser
    __attribute__((init_priority(kClassTableInitPriority)));
}  // namespace

void OnProcessAttach(HINSTANCE module) noexcept {
  g_moduleHandle = module;
  std::memcpy(&g_pluginClsid, &CLSID_ProductIdentificationPlugin, sizeof(GUID));
  // compat C07
  g_classTable[0].clsid = &g_pluginClsid;
}

}  // namespace rm
