// A product identification plug-in written for Visual C++ (or clang-cl): one COM class on the
// component kit that reports its maker's camera to every host that lists
// CATEGORY_ProductIdentification, beside the cameras Rm7731.pid's own plug-in reports. The kit
// supplies IUnknown, the class factory, the module's count and the four entry points.
#include "product_identification.h"
#include "qx/component_kit.h"

// __uuidof(SampleCameraPlugin) is the plug-in's CLSID; the kit takes IProductIdentification's
// interface identifier from its __declspec(uuid) too.
class __declspec(uuid("4B0E7C52-8D13-4F6A-9E27-5A1C3D8B9F60")) SampleCameraPlugin
    : public CQXObject<SampleCameraPlugin, IProductIdentification> {
 public:
  // One record per known camera, handed over before the call returns. A real plug-in asks the
  // system which of its cameras are present; this one always knows one.
  HRESULT STDMETHODCALLTYPE EnumerateProducts(ProductInfoCallback callback,
                                              ULONG_PTR context) override {
    if (callback == nullptr) return E_POINTER;
    ProductInfo record = {};
    record.size = sizeof record;
    const unsigned char code[8] = {0x53, 0x41, 0x4D, 0x50, 0x4C, 0x45, 0x00, 0x01};
    for (int i = 0; i < 8; ++i) record.productCode[i] = code[i];
    record.productName = "Sample Camera";
    record.driverName = record.productName;
    record.auxName = "";
    record.flags = kProductInfoActive;
    record.auxVersion = {16, 0, 0, 0};
    record.auxLanguageMask = 1;
    record.driverVersion = {16, 1, 2, 3};
    record.driverLanguageMask = 1;  // en-US
    callback(&record, context);
    return S_OK;
  }
};

// Registration (regsvr32, pidtool register) writes HKEY_LOCAL_MACHINE.
QX_COMPONENT_CLASS(SampleCameraPlugin, __uuidof(SampleCameraPlugin), "Sample Camera Plug-in",
                   "CATEGORY_ProductIdentification");
QX_COMPONENT_ENTRY_POINTS(SampleCameraPlugin)
