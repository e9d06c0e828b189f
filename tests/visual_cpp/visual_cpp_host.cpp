// A host built as Visual C++ builds it: clang in MSVC mode, linked by lld-link against
// Rm7731.lib, with no C runtime. It calls each family of the library through its Visual C++
// names and uses CQXGlobalMemObj on its stack and on its heap, then exits with 0 when every
// check held. It writes HKEY_LOCAL_MACHINE of its prefix and removes what it wrote.
#include "product_identification.h"
#include "qx_framework.h"

// No C runtime: what the compiler may call on its own, and the heap of the process.
extern "C" void* memset(void* target, int value, size_t size) {
  unsigned char* bytes = static_cast<unsigned char*>(target);
  while (size-- != 0) *bytes++ = static_cast<unsigned char>(value);
  return target;
}
extern "C" void* memcpy(void* target, const void* source, size_t size) {
  unsigned char* to = static_cast<unsigned char*>(target);
  const unsigned char* from = static_cast<const unsigned char*>(source);
  while (size-- != 0) *to++ = *from++;
  return target;
}
void* operator new(size_t size) { return HeapAlloc(GetProcessHeap(), 0, size); }
void operator delete(void* block) noexcept { HeapFree(GetProcessHeap(), 0, block); }
void operator delete(void* block, size_t) noexcept { HeapFree(GetProcessHeap(), 0, block); }

namespace {

const char kPluginText[] = "{5C1E2F7A-93B4-4D60-A1E8-3F0B6D92C415}";
const char kCategory[] = "CATEGORY_VisualCppHost";
const char kScratchKey[] = "Software\\Rm7731VisualCppHost";
const char kScratchCopy[] = "Software\\Rm7731VisualCppHostCopy";

int g_checks = 0;
int g_failures = 0;

size_t Length(const char* text) {
  size_t length = 0;
  while (text[length] != '\0') ++length;
  return length;
}

bool SameText(const char* left, const char* right) {
  while (*left != '\0' && *left == *right) ++left, ++right;
  return *left == *right;
}

bool SameGuid(const GUID& left, const GUID& right) {
  const unsigned char* a = reinterpret_cast<const unsigned char*>(&left);
  const unsigned char* b = reinterpret_cast<const unsigned char*>(&right);
  for (size_t i = 0; i < sizeof(GUID); ++i) {
    if (a[i] != b[i]) return false;
  }
  return true;
}

void Print(const char* text) {
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text, static_cast<DWORD>(Length(text)), &written,
            nullptr);
}

void PrintNumber(unsigned long value) {
  char digits[12];
  int at = sizeof digits - 1;
  digits[at] = '\0';
  do {
    digits[--at] = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value != 0);
  Print(digits + at);
}

void Check(bool held, const char* what) {
  ++g_checks;
  if (!held) {
    ++g_failures;
    Print("FAILED: ");
    Print(what);
    Print("\n");
  }
}

void RegistryValuesAndKeyTrees() {
  Check(QXAddRegistryKey(HKEY_CURRENT_USER, kScratchKey) == QXIR_SUCCESS, "QXAddRegistryKey");
  Check(QXSetRegistryStringValueData(HKEY_CURRENT_USER, kScratchKey, "Text", "written") ==
            QXIR_SUCCESS,
        "QXSetRegistryStringValueData");
  Check(QXCopyRegistryKey(HKEY_CURRENT_USER, HKEY_CURRENT_USER, kScratchKey, kScratchCopy) ==
            QXIR_SUCCESS,
        "QXCopyRegistryKey");
  char text[32] = "";
  unsigned long needed = 0;
  Check(QXGetRegistryStringValueData(HKEY_CURRENT_USER, kScratchCopy, "Text", text, sizeof text,
                                     &needed) == QXIR_SUCCESS &&
            SameText(text, "written"),
        "QXGetRegistryStringValueData reads the copied value");
  Check(QXDeleteRegistryValueName(HKEY_CURRENT_USER, kScratchKey, "Text") == QXIR_SUCCESS,
        "QXDeleteRegistryValueName");
  Check(QXGetRegistryStringValueData(HKEY_CURRENT_USER, kScratchKey, "Text", text, sizeof text,
                                     &needed) == QXIR_REGISTRY_ERROR,
        "QXGetRegistryStringValueData of a deleted value");
  Check(QXDeleteRegistryKey(HKEY_CURRENT_USER, kScratchKey) == QXIR_SUCCESS &&
            QXDeleteRegistryKey(HKEY_CURRENT_USER, kScratchCopy) == QXIR_SUCCESS,
        "QXDeleteRegistryKey");
}

