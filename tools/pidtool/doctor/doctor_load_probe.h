#pragma once
// `doctor --load` runs a component module's code, and that code may crash or never return.
// So each module is loaded in a child pidtool process of its own ("doctor --probe-module FILE
// --probe-clsid CLSID"), which says on stdout how far it got; the doctor reads that back and
// stops a child that runs past its time.

#include <windows.h>

#include <string>

#include "doctor/load_failure.h"

namespace pidtool {

struct LoadProbe {
  enum class Outcome {
    Answered,  // loaded; `code` is what DllGetClassObject returned, `gotObject` whether it gave one
    LoadFailed,  // LoadLibraryW failed with the Windows error `code`
    Crashed,     // the child ended during `step` with exit status `code` (an exception code)
    TimedOut,    // the child was still in `step` after the time limit and was stopped
    NotRun,      // the child could not be started: Windows error `code`
  };
  Outcome outcome = Outcome::NotRun;
  DWORD code = 0;
  bool gotObject = false;
  std::string step;  // "LoadLibraryW", "DllGetClassObject", "IClassFactory::Release", "FreeLibrary"
  LoadFailure failure;  // LoadFailed: why, as this process finds it
};

// How long a child may take to load a module, ask it and free it.
constexpr DWORD kLoadProbeMilliseconds = 30000;

// The full path of this program (UTF-8); empty when it cannot be had.
std::string ThisProgramPath();

// Runs the probe of `modulePath` for `clsid` (braced text) in a child process of this program.
LoadProbe ProbeModuleInChild(const std::string& modulePath, const std::string& clsid);

// The child's side: loads the module, asks its DllGetClassObject for the class object of
// `clsid`, releases it and frees the module, printing each step before it is taken. An
// exception nobody handles ends the process at once with the exception code as exit status.
int RunLoadProbe(const std::string& modulePath, const std::string& clsid);

}  // namespace pidtool
