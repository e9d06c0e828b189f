#include "components/loaded_module_list.h"

#include <new>

#include "module/module_state.h"

namespace rm {
namespace {

using CanUnloadNowFunction = HRESULT(STDAPICALLTYPE*)();

// Guards the list against hosts that call QXCreateInstance and QXFreeUnusedLibraries from
// several threads at once. An SRWLOCK is all zeros when unlocked, so it is usable from the
// first instruction of the process, whatever order the load-time initialisers run in.
SRWLOCK g_listLock = SRWLOCK_INIT;

class ListLock {
 public:
  ListLock() noexcept { AcquireSRWLockExclusive(&g_listLock); }
  ~ListLock() { ReleaseSRWLockExclusive(&g_listLock); }
  ListLock(const ListLock&) = delete;
  ListLock& operator=(const ListLock&) = delete;
};

class LoadedModuleList {
 public:
  // Created empty at load, after the class table has been filled in. All zeros is the empty
  // list too, so the list is sound even before this runs.
  LoadedModuleList() noexcept : head_(nullptr), count_(0) {}

  // Discarded at unload: the entries' memory goes back to the heap, the modules they stand
  // for stay loaded. No lock is taken: a thread that held it when the process began to exit
  // no longer runs and would never release it.
  ~LoadedModuleList() {
    for (LoadedModuleEntry* entry = head_; entry != nullptr;) {
      LoadedModuleEntry* next = entry->next;
      delete entry;
      entry = next;
    }
  }

  LoadedModuleList(const LoadedModuleList&) = delete;
  LoadedModuleList& operator=(const LoadedModuleList&) = delete;

  void Append(LoadedModuleEntry* entry) noexcept {
    entry->next = nullptr;
    LoadedModuleEntry** link = &head_;
    while (*link != nullptr) link = &(*link)->next;
    *link = entry;
    ++count_;
  }

  void FreeUnused() noexcept {
    LoadedModuleEntry** link = &head_;
    while (*link != nullptr) {
      LoadedModuleEntry* entry = *link;
      if (CanUnload(entry->module) && FreeLibrary(entry->module)) {
        *link = entry->next;
        delete entry;
        --count_;
      } else {
        link = &entry->next;
      }
    }
  }

  std::size_t Count() const noexcept { return count_; }

 private:
  static bool CanUnload(HMODULE module) noexcept {
    auto canUnloadNow =
        reinterpret_cast<CanUnloadNowFunction>(GetProcAddress(module, "DllCanUnloadNow"));
    return canUnloadNow != nullptr && canUnloadNow() == S_OK;
  }

  LoadedModuleEntry* head_;
  std::size_t count_;
};

LoadedModuleList g_loadedModuleList __attribute__((init_priority(kLoadedModuleListInitPriority)));

}  // namespace

LoadedModuleEntryPtr NewLoadedModuleEntry() noexcept {
  return LoadedModuleEntryPtr(new (std::nothrow) LoadedModuleEntry);
}

void AppendLoadedModule(LoadedModuleEntryPtr entry, HMODULE module) noexcept {
  entry->module = module;
  ListLock lock;
  g_loadedModuleList.Append(entry.release());
}

// The lock is held while the listed modules are asked and freed, so that an entry is never
// asked or freed twice. A component's "DllCanUnloadNow", or its unload notification, must
// therefore not call back into QXCreateInstance or QXFreeUnusedLibraries.
void FreeUnusedLoadedModules() noexcept {
  ListLock lock;
  g_loadedModuleList.FreeUnused();
}

std::size_t LoadedModuleCount() noexcept {
  ListLock lock;
  return g_loadedModuleList.Count();
}

}  // namespace rm
