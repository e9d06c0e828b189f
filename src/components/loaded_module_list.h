#pragma once
// The process-wide list of modules loaded by QXCreateInstance. Each entry stands for one load
// reference: a module that served several instances is listed once per instance. Entries
// leave the list only when the module's "DllCanUnloadNow" answered S_OK and FreeLibrary
// succeeded; whatever is still listed when this library unloads stays loaded.

#include <windows.h>

#include <cstddef>

#include "shared/unique_handle.h"

namespace rm {

// One list entry, allocated before the module is loaded so that listing the module after a
// successful creation cannot fail.
struct LoadedModuleEntry {
  HMODULE module = nullptr;
  LoadedModuleEntry* next = nullptr;
};

inline void DeleteLoadedModuleEntry(LoadedModuleEntry* entry) noexcept { delete entry; }
// An entry not yet listed, counted as a heap block while its guard holds it.
using UniqueLoadedModuleEntry =
    UniqueHandle<LoadedModuleEntry*, DeleteLoadedModuleEntry, HandleKind::HeapBlock>;

// A new, unlisted entry; empty when memory is short.
UniqueLoadedModuleEntry NewLoadedModuleEntry() noexcept;

// Lists `module` at the end, taking over the entry (released from its guard) and the load
// reference it stands for.
void AppendLoadedModule(LoadedModuleEntry* entry, HMODULE module) noexcept;

// Walks the list front to back, asking each entry's module separately whether it can be
// unloaded, and frees and unlists those that answer S_OK. The list is not locked while a
// module's code runs, so that code may itself create instances or free modules.
void FreeUnusedLoadedModules() noexcept;

// Entries listed right now.
std::size_t LoadedModuleCount() noexcept;

}  // namespace rm
