/* A program's entry point, as the Visual C++ runtime's mainCRTStartup would be: msvcrt.dll,
   which initialises itself, gives the arguments; exit() flushes stdout before the process ends. */
int __cdecl __getmainargs(int* argc, char*** argv, char*** env, int expand, int* startup);
__declspec(dllimport) void __cdecl exit(int status);
int main(int argc, char** argv);

void mainCRTStartup(void) {
  int argc = 0, startup = 0;
  char **argv = 0, **env = 0;
  __getmainargs(&argc, &argv, &env, 0, &startup);
  exit(main(argc, argv));
}
