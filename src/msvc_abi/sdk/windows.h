#pragma once
// The Windows types the public headers name, declared as the Windows SDK declares them, and the
// few kernel32 functions the Visual C++-ABI test host calls. Built with clang in MSVC mode and
// without the SDK (mingw's windows.h does not compile there), both the export-name generation
// and that host see the public headers through this file. Its tag names and kinds (struct,
// union) are what both compilers mangle, so the build compares the GCC names it yields with the
// module's hand-written ones.

#include <stddef.h>

#define WINAPI __stdcall
#define CALLBACK __stdcall
#define STDMETHODCALLTYPE __stdcall

typedef unsigned long DWORD;
typedef unsigned long ULONG;
typedef long LONG;
typedef long HRESULT;
typedef int BOOL;
typedef void* HANDLE;
typedef long long LONGLONG;
#ifdef _WIN64
typedef unsigned long long ULONG_PTR;
#else
typedef unsigned long ULONG_PTR;
#endif
typedef ULONG_PTR SIZE_T;

// The SDK's DECLARE_HANDLE: a pointer to a distinct empty struct per handle kind.
struct HKEY__ {
  int unused;
};
typedef HKEY__* HKEY;
struct HINSTANCE__ {
  int unused;
};
typedef HINSTANCE__* HINSTANCE;
typedef HINSTANCE HMODULE;

typedef struct _GUID {
  unsigned long Data1;
  unsigned short Data2;
  unsigned short Data3;
  unsigned char Data4[8];
} GUID;
typedef GUID IID;
typedef GUID CLSID;

typedef union _LARGE_INTEGER {
  struct {
    DWORD LowPart;
    LONG HighPart;
  } u;
  LONGLONG QuadPart;
} LARGE_INTEGER;

#define HKEY_CURRENT_USER ((HKEY)(ULONG_PTR)((LONG)0x80000001))
#define HKEY_LOCAL_MACHINE ((HKEY)(ULONG_PTR)((LONG)0x80000002))
#define STD_OUTPUT_HANDLE ((DWORD)-11)

// mingw's interface-identifier hook, which the GNU-mode compile meets in the public headers.
#ifndef __CRT_UUID_DECL
#define __CRT_UUID_DECL(type, ...)
#endif

extern "C" {
__declspec(dllimport) HANDLE WINAPI GetStdHandle(DWORD which);
__declspec(dllimport) BOOL WINAPI
    WriteFile(HANDLE file, const void* data, DWORD size, DWORD* written, void* overlapped);
__declspec(dllimport) HANDLE WINAPI GetProcessHeap();
__declspec(dllimport) void* WINAPI HeapAlloc(HANDLE heap, DWORD flags, SIZE_T size);
__declspec(dllimport) BOOL WINAPI HeapFree(HANDLE heap, DWORD flags, void* block);
__declspec(dllimport) HMODULE WINAPI GetModuleHandleA(const char* name);
__declspec(dllimport) void* WINAPI GetProcAddress(HMODULE module, const char* name);
__declspec(dllimport) __declspec(noreturn) void WINAPI ExitProcess(unsigned int code);
}
