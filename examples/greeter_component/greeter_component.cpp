// The greeter component: one COM class on the component kit, which supplies IUnknown, the class
// factory, the module's count and the four entry points that QXCreateInstance and regsvr32 call.
#include <stdio.h>

#include "greeter.h"
#include "qx/component_kit.h"

QX_INTERFACE_ID(ISampleGreeter, IID_ISampleGreeter);

class Greeter : public CQXObject<Greeter, ISampleGreeter> {
 public:
  HRESULT STDMETHODCALLTYPE Greet(const char* name, char* buffer, unsigned long size) override {
    if (name == nullptr || buffer == nullptr) return E_POINTER;
    // Hosts may change the greeting through the component's property; without one it is "Hello".
    char greeting[64] = "Hello";
    tagQXVALUETYPE type = QXVT_UNKNOWN;
    unsigned long stored = 0;
    if (QXRetrieveComponentPropertyValue(CLSID_SampleGreeter, kGreetingProperty, &type,
                                         reinterpret_cast<unsigned char*>(greeting),
                                         sizeof greeting - 1, &stored) != QXIR_SUCCESS ||
        type != QXVT_STRING) {
      lstrcpyA(greeting, "Hello");
    }
    greeting[sizeof greeting - 1] = '\0';
    const int length = snprintf(buffer, size, "%s, %s!", greeting, name);
    if (length < 0 || static_cast<unsigned long>(length) >= size) {
      if (size > 0) buffer[0] = '\0';
      return HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER);
    }
    return S_OK;
  }
};

// Registration (regsvr32, pidtool register) writes HKEY_LOCAL_MACHINE; unregistration also
// removes the component's machine-wide properties and object identifiers.
QX_COMPONENT_CLASS(Greeter, CLSID_SampleGreeter, "Sample Greeter", kGreeterCategory);
QX_COMPONENT_ENTRY_POINTS(Greeter)
