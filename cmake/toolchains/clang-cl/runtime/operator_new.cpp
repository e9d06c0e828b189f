// The allocation functions of the Visual C++ library that include/new declares, over
// msvcrt.dll's heap. Nothing here throws: a failed allocation answers nullptr.
#include <new>

extern "C" void* __cdecl malloc(size_t size);
extern "C" void __cdecl free(void* block);

const std::nothrow_t std::nothrow{};

void* operator new(size_t size, const std::nothrow_t&) noexcept { return malloc(size ? size : 1); }
void* operator new[](size_t size, const std::nothrow_t&) noexcept {
  return malloc(size ? size : 1);
}
void operator delete(void* block) noexcept { free(block); }
void operator delete[](void* block) noexcept { free(block); }
void operator delete(void* block, size_t) noexcept { free(block); }
void operator delete[](void* block, size_t) noexcept { free(block); }
