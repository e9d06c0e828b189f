#pragma once
// The product identification plug-in served by Rm7731.pid: its class, its interface and the
// record it reports for every supported camera that the system knows.
//
// A host creates the plug-in (CLSID_ProductIdentificationPlugin) through the module's
// DllGetClassObject or through QXCreateInstance, asks for IProductIdentification and calls
// EnumerateProducts with a callback. The callback runs synchronously, once per known product,
// before EnumerateProducts returns.

#include <windows.h>
#include <cstddef>
#include <cstdint>
#include <unknwn.h>

// {5C1E2F7A-93B4-4D60-A1E8-3F0B6D92C415}
inline constexpr CLSID CLSID_ProductIdentificationPlugin = {
    0x5C1E2F7A, 0x93B4, 0x4D60, {0xA1, 0xE8, 0x3F, 0x0B, 0x6D, 0x92, 0xC4, 0x15}};

// {8A4D0E63-2F71-4B9C-9E25-C7D1440A3B86}
inline constexpr IID IID_IProductIdentification = {
    0x8A4D0E63, 0x2F71, 0x4B9C, {0x9E, 0x25, 0xC7, 0xD1, 0x44, 0x0A, 0x3B, 0x86}};

// A version as three numbers; `size` is always 16.
struct VersionBlock {
  std::uint32_t size;
  std::int32_t major;
  std::int32_t minor;
  std::int32_t build;
};

// Bits of ProductInfo::flags.
constexpr std::uint32_t kProductInfoActive = 0x1;  // the device's driver is loaded

// Values of ProductInfo::productKind.
constexpr std::uint32_t kProductKindFirst = 0x00010000;
constexpr std::uint32_t kProductKindSecond = 0x00010001;

// One product. The record and the texts it points to are valid only until the callback
// returns: copy what you want to keep.
struct ProductInfo {
  std::uint32_t size;                // sizeof(ProductInfo): 72 on 32-bit, 88 on 64-bit Windows
  std::uint8_t productCode[8];       // 64-bit product code, most significant byte first
  const char* productName;           // product name from the driver key; may be empty
  const char* driverName;            // the same text as productName
  const char* auxName;               // always empty for this camera model
  std::uint32_t productKind;         // kProductKindFirst, kProductKindSecond or 0
  std::uint32_t flags;               // kProductInfoActive when the driver is loaded
  VersionBlock auxVersion;           // {16, 0, 0, 0}
  std::uint32_t auxLanguageMask;     // 1
  VersionBlock driverVersion;        // {16, major, minor, build}; zeros when unknown
  std::uint32_t driverLanguageMask;  // installed UI languages; bit 0 = en-US
};

// Receives each product record and the context given to EnumerateProducts; its result is
// ignored.
typedef int(CALLBACK* ProductInfoCallback)(const ProductInfo* info, ULONG_PTR context);

// The interface identifier travels with the type, so that __uuidof(IProductIdentification),
// IID_PPV_ARGS and COM smart pointers work: Visual C++ and clang-cl read __declspec(uuid), mingw
// reads __CRT_UUID_DECL below.
#if defined(_MSC_VER)
#define PRODUCT_IDENTIFICATION_INTERFACE(iid) struct __declspec(uuid(iid)) __declspec(novtable)
#else
#define PRODUCT_IDENTIFICATION_INTERFACE(iid) struct
#endif

PRODUCT_IDENTIFICATION_INTERFACE("8A4D0E63-2F71-4B9C-9E25-C7D1440A3B86")
IProductIdentification : public IUnknown {
  // Reports every supported product that the system knows to `callback`; returns S_OK.
  virtual HRESULT STDMETHODCALLTYPE EnumerateProducts(ProductInfoCallback callback,
                                                      ULONG_PTR context) = 0;
};

#ifdef __MINGW32__
__CRT_UUID_DECL(IProductIdentification, 0x8A4D0E63, 0x2F71, 0x4B9C, 0x9E, 0x25, 0xC7, 0xD1, 0x44,
                0x0A, 0x3B, 0x86)
#endif

// The layout is an interface with the host. Field order and the widths of the non-pointer
// fields are the same on both architectures; on 64-bit Windows the three pointers are 8 bytes
// at natural alignment, which moves everything after productCode and makes the record 88 bytes.
static_assert(sizeof(VersionBlock) == 16, "VersionBlock is 16 bytes");
static_assert(offsetof(VersionBlock, size) == 0 && offsetof(VersionBlock, major) == 4 &&
                  offsetof(VersionBlock, minor) == 8 && offsetof(VersionBlock, build) == 12,
              "VersionBlock layout");
#if defined(_M_IX86) || defined(__i386__)
static_assert(sizeof(ProductInfo) == 72, "ProductInfo is 72 bytes on 32-bit Windows");
static_assert(offsetof(ProductInfo, size) == 0 && offsetof(ProductInfo, productCode) == 4 &&
                  offsetof(ProductInfo, productName) == 12 &&
                  offsetof(ProductInfo, driverName) == 16 && offsetof(ProductInfo, auxName) == 20 &&
                  offsetof(ProductInfo, productKind) == 24 && offsetof(ProductInfo, flags) == 28 &&
                  offsetof(ProductInfo, auxVersion) == 32 &&
                  offsetof(ProductInfo, auxLanguageMask) == 48 &&
                  offsetof(ProductInfo, driverVersion) == 52 &&
                  offsetof(ProductInfo, driverLanguageMask) == 68,
              "ProductInfo layout on 32-bit Windows");
#elif defined(_M_X64) || defined(__x86_64__)
static_assert(sizeof(ProductInfo) == 88, "ProductInfo is 88 bytes on 64-bit Windows");
static_assert(offsetof(ProductInfo, size) == 0 && offsetof(ProductInfo, productCode) == 4 &&
                  offsetof(ProductInfo, productName) == 16 &&
                  offsetof(ProductInfo, driverName) == 24 && offsetof(ProductInfo, auxName) == 32 &&
                  offsetof(ProductInfo, productKind) == 40 && offsetof(ProductInfo, flags) == 44 &&
                  offsetof(ProductInfo, auxVersion) == 48 &&
                  offsetof(ProductInfo, auxLanguageMask) == 64 &&
                  offsetof(ProductInfo, driverVersion) == 68 &&
                  offsetof(ProductInfo, driverLanguageMask) == 84,
              "ProductInfo layout on 64-bit Windows");
#else
#error "ProductInfo has a fixed layout only for x86 and x64 Windows"
#endif