void KeyNames() {
  char text[40] = "";
  Check(QXConvertCLSIDToString(CLSID_ProductIdentificationPlugin, text, sizeof text) ==
                QXIR_SUCCESS &&
            SameText(text, kPluginText),
        "QXConvertCLSIDToString");
  char path[256] = "";
  unsigned long needed = 0;
  Check(QXQueryRegistrySubKeyNameForComponent(CLSID_ProductIdentificationPlugin, path, sizeof path,
                                              &needed) == QXIR_SUCCESS &&
            SameText(path,
                     "SOFTWARE\\Varnel\\Component Installed\\"
                     "{5C1E2F7A-93B4-4D60-A1E8-3F0B6D92C415}"),
        "QXQueryRegistrySubKeyNameForComponent");
  tagQXCLIENTID client = {};
  needed = 0;
  Check(QXQueryRegistrySubKeyNameForObjectSettings(CLSID_ProductIdentificationPlugin,
                                                   CLSID_ProductIdentificationPlugin, client, 1,
                                                   nullptr, 0, &needed) == QXIR_SUCCESS &&
            needed == 138,
        "QXQueryRegistrySubKeyNameForObjectSettings probes the default settings path");
}

int CALLBACK CountProduct(const ProductInfo*, ULONG_PTR context) {
  ++*reinterpret_cast<int*>(context);
  return 1;
}

// Registers the module's own plug-in in a category of this host's, finds it, creates it and
// uses its settings and object identifiers, then unregisters it.
void ComponentRegistry() {
  const GUID& plugin = CLSID_ProductIdentificationPlugin;
  Check(QXRegisterServer(GetModuleHandleA("Rm7731.pid"), plugin, "Visual C++ host component",
                         kCategory, nullptr, nullptr) == QXIR_SUCCESS,
        "QXRegisterServer");

  GUID found[4] = {};
  unsigned long count = 4;
  Check(QXEnumComponents(kCategory, found, &count) == QXIR_SUCCESS && count == 1 &&
            SameGuid(found[0], plugin),
        "QXEnumComponents finds the registered component");
  char name[64] = "";
  unsigned long needed = 0;
  Check(QXGetComponentFriendlyName(plugin, name, sizeof name, &needed) == QXIR_SUCCESS &&
            SameText(name, "Visual C++ host component"),
        "QXGetComponentFriendlyName");

  Check(SameGuid(__uuidof(IProductIdentification), IID_IProductIdentification),
        "__uuidof(IProductIdentification) is IID_IProductIdentification");
  void* object = nullptr;
  Check(QXCreateInstance(plugin, nullptr, 1, IID_IProductIdentification, &object) == QXIR_SUCCESS &&
            object != nullptr,
        "QXCreateInstance creates the plug-in");
  if (object != nullptr) {
    IProductIdentification* identification = static_cast<IProductIdentification*>(object);
    int products = 0;
    Check(identification->EnumerateProducts(CountProduct, reinterpret_cast<ULONG_PTR>(&products)) ==
                  0 &&
              products == 0,
          "EnumerateProducts answers S_OK and knows no camera under Wine");
    Check(identification->Release() == 0, "the plug-in goes with its last reference");
  }
  QXFreeUnusedLibraries();

  unsigned long width = 640;
  Check(QXSaveComponentPropertyValue(plugin, "Width", QXVT_DWORD,
                                     reinterpret_cast<unsigned char*>(&width),
                                     sizeof width) == QXIR_SUCCESS,
        "QXSaveComponentPropertyValue");
  tagQXVALUETYPE type = QXVT_UNKNOWN;
  unsigned long readWidth = 0;
  unsigned long size = 0;
  Check(QXRetrieveComponentPropertyValue(plugin, "Width", &type,
                                         reinterpret_cast<unsigned char*>(&readWidth),
                                         sizeof readWidth, &size) == QXIR_SUCCESS &&
            type == QXVT_DWORD && readWidth == 640,
        "QXRetrieveComponentPropertyValue");

  GUID objectId = {};
  Check(QXGenerateObjectID(plugin, "first camera", &objectId, 0) == QXIR_SUCCESS,
        "QXGenerateObjectID");
  GUID again = {};
  Check(QXGenerateObjectID(plugin, "first camera", &again, 0) == QXIR_SUCCESS &&
            SameGuid(again, objectId),
        "QXGenerateObjectID gives a name its identifier again");
  char key[256] = "";
  Check(QXGetObjectKey(plugin, objectId, key, sizeof key, &needed) == QXIR_SUCCESS &&
            SameText(key, "first camera"),
        "QXGetObjectKey names the identifier");
  tagQXCLIENTID client = {};
  unsigned long exposure = 7;
  Check(QXSaveObjectPropertyValue(plugin, objectId, client, 0, "Exposure", QXVT_DWORD,
                                  reinterpret_cast<unsigned char*>(&exposure),
                                  sizeof exposure) == QXIR_SUCCESS,
        "QXSaveObjectPropertyValue");
  unsigned long readExposure = 0;
  Check(QXRetrieveObjectPropertyValue(plugin, objectId, client, 0, 0, "Exposure", &type,
                                      reinterpret_cast<unsigned char*>(&readExposure),
                                      sizeof readExposure, &size) == QXIR_SUCCESS &&
            readExposure == 7,
        "QXRetrieveObjectPropertyValue");

  Check(QXUnregisterServer(plugin, kCategory, nullptr, nullptr) == QXIR_SUCCESS,
        "QXUnregisterServer");
  count = 4;
  Check(QXEnumComponents(kCategory, found, &count) == QXIR_KEY_NOT_FOUND,
        "the category is gone after QXUnregisterServer");
}

