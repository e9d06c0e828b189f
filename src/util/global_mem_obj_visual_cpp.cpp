// The CQXGlobalMemObj constructor as Visual C++ callers expect it.
//
// A Visual C++ constructor returns its object's address (EAX on x86, RAX on x64) and callers
// may use that value; GCC's returns nothing. The export list gives this function the Visual C++
// name of the constructor. Every other member has the same calling convention in both compilers
// (__thiscall on x86, a reference from operator= returned as a pointer, a plain non-virtual
// destructor), so those names alias GCC's members directly.
#include <new>

#include "qx/utilities.h"

#if defined(__i386__)
#define RM_VISUAL_CPP_MEMBER __attribute__((thiscall))
#else
#define RM_VISUAL_CPP_MEMBER
#endif

extern "C" RM_VISUAL_CPP_MEMBER CQXGlobalMemObj* ConstructGlobalMemObjForVisualCpp(
    CQXGlobalMemObj* object) noexcept {
  return ::new (object) CQXGlobalMemObj;
}
