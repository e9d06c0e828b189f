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
  // compat C20
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

  // Takes every entry out of the list, in order.
  LoadedModuleEntry* DetachAll() noexcept {
    LoadedModuleEntry* entries = head_;
    head_ = nullptr;
    count_ = 0;
    return entries;
  }

  // Puts detached entries back in front of whatever was appended in the meantime.
  void PutBackInFront(LoadedModuleEntry* entries, std::size_t count) noexcept {
    if (entries == nullptr) return;
    LoadedModuleEntry* last = entries;
    while (last->next != nullptr) last = last->next;
    last->next = head_;
    head_ = entries;
    count_ += count;
  }

  std::size_t Count() const noexcept { return count_; }

 private:
  LoadedModuleEntry* head_;
  std::size_t count_;
};

bool CanUnload(HMODULE module) noexcept {
  auto canUnloadNow =
      reinterpret_cast<CanUnloadNowFunction>(GetProcAddress(module, "DllCanUnloadNow"));
  return canUnloadNow != nullptr && canUnloadNow() == S_OK;
}

LoadedModuleList g_loadedModuleList __attribute__((init_priority(kLoadedModuleListInitPriority)));

}  // namespace

UniqueLoadedModuleEntry NewLoadedModuleEntry() noexcept {
  return UniqueLoadedModuleEntry(new (std::nothrow) LoadedModuleEntry);
}

void AppendLoadedModule(LoadedModuleEntry* entry, HMODULE module) noexcept {
  entry->module = module;
  ListLock lock;
  g_loadedModuleList.Append(entry);
}

// The entries are detached under the lock and examined without it: a component's
// "DllCanUnloadNow" and its unload notification run with the list unlocked, so they may call
// QXCreateInstance or QXFreeUnusedLibraries themselves. Detached entries belong to this call
// alone, so none is asked or freed twice; those that stay go back in front, in their order.
// compat F16
void FreeUnusedLoadedModules() noexcept {
  LoadedModuleEntry* examined = nullptr;
  {
    ListLock lock;
    examined = g_loadedModuleList.DetachAll();
  }
  LoadedModuleEntry* kept = nullptr;
  LoadedModuleEntry** keptTail = &kept;
  std::size_t keptCount = 0;
  while (examined != nullptr) {
    LoadedModuleEntry* entry = examined;
    examined = entry->next;
    entry->next = nullptr;
    if (CanUnload(entry->module) && FreeLibrary(entry->module)) {
      delete entry;
    } else {
      *keptTail = entry;
      keptTail = &entry->next;
      ++keptCount;
    }
  }
  ListLock lock;
  g_loadedModuleList.PutBackInFront(kept, keptCount);
}

std::size_t LoadedModuleCount() noexcept {
  ListLock lock;
  return g_loadedModuleList.Count();
}

}  // namespace rm
