#pragma once
// Makes the Nth call that a loaded module makes to its registry, file and profile, memory and
// module-loading imports fail the way the real function fails (its return value, and its last
// error or errno), while every other caller goes on as before: only the module's import address
// table is patched. Each stubbed call that takes something (a key, a heap or C runtime block,
// COM task memory, a module, a file mapping or view, a find handle) is counted until the module
// releases it, so that a test can tell what a call left behind.
//
//   ImportFaults faults(GetModuleHandleA("Rm7731.pid"));
//   faults.Arm(3, Fault::AccessDenied);  // the module's 3rd call from now fails
//   ...call the module...
//   faults.Disarm();
//   faults.Failed();      // "RegQueryValueExA: 5", or empty when fewer than 3 calls were made
//   faults.LeftBehind();  // what the module took through its imports and still holds

#include <windows.h>

#include <string>
#include <vector>

namespace rmtest {

// The kind of failure; each function fails with its own code for it, or not at all where the
// kind does not apply to it (an allocation only ever returns null, GetProcAddress only ever
// finds nothing, a write runs out of disk rather than memory).
enum class Fault { AccessDenied, OutOfMemory, NotFound };

class ImportFaults {
 public:
  // Patches every import of those families in the module's import table. An import of the
  // families that has no stub fails the current test, so that no new import slips by.
  explicit ImportFaults(HMODULE module);
  // Puts the import table back.
  ~ImportFaults();
  ImportFaults(const ImportFaults&) = delete;
  ImportFaults& operator=(const ImportFaults&) = delete;

  // Counts the module's stubbed calls from now on; the `n`th fails with `fault` (none when n
  // is 0). Releases are never counted and never fail.
  void Arm(unsigned n, Fault fault);
  void Disarm();

  // The stubbed calls counted since Arm, by function name.
  const std::vector<std::string>& Calls() const;
  // The code `function` fails with for `fault`, 0 when that fault does not apply to it.
  static DWORD CodeFor(const std::string& function, Fault fault);
  // "<function>: <code>" of the call that was made to fail, or empty.
  std::string Failed() const;

  // What the module took through its imports since it was patched and has not released, one
  // "<function> <value>" line each; Forget drops the record.
  std::vector<std::string> LeftBehind() const;
  void ForgetLeftBehind();
  // The path the module last asked LoadLibrary* to load.
  std::string LastLoadedPath() const;

 private:
  std::vector<std::pair<void**, void*>> patched_;  // slot, the original function it held
};

}  // namespace rmtest
