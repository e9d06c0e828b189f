#pragma once
// Component discovery and instantiation: the components of a category, their friendly names,
// creating an instance from a component's module and releasing unused modules.

#include <windows.h>
#include <unknwn.h>

#include "qx/results.h"

// Reports the CLSIDs of the components registered in a category, in the registry's order.
// With a null array, *count receives the number of components (its incoming value is
// ignored). With an array, *count gives its capacity in GUIDs on entry and receives the
// number written: at most the capacity, a full array not being an error. Any registry
// failure gives QXIR_KEY_NOT_FOUND and leaves *count as it was. A null or empty category
// name, or a null count, gives QXIR_INVALID_PARAMETER. An entry whose name is not exactly the
// braced CLSID text is counted and gets an all-zero GUID in its slot.
tagQXINTRFCRESULT QXEnumComponents(const char* categoryName, GUID* clsids,
                                   unsigned long* count) noexcept;

// Copies the component's friendly name into `buffer` (`bufferSize` bytes). A null buffer is a
// size probe: *sizeNeeded receives the stored size in bytes plus one. A buffer that is too
// small gives QXIR_BUFFER_TOO_SMALL with the same figure in *sizeNeeded; when the name fits,
// *sizeNeeded is not written. A name stored without its terminator is ended inside the
// buffer when there is room for the NUL and is otherwise too small.
tagQXINTRFCRESULT QXGetComponentFriendlyName(const GUID& clsid, char* buffer,
                                             unsigned long bufferSize,
                                             unsigned long* sizeNeeded) noexcept;

// Creates an instance of the component by loading its registered module file and asking the
// module's class factory for `iid`. The class context is accepted and ignored: creation is
// always in-process. On success the module stays loaded until QXFreeUnusedLibraries finds it
// unused; on every failure after the load it is unloaded again and *object is null. A class
// factory that answers S_OK without an object gives QXIR_CREATEINSTANCE_FAILED.
tagQXINTRFCRESULT QXCreateInstance(const GUID& clsid, IUnknown* outer, unsigned long classContext,
                                   const GUID& iid, void** object) noexcept;

// Frees, one load reference at a time, every module loaded by QXCreateInstance whose
// "DllCanUnloadNow" answers S_OK. A component's own code ("DllCanUnloadNow", its unload
// notification, its class factory) may call QXCreateInstance and QXFreeUnusedLibraries.
//
// Multi-threaded hosts: a module is freed as soon as its "DllCanUnloadNow" answers S_OK, with
// no grace period. A component's final Release may still be returning into the component's
// code when that happens on another thread, and the process then crashes. Either release
// components on the thread that calls QXFreeUnusedLibraries, or keep a reference to each
// component until no thread calls QXFreeUnusedLibraries any more.
void QXFreeUnusedLibraries() noexcept;
