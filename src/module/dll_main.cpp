// Entry point of Rm7731.pid. The C++ runtime has already run the load-time initialisers
// when the process-attach notification arrives here.
#include <windows.h>

#include "module/module_state.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) rm::OnProcessAttach(module);
  return TRUE;
}
