// A module whose file exists but which imports a DLL that does not: what `pidtool register`
// must report as a missing import rather than as a missing file.
#include <windows.h>

extern "C" __declspec(dllimport) int AbsentFunction();

extern "C" __declspec(dllexport) int FixtureAnswer() { return AbsentFunction(); }
