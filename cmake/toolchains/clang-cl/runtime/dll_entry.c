/* A DLL's entry point, as the Visual C++ runtime's _DllMainCRTStartup would be: it hands every
   notification to the DLL's DllMain (default_dll_main.c when the DLL has none). */
int __stdcall DllMain(void* module, unsigned long reason, void* reserved);

int __stdcall _DllMainCRTStartup(void* module, unsigned long reason, void* reserved) {
  return DllMain(module, reason, reserved);
}
