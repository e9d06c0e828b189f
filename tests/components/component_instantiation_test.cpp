// QXCreateInstance, the module path it resolves, and QXFreeUnusedLibraries over the fixture
// component modules. Whether a module is loaded is read from the loader itself
// (GetModuleHandleA), so every load reference taken or dropped shows.
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>
#include <string>
#include <thread>
#include <vector>

#include "component_fixture.h"
#include "components/component_instantiation.h"
#include "components/loaded_module_list.h"
#include "discovery_test_support.h"
#include "qx/component_instances.h"
#include "shared/unique_handle.h"
#include "support/leak_checked_test.h"

// Nothrow allocations fail on request, for the case of the list entry that cannot be had.
namespace {
volatile bool g_failNothrowAllocations = false;
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  if (g_failNothrowAllocations) return nullptr;
  return std::malloc(size == 0 ? 1 : size);
}
void operator delete(void* block, const std::nothrow_t&) noexcept { std::free(block); }

namespace rmtest {
namespace {

// The class the fixtures serve, and one that no fixture serves.
const GUID kOtherClsid = {0x0BADC0DE, 0x0000, 0x4000, {0x80, 0, 0, 0, 0, 0, 0, 0x01}};
void* const kUntouched = reinterpret_cast<void*>(0x1234);

long FixtureCounter(const char* name) {
  char text[32] = {};
  return GetEnvironmentVariableA(name, text, sizeof(text)) == 0 ? 0
                                                                : std::strtol(text, nullptr, 10);
}

void ForceCanUnloadNow(const char* moduleName, HRESULT answer) {
  HMODULE module = GetModuleHandleA(moduleName);
  ASSERT_NE(module, nullptr) << moduleName << " is not loaded";
  auto force =
      reinterpret_cast<ForceCanUnloadNowFunction>(GetProcAddress(module, kForceCanUnloadNowExport));
  ASSERT_NE(force, nullptr);
  force(answer);
}

class CreateInstance : public LeakCheckedTest {
 protected:
  // Creates an IUnknown instance of the fixture class as registered.
  tagQXINTRFCRESULT Create(IUnknown** object, const GUID& clsid = kFixtureClsid) {
    void* out = kUntouched;
    const tagQXINTRFCRESULT result =
        QXCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, &out);
    *object = static_cast<IUnknown*>(out);
    return result;
  }
  // Expects a failure that leaves nothing loaded, listed or open, and a null object.
  void ExpectFailureUndone(const char* moduleName, tagQXINTRFCRESULT expected) {
    const std::size_t listedBefore = rm::LoadedModuleCount();
    IUnknown* object = nullptr;
    EXPECT_EQ(Create(&object), expected);
    EXPECT_EQ(object, nullptr);
    EXPECT_FALSE(IsLoaded(moduleName)) << moduleName << " still loaded";
    EXPECT_EQ(rm::LoadedModuleCount(), listedBefore);
    EXPECT_EQ(rm::LiveHandleCountTotal(), 0);
  }
};

TEST_F(CreateInstance, KeepsTheModuleLoadedAndListedOncePerInstance) {
  RegisterComponentFile(kFixtureClsid, ExecutableDirectory() + kGoodComponent);
  ASSERT_FALSE(IsLoaded(kGoodComponent));
  const std::size_t listedBefore = rm::LoadedModuleCount();

  IUnknown* first = nullptr;
  IUnknown* second = nullptr;
  ASSERT_EQ(Create(&first), QXIR_SUCCESS);
  ASSERT_EQ(Create(&second), QXIR_SUCCESS);
  ASSERT_NE(first, nullptr);
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(rm::LoadedModuleCount(), listedBefore + 2);
  EXPECT_EQ(FixtureCounter(kLiveFactoriesVariable), 0) << "the class factory was not released";
  first->Release();
  second->Release();

  // One QXFreeUnusedLibraries drops both load references.
  QXFreeUnusedLibraries();
  EXPECT_FALSE(IsLoaded(kGoodComponent));
  EXPECT_EQ(rm::LoadedModuleCount(), listedBefore);
}

TEST_F(CreateInstance, HandsTheFactoryTheClsidTheOuterObjectAndTheInterface) {
  RegisterComponentFile(kFixtureClsid, ExecutableDirectory() + kGoodComponent);
  int standIn = 0;  // never called: the fixture only records the outer pointer
  IUnknown* outer = reinterpret_cast<IUnknown*>(&standIn);
  void* out = nullptr;
  ASSERT_EQ(QXCreateInstance(kFixtureClsid, outer, 0, IID_IUnknown, &out), QXIR_SUCCESS);
  EXPECT_EQ(FixtureCounter(kLastOuterVariable),
            static_cast<long>(reinterpret_cast<INT_PTR>(outer)));
  static_cast<IUnknown*>(out)->Release();
  QXFreeUnusedLibraries();

  // An interface the component does not have fails in CreateInstance; a CLSID it does not
  // serve fails in DllGetClassObject.
  out = kUntouched;
  EXPECT_EQ(QXCreateInstance(kFixtureClsid, nullptr, 0, IID_IClassFactory, &out),
            QXIR_CREATEINSTANCE_FAILED);
  EXPECT_FALSE(IsLoaded(kGoodComponent));
  RegisterComponentFile(kOtherClsid, ExecutableDirectory() + kGoodComponent);
  out = kUntouched;
  EXPECT_EQ(QXCreateInstance(kOtherClsid, nullptr, 0, IID_IUnknown, &out),
            QXIR_GETCLASSOBJECT_FAILED);
  EXPECT_EQ(out, nullptr);
  EXPECT_FALSE(IsLoaded(kGoodComponent));
}

TEST_F(CreateInstance, UnloadsTheModuleAgainOnEveryFailureAfterLoadingIt) {
  RegisterComponentFile(kFixtureClsid, ExecutableDirectory() + kNoClassObjectComponent);
  ExpectFailureUndone(kNoClassObjectComponent, QXIR_NO_DLLGETCLASSOBJECT);

  RegisterComponentFile(kFixtureClsid, ExecutableDirectory() + kClassObjectFailsComponent);
  ExpectFailureUndone(kClassObjectFailsComponent, QXIR_GETCLASSOBJECT_FAILED);

  RegisterComponentFile(kFixtureClsid, ExecutableDirectory() + kCreateFailsComponent);
  ExpectFailureUndone(kCreateFailsComponent, QXIR_CREATEINSTANCE_FAILED);
  EXPECT_EQ(FixtureCounter(kLiveFactoriesVariable), 0) << "the class factory was not released";

  RegisterComponentFile(kFixtureClsid, ExecutableDirectory() + "no_such_component.dll");
  ExpectFailureUndone("no_such_component.dll", QXIR_LOADLIBRARY_FAILED);
}

TEST_F(CreateInstance, LoadsNothingWhenTheListCannotTakeAnotherEntry) {
  RegisterComponentFile(kFixtureClsid, ExecutableDirectory() + kGoodComponent);
  g_failNothrowAllocations = true;
  ExpectFailureUndone(kGoodComponent, QXIR_LOADLIBRARY_FAILED);
  g_failNothrowAllocations = false;
  EXPECT_EQ(FixtureCounter(kLiveFactoriesVariable), 0);
}

TEST_F(CreateInstance, ReportsAComponentWhoseModuleCannotBeReadAsNotFound) {
  IUnknown* object = nullptr;
  EXPECT_EQ(Create(&object), QXIR_KEY_NOT_FOUND) << "no component key";
  RegistrySandbox::WriteString(HKEY_LOCAL_MACHINE, ComponentKey(kFixtureClsid), nullptr, "Fixture");
  EXPECT_EQ(Create(&object), QXIR_KEY_NOT_FOUND) << "no File value";
  RegistrySandbox::WriteDword(HKEY_LOCAL_MACHINE, ComponentKey(kFixtureClsid), "File", 1);
  EXPECT_EQ(Create(&object), QXIR_KEY_NOT_FOUND) << "File is not REG_SZ";
  EXPECT_EQ(object, nullptr);

  RegisterComponentFile(kFixtureClsid, ExecutableDirectory() + kGoodComponent);
  RegistrySandbox::SetKeySecurity(HKEY_LOCAL_MACHINE, ComponentKey(kFixtureClsid), kDenyAll);
  EXPECT_EQ(Create(&object), QXIR_ACCESS_DENIED);
  EXPECT_FALSE(IsLoaded(kGoodComponent));
}

// compat F13
TEST_F(CreateInstance, RefusesAModulePathLongerThanItsBufferInsteadOfCuttingIt) {
  // 259 characters and the NUL fill the 260-byte buffer exactly: read, then not loadable.
  RegisterComponentFile(kFixtureClsid, "C:\\" + std::string(256, 'x'));
  IUnknown* object = nullptr;
  EXPECT_EQ(Create(&object), QXIR_LOADLIBRARY_FAILED);
  RegisterComponentFile(kFixtureClsid, "C:\\" + std::string(257, 'x'));
  EXPECT_EQ(Create(&object), QXIR_KEY_NOT_FOUND);

  // A bare name that fits alone but not once joined to the executable's directory.
  const std::size_t room = MAX_PATH - ExecutableDirectory().size();
  RegisterComponentFile(kFixtureClsid, std::string(room, 'x'));
  EXPECT_EQ(Create(&object), QXIR_KEY_NOT_FOUND);
  RegisterComponentFile(kFixtureClsid, std::string(room - 1, 'x'));
  EXPECT_EQ(Create(&object), QXIR_LOADLIBRARY_FAILED) << "one less fits";
}

// compat F05
TEST_F(CreateInstance, RefusesANullObjectPointer) {
  RegisterComponentFile(kFixtureClsid, ExecutableDirectory() + kGoodComponent);
  EXPECT_EQ(QXCreateInstance(kFixtureClsid, nullptr, 0, IID_IUnknown, nullptr),
            QXIR_INVALID_PARAMETER);
  EXPECT_FALSE(IsLoaded(kGoodComponent));
}

class ModulePath : public CreateInstance {};

// compat C13
TEST_F(ModulePath, ABareFileNameLoadsFromTheHostExecutablesDirectory) {
  RegisterComponentFile(kFixtureClsid, kGoodComponent);
  wchar_t path[MAX_PATH] = {};
  ASSERT_EQ(rm::ResolveComponentModulePath(kFixtureClsid, path, MAX_PATH), QXIR_SUCCESS);
  EXPECT_EQ(std::wstring(path), Widened(ExecutableDirectory() + kGoodComponent));

  // Found beside the executable although the current directory is elsewhere.
  ScratchFolder elsewhere;
  CurrentDirectoryScope inElsewhere(elsewhere.path());
  IUnknown* object = nullptr;
  ASSERT_EQ(Create(&object), QXIR_SUCCESS);
  EXPECT_EQ(LoadedFrom(kGoodComponent), ExecutableDirectory() + kGoodComponent);
  object->Release();
  QXFreeUnusedLibraries();
  EXPECT_FALSE(IsLoaded(kGoodComponent));
}

// compat C13
TEST_F(ModulePath, ABareFileNameIsNotLookedForInTheCurrentDirectory) {
  ScratchFolder elsewhere;
  CopyFromExecutableDirectory(elsewhere, kGoodComponent,
                              "discovery_component_current_directory.dll");
  CurrentDirectoryScope inElsewhere(elsewhere.path());
  RegisterComponentFile(kFixtureClsid, "discovery_component_current_directory.dll");
  ExpectFailureUndone("discovery_component_current_directory.dll", QXIR_LOADLIBRARY_FAILED);
}

TEST_F(ModulePath, APathWithADirectoryIsLoadedAsItStands) {
  ScratchFolder elsewhere;
  const std::string copy =
      CopyFromExecutableDirectory(elsewhere, kGoodComponent, "discovery_component_copy.dll");
  RegisterComponentFile(kFixtureClsid, copy);
  wchar_t path[MAX_PATH] = {};
  ASSERT_EQ(rm::ResolveComponentModulePath(kFixtureClsid, path, MAX_PATH), QXIR_SUCCESS);
  EXPECT_EQ(std::wstring(path), Widened(copy));

  IUnknown* object = nullptr;
  ASSERT_EQ(Create(&object), QXIR_SUCCESS);
  EXPECT_FALSE(IsLoaded(kGoodComponent));
  EXPECT_TRUE(IsLoaded("discovery_component_copy.dll"));
  object->Release();
  QXFreeUnusedLibraries();
  EXPECT_FALSE(IsLoaded("discovery_component_copy.dll")) << "the copy must go before its folder";
}

TEST_F(ModulePath, NeverCutsTheResolvedPathToASmallerCapacity) {
  RegisterComponentFile(kFixtureClsid, kGoodComponent);
  const std::wstring full = Widened(ExecutableDirectory() + kGoodComponent);
  std::vector<wchar_t> path(full.size() + 1, L'#');
  EXPECT_EQ(rm::ResolveComponentModulePath(kFixtureClsid, path.data(),
                                           static_cast<unsigned long>(full.size())),
            QXIR_KEY_NOT_FOUND);
  ASSERT_EQ(rm::ResolveComponentModulePath(kFixtureClsid, path.data(),
                                           static_cast<unsigned long>(path.size())),
            QXIR_SUCCESS);
  EXPECT_EQ(std::wstring(path.data()), full);
}

class FreeUnusedLibraries : public CreateInstance {};

TEST_F(FreeUnusedLibraries, KeepsAModuleThatAnswersSFalseLoadedAndListed) {
  RegisterComponentFile(kFixtureClsid, ExecutableDirectory() + kGoodComponent);
  IUnknown* object = nullptr;
  ASSERT_EQ(Create(&object), QXIR_SUCCESS);
  object->Release();
  const std::size_t listed = rm::LoadedModuleCount();
  ForceCanUnloadNow(kGoodComponent, S_FALSE);
  QXFreeUnusedLibraries();
  EXPECT_TRUE(IsLoaded(kGoodComponent));
  EXPECT_EQ(rm::LoadedModuleCount(), listed);

  ForceCanUnloadNow(kGoodComponent, S_OK);
  QXFreeUnusedLibraries();
  EXPECT_FALSE(IsLoaded(kGoodComponent));
  EXPECT_EQ(rm::LoadedModuleCount(), listed - 1);
}

TEST_F(FreeUnusedLibraries, KeepsAModuleWhileOneOfItsObjectsLives) {
  RegisterComponentFile(kFixtureClsid, ExecutableDirectory() + kGoodComponent);
  IUnknown* object = nullptr;
  ASSERT_EQ(Create(&object), QXIR_SUCCESS);
  QXFreeUnusedLibraries();
  EXPECT_TRUE(IsLoaded(kGoodComponent));
  object->Release();
  QXFreeUnusedLibraries();
  EXPECT_FALSE(IsLoaded(kGoodComponent));
}

TEST_F(FreeUnusedLibraries, KeepsAModuleWithoutDllCanUnloadNowLoadedAndListed) {
  RegisterComponentFile(kFixtureClsid, ExecutableDirectory() + kNoCanUnloadComponent);
  IUnknown* object = nullptr;
  ASSERT_EQ(Create(&object), QXIR_SUCCESS);
  object->Release();
  const std::size_t listed = rm::LoadedModuleCount();
  QXFreeUnusedLibraries();
  EXPECT_TRUE(IsLoaded(kNoCanUnloadComponent));
  EXPECT_EQ(rm::LoadedModuleCount(), listed);
}

TEST_F(FreeUnusedLibraries, AsksEveryEntrySeparatelyAndKeepsTheOthersInPlace) {
  ScratchFolder elsewhere;
  const std::string copy =
      CopyFromExecutableDirectory(elsewhere, kGoodComponent, "discovery_component_second.dll");
  const std::string good = ExecutableDirectory() + kGoodComponent;
  const std::size_t listedBefore = rm::LoadedModuleCount();

  // Entries: good, second, good, second.
  IUnknown* objects[4] = {};
  for (int i = 0; i < 4; ++i) {
    RegisterComponentFile(kFixtureClsid, i % 2 == 0 ? good : copy);
    ASSERT_EQ(Create(&objects[i]), QXIR_SUCCESS) << i;
    objects[i]->Release();
  }
  ForceCanUnloadNow(kGoodComponent, S_OK);
  ForceCanUnloadNow("discovery_component_second.dll", S_FALSE);
  QXFreeUnusedLibraries();
  EXPECT_FALSE(IsLoaded(kGoodComponent)) << "both of its entries were freed";
  EXPECT_TRUE(IsLoaded("discovery_component_second.dll"));
  EXPECT_EQ(rm::LoadedModuleCount(), listedBefore + 2);

  ForceCanUnloadNow("discovery_component_second.dll", S_OK);
  QXFreeUnusedLibraries();
  EXPECT_FALSE(IsLoaded("discovery_component_second.dll"));
  EXPECT_EQ(rm::LoadedModuleCount(), listedBefore);
}

// A thread procedure needs the stdcall convention on i686, which a lambda does not have.
DWORD WINAPI FreeUnusedLibrariesThread(void*) {
  QXFreeUnusedLibraries();
  return 0;
}

// A component's "DllCanUnloadNow" runs with the list unlocked: it may free and create itself.
// compat F16
TEST_F(FreeUnusedLibraries, AComponentMayCallBackIntoTheListFromDllCanUnloadNow) {
  RegisterComponentFile(kFixtureClsid, ExecutableDirectory() + kGoodComponent);
  const std::size_t listedBefore = rm::LoadedModuleCount();
  IUnknown* object = nullptr;
  ASSERT_EQ(Create(&object), QXIR_SUCCESS);
  object->Release();
  auto callDuring = reinterpret_cast<CallDuringCanUnloadNowFunction>(
      GetProcAddress(GetModuleHandleA(kGoodComponent), kCallDuringCanUnloadNowExport));
  ASSERT_NE(callDuring, nullptr);
  static IUnknown* nested = nullptr;
  callDuring([] {
    QXFreeUnusedLibraries();
    void* out = nullptr;
    if (QXCreateInstance(kFixtureClsid, nullptr, 0, IID_IUnknown, &out) == QXIR_SUCCESS) {
      nested = static_cast<IUnknown*>(out);
    }
  });

  // Run on a thread of its own, so that a deadlock fails the test instead of hanging it.
  HANDLE thread = CreateThread(nullptr, 0, FreeUnusedLibrariesThread, nullptr, 0, nullptr);
  ASSERT_NE(thread, nullptr);
  const DWORD waited = WaitForSingleObject(thread, 20000);
  CloseHandle(thread);
  ASSERT_EQ(waited, WAIT_OBJECT_0) << "QXFreeUnusedLibraries deadlocked on its own thread";
  ASSERT_NE(nested, nullptr) << "the nested QXCreateInstance failed";
  EXPECT_EQ(rm::LoadedModuleCount(), listedBefore + 2) << "the nested instance's object lives";

  nested->Release();
  QXFreeUnusedLibraries();
  EXPECT_EQ(rm::LoadedModuleCount(), listedBefore);
  EXPECT_FALSE(IsLoaded(kGoodComponent));
}

// Hosts are asked to serialise these calls, but one that does not must not corrupt the list.
// The test keeps an instance of its own meanwhile, as multi-threaded hosts must: a module freed
// while another thread's final Release is still returning into it would crash the process.
// compat F16
TEST_F(FreeUnusedLibraries, StaysConsistentWhenCalledFromSeveralThreadsAtOnce) {
  RegisterComponentFile(kFixtureClsid, ExecutableDirectory() + kGoodComponent);
  const std::size_t listedBefore = rm::LoadedModuleCount();
  IUnknown* keeper = nullptr;
  ASSERT_EQ(Create(&keeper), QXIR_SUCCESS);
  constexpr int kThreads = 4;
  constexpr int kRounds = 100;
  std::vector<std::thread> threads;
  std::vector<int> failures(kThreads, 0);
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([t, &failures] {
      for (int round = 0; round < kRounds; ++round) {
        void* object = nullptr;
        if (QXCreateInstance(kFixtureClsid, nullptr, 0, IID_IUnknown, &object) != QXIR_SUCCESS) {
          ++failures[t];
          continue;
        }
        static_cast<IUnknown*>(object)->Release();
        QXFreeUnusedLibraries();
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (int t = 0; t < kThreads; ++t) EXPECT_EQ(failures[t], 0) << "thread " << t;

  keeper->Release();
  QXFreeUnusedLibraries();
  EXPECT_EQ(rm::LoadedModuleCount(), listedBefore);
  EXPECT_FALSE(IsLoaded(kGoodComponent)) << "a load reference was lost or taken twice";
}

}  // namespace
}  // namespace rmtest
