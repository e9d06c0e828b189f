#pragma once
// AddRef and Release for the COM objects of fixture modules: one count, starting at 1, and
// the object deleted when the count reaches zero.

#include <windows.h>
#include <unknwn.h>

namespace rmtest {

template <typename Interface>
class FixtureComObject : public Interface {
 public:
  ULONG STDMETHODCALLTYPE AddRef() override {
    return static_cast<ULONG>(InterlockedIncrement(&references_));
  }
  ULONG STDMETHODCALLTYPE Release() override {
    const LONG left = InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
  }

 protected:
  virtual ~FixtureComObject() = default;

 private:
  volatile LONG references_ = 1;
};

}  // namespace rmtest
