/* A component module built for the other width than the tree's (see CMakeLists.txt): only its
   headers matter, to doctor's wrong-width check. */
__declspec(dllexport) long DllGetClassObject(void) {
  return 0x80040111L; /* CLASS_E_CLASSNOTAVAILABLE */
}
__declspec(dllexport) long DllCanUnloadNow(void) { return 0; }
