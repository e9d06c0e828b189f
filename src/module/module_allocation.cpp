// The module's own nothrow allocation. The C++ runtime's nothrow operator new wraps the
// throwing one in a catch, which would link the whole exception runtime (unwinder, personality
// routine, threads support) into a module that never throws; and the module links no C++
// runtime at all (-nostdlib++), so the tag object `new (std::nothrow)` names is defined here
// too. Linked into the module only, so hosts and test programs keep their own.
#include <cstdlib>
#include <new>

const std::nothrow_t std::nothrow{};

void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  return std::malloc(size != 0 ? size : 1);
}
void operator delete(void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
