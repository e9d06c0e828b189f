/* The examples test has no Visual C++ runtime: its Visual C++-ABI programs use msvcrt.dll, which
   initialises itself, and this entry point in place of the runtime's startup code. exit()
   flushes stdout before the process ends. */
int main(void);
void __cdecl exit(int status);

void mainCRTStartup(void) { exit(main()); }
