#pragma once
// What the greeter component and its hosts share: the class, the interface and the category.
#include <windows.h>
#include <unknwn.h>

// {89E11C1D-49DA-4BB4-9175-60BC32726D12}
inline constexpr CLSID CLSID_SampleGreeter = {
    0x89E11C1D, 0x49DA, 0x4BB4, {0x91, 0x75, 0x60, 0xBC, 0x32, 0x72, 0x6D, 0x12}};

// {26C2C1EA-8214-4986-BD01-DB94121BDE83}
inline constexpr IID IID_ISampleGreeter = {
    0x26C2C1EA, 0x8214, 0x4986, {0xBD, 0x01, 0xDB, 0x94, 0x12, 0x1B, 0xDE, 0x83}};

// Hosts find greeters by this category, never by CLSID.
inline constexpr char kGreeterCategory[] = "CATEGORY_SampleGreeters";

// A component property that hosts may set; the greeter says "Hello" without it.
inline constexpr char kGreetingProperty[] = "Greeting";

struct ISampleGreeter : public IUnknown {
  // Writes "<greeting>, <name>!" into `buffer` (`size` bytes). E_POINTER for a null argument,
  // HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER) when the text does not fit.
  virtual HRESULT STDMETHODCALLTYPE Greet(const char* name, char* buffer, unsigned long size) = 0;
};
