/* The DllMain of a DLL that defines none: the linker takes it from the library only then. */
int __stdcall DllMain(void* module, unsigned long reason, void* reserved) {
  (void)module;
  (void)reason;
  (void)reserved;
  return 1;
}