void ProfileFilesAndTiming() {
  const char file[] = "Rm7731VisualCppHost.ini";
  Check(QXSetIniFileStringValueData(file, "Host", "Compiler", "Visual C++") == QXIR_SUCCESS,
        "QXSetIniFileStringValueData");
  char text[32] = "";
  unsigned long needed = 0;
  Check(QXGetIniFileStringValueData(file, "Host", "Compiler", text, sizeof text, &needed) ==
                QXIR_SUCCESS &&
            SameText(text, "Visual C++"),
        "QXGetIniFileStringValueData");
  Check(QXDeleteIniFileSectionName(file, "Host") == QXIR_SUCCESS, "QXDeleteIniFileSectionName");

  LARGE_INTEGER frequency = {};
  LARGE_INTEGER start = {};
  Check(QXMeasureTiming(1, &frequency, &start, nullptr, nullptr, nullptr) != 0 &&
            frequency.QuadPart > 0,
        "QXMeasureTiming starts the stopwatch");
}

// Visual C++ allocates the object itself: its size is the public header's one pointer.
static_assert(sizeof(CQXGlobalMemObj) == sizeof(void*), "CQXGlobalMemObj holds one pointer");

// The exported constructor, reached by name so that the compiler cannot assume what it returns:
// Visual C++ code may use the address it returns, so that must be the object's.
#if defined(_M_IX86)
typedef CQXGlobalMemObj*(__thiscall* ExportedConstructor)(void* storage);
const char kConstructorName[] = "??0CQXGlobalMemObj@@QAE@XZ";
#else
typedef CQXGlobalMemObj* (*ExportedConstructor)(void* storage);
const char kConstructorName[] = "??0CQXGlobalMemObj@@QEAA@XZ";
#endif

void SharedMemory() {
  CQXGlobalMemObj onStack;
  int existed = -1;
  unsigned long error = 0;
  unsigned char* first =
      static_cast<unsigned char*>(onStack.Create(4096, "Rm7731VisualCppHost", &existed, &error));
  Check(first != nullptr && existed == 0, "Create makes a new block");

  CQXGlobalMemObj* onHeap = new CQXGlobalMemObj;
  unsigned char* second =
      static_cast<unsigned char*>(onHeap->Create(4096, "Rm7731VisualCppHost", &existed, &error));
  Check(second != nullptr && existed == 1, "Create of the same name opens the block");
  if (first != nullptr && second != nullptr) {
    first[100] = 0x5A;
    Check(second[100] == 0x5A, "both views show the same memory");
  }

  CQXGlobalMemObj joined;
  Check(&(joined = onStack) == &joined, "operator= returns the object assigned to");
  Check(joined.Destroy(&error) == 1, "Destroy through the joined object");
  error = 0;
  Check(onStack.Destroy(&error) == 0 && error == 487, "the shared block was released once");
  Check(onHeap->Destroy(&error) == 1, "Destroy on the heap object");
  delete onHeap;

  const ExportedConstructor construct = reinterpret_cast<ExportedConstructor>(
      GetProcAddress(GetModuleHandleA("Rm7731.pid"), kConstructorName));
  Check(construct != nullptr, "the module exports the constructor by its Visual C++ name");
  if (construct != nullptr) {
    void* storage = operator new(sizeof(CQXGlobalMemObj));
    CQXGlobalMemObj* constructed = construct(storage);
    Check(constructed == storage, "the constructor returns the object's address");
    error = 0;
    Check(static_cast<CQXGlobalMemObj*>(storage)->Create(0, nullptr, nullptr, &error) == nullptr &&
              error == 87,
          "the object constructed by name works");
    static_cast<CQXGlobalMemObj*>(storage)->~CQXGlobalMemObj();
    operator delete(storage);
  }
}

}  // namespace

extern "C" void __cdecl HostMain() {
  RegistryValuesAndKeyTrees();
  KeyNames();
  ComponentRegistry();
  ProfileFilesAndTiming();
  SharedMemory();
  Print("visual_cpp_host: ");
  PrintNumber(static_cast<unsigned long>(g_checks));
  Print(" checks, ");
  PrintNumber(static_cast<unsigned long>(g_failures));
  Print(" failed\n");
  ExitProcess(g_failures == 0 ? 0 : 1);
}
