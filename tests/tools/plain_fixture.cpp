// A module without any COM server export: what `pidtool register` must refuse clearly.
#include <windows.h>

extern "C" __declspec(dllexport) int FixtureAnswer() { return 42; }
