// A component built on the kit alone, by each compiler the tests build it with.
#include "kit_fixture.h"
#include "qx/component_kit.h"

QX_INTERFACE_ID(IKitCounter, IID_IKitCounter);
QX_INTERFACE_ID(IKitNamed, IID_IKitNamed);

class Counter : public CQXObject<Counter, IKitCounter, IKitNamed> {
 public:
  LONG STDMETHODCALLTYPE Next() override { return ++count_; }
  const char* STDMETHODCALLTYPE Name() override { return "Kit Counter"; }

 private:
  LONG count_ = 0;
};

class Part : public CQXObject<Part, IKitCounter> {
 public:
  LONG STDMETHODCALLTYPE Next() override { return ++count_; }

 private:
  LONG count_ = 0;
};

class Refuser : public CQXObject<Refuser, IKitCounter> {
 public:
  HRESULT FinalConstruct() { return E_ABORT; }
  LONG STDMETHODCALLTYPE Next() override { return 0; }
};

QX_COMPONENT_CLASS(Counter, CLSID_KitCounter, "Kit Counter", kKitCategory);
QX_COMPONENT_CLASS_WITH_OPTIONS(Part, CLSID_KitPart, "Kit Part", kKitCategory,
                                QXCO_AGGREGATABLE | QXCO_COUNTED);
QX_COMPONENT_CLASS(Refuser, CLSID_KitRefuser, "Kit Refuser", nullptr);
QX_COMPONENT_ENTRY_POINTS(Counter, Part, Refuser)
