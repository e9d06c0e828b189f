#pragma once
// IUnknown as the Windows SDK declares it (a struct with three stdcall slots); see windows.h here.

#include <windows.h>

struct IUnknown {
  virtual HRESULT STDMETHODCALLTYPE QueryInterface(const IID& iid, void** object) = 0;
  virtual ULONG STDMETHODCALLTYPE AddRef() = 0;
  virtual ULONG STDMETHODCALLTYPE Release() = 0;
};
