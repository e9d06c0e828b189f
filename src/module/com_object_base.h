#pragma once
// Base of every COM object the module serves: the object's own (non-delegating) IUnknown,
// its reference count, the controlling IUnknown it forwards to when aggregated, and the
// module's live-object bookkeeping.

#include <windows.h>
#include <unknwn.h>

namespace rm {

// Laid out like IUnknown, but with names of its own, so that a class can implement both
// this and an interface whose IUnknown part delegates to the controlling object.
struct NonDelegatingUnknown {
  virtual HRESULT STDMETHODCALLTYPE NonDelegatingQueryInterface(REFIID iid, void** out) = 0;
  virtual ULONG STDMETHODCALLTYPE NonDelegatingAddRef() = 0;
  virtual ULONG STDMETHODCALLTYPE NonDelegatingRelease() = 0;
};

class ComObjectBase : public NonDelegatingUnknown {
 public:
  // `outer` is the controlling IUnknown of the aggregate, or null for a stand-alone object.
  explicit ComObjectBase(IUnknown* outer) noexcept;

  HRESULT STDMETHODCALLTYPE NonDelegatingQueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE NonDelegatingAddRef() override;
  ULONG STDMETHODCALLTYPE NonDelegatingRelease() override;
  virtual ~ComObjectBase();
  virtual HRESULT Initialize();
  virtual void PrepareForDestroy();

  // The object's identity, as handed to an aggregating outer object.
  IUnknown* NonDelegatingUnknownPointer() noexcept {
    return reinterpret_cast<IUnknown*>(static_cast<NonDelegatingUnknown*>(this));
  }

 protected:
  IUnknown* ControllingUnknown() const noexcept { return controllingUnknown_; }
  volatile LONG refCount_;

 private:
  IUnknown* controllingUnknown_;
};

}  // namespace rm
