// CQXGlobalMemObj against real paging-file mappings.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "qx/utilities.h"
#include "shared/unique_handle.h"
#include "shared_memory/global_mem_obj.h"
#include "support/architecture.h"

namespace rmtest {
namespace {

constexpr unsigned long kUntouched = 0xA5A5A5A5;
constexpr int kFlagUntouched = -7;

std::string UniqueName() {
  static int serial = 0;
  return "util_test_shm_" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(++serial);
}

bool MappingExists(const std::string& name) {
  HANDLE mapping = OpenFileMappingA(FILE_MAP_READ, FALSE, name.c_str());
  if (mapping != nullptr) CloseHandle(mapping);
  return mapping != nullptr;
}

bool IsMapped(const void* address) {
  MEMORY_BASIC_INFORMATION info{};
  return VirtualQuery(address, &info, sizeof info) == sizeof info && info.Type == MEM_MAPPED;
}

long GuardedMappings() {
  return rm::LiveHandleCount(rm::HandleKind::FileMapping) +
         rm::LiveHandleCount(rm::HandleKind::MappedView);
}

TEST(GlobalMemCreate, SecondObjectOnANameSharesTheFirstsMemory) {
  const std::string name = UniqueName();
  CQXGlobalMemObj first, second;
  int existed = kFlagUntouched;
  unsigned long error = kUntouched;
  auto* firstView = static_cast<char*>(first.Create(4096, name.c_str(), &existed, &error));
  ASSERT_NE(firstView, nullptr);
  EXPECT_EQ(existed, 0);
  std::strcpy(firstView, "written through the first view");

  auto* secondView = static_cast<char*>(second.Create(4096, name.c_str(), &existed, &error));
  ASSERT_NE(secondView, nullptr);
  EXPECT_EQ(existed, 1);
  EXPECT_NE(secondView, firstView) << "each object maps its own view";
  EXPECT_STREQ(secondView, "written through the first view");
  secondView[100] = 'z';
  EXPECT_EQ(firstView[100], 'z');

  EXPECT_EQ(first.Destroy(&error), 1);
  EXPECT_FALSE(IsMapped(firstView));
  EXPECT_TRUE(MappingExists(name)) << "the second object still holds the block";
  EXPECT_EQ(second.Destroy(&error), 1);
  EXPECT_FALSE(MappingExists(name));
  EXPECT_EQ(error, kUntouched) << "the error is written on failure only";
  EXPECT_EQ(GuardedMappings(), 0);
}

TEST(GlobalMemCreate, FailuresReportTheirCodeAndKeepNothing) {
  CQXGlobalMemObj object;
  const std::string name = UniqueName();
  int existed = kFlagUntouched;
  unsigned long error = kUntouched;
  EXPECT_EQ(object.Create(0, name.c_str(), &existed, &error), nullptr);
  EXPECT_EQ(error, DWORD{ERROR_INVALID_PARAMETER});
  EXPECT_EQ(existed, kFlagUntouched);
  EXPECT_FALSE(MappingExists(name));

  HANDLE event = CreateEventA(nullptr, TRUE, FALSE, name.c_str());  // the name is taken
  EXPECT_EQ(object.Create(4096, name.c_str(), &existed, &error), nullptr);
  CloseHandle(event);
  EXPECT_EQ(error, DWORD{ERROR_INVALID_HANDLE});
  EXPECT_EQ(existed, kFlagUntouched);

  // 3 GB can be created but never mapped into a 32-bit process. A 64-bit process maps every
  // size Create can be asked for, so there the view cannot be made to fail.
  if (!rmtest::kIs64Bit) {
    error = kUntouched;
    EXPECT_EQ(object.Create(0xC0000000u, name.c_str(), &existed, &error), nullptr);
    EXPECT_NE(error, kUntouched);
    EXPECT_EQ(existed, 0) << "the flag is written before the view is tried";
    EXPECT_FALSE(MappingExists(name)) << "the mapping just created was not closed";
  }
  EXPECT_EQ(GuardedMappings(), 0);
  EXPECT_EQ(object.Destroy(nullptr), 0) << "nothing was recorded";
}

// compat C24 F12
TEST(GlobalMemDestroy, WithoutABlockFailsAndTouchesNothing) {
  CQXGlobalMemObj object;
  unsigned long error = kUntouched;
  EXPECT_EQ(object.Destroy(&error), 0) << "before any Create";
  EXPECT_EQ(error, DWORD{ERROR_INVALID_ADDRESS});
  void* old = object.Create(4096, nullptr, nullptr, nullptr);
  ASSERT_NE(old, nullptr);
  ASSERT_EQ(object.Destroy(nullptr), 1);

  // The freed range typically goes to the next mapping of that size; a second Destroy must
  // not unmap it.
  CQXGlobalMemObj current;
  void* view = current.Create(4096, nullptr, nullptr, nullptr);
  ASSERT_NE(view, nullptr);
  error = kUntouched;
  EXPECT_EQ(object.Destroy(&error), 0);
  EXPECT_EQ(error, DWORD{ERROR_INVALID_ADDRESS});
  EXPECT_TRUE(IsMapped(view)) << "another object's view was unmapped (same address: "
                              << (view == old) << ")";
  EXPECT_EQ(current.Destroy(nullptr), 1);
}

TEST(GlobalMemAssignment, DestroyOnEitherObjectReleasesTheOneMapping) {
  for (bool destroySource : {true, false}) {
    const std::string name = UniqueName();
    const long records = rm::LiveGlobalMemRecords();
    {
      CQXGlobalMemObj source, target;
      void* view = source.Create(4096, name.c_str(), nullptr, nullptr);
      ASSERT_NE(view, nullptr);
      EXPECT_EQ(&(target = source), &target);
      EXPECT_EQ(rm::LiveGlobalMemRecords(), records + 1) << "the target's own record is freed";

      unsigned long error = kUntouched;
      EXPECT_EQ((destroySource ? source : target).Destroy(&error), 1);
      EXPECT_FALSE(IsMapped(view));
      EXPECT_FALSE(MappingExists(name));
      EXPECT_EQ((destroySource ? target : source).Destroy(&error), 0) << "the record is shared";
      EXPECT_EQ(error, DWORD{ERROR_INVALID_ADDRESS});
    }
    EXPECT_EQ(rm::LiveGlobalMemRecords(), records) << "the shared record is freed at the end";
  }

  const long records = rm::LiveGlobalMemRecords();
  {
    CQXGlobalMemObj a, b, c;
    a = a;
    b = a;
    c = b;
    b = c;
    EXPECT_EQ(rm::LiveGlobalMemRecords(), records + 1);
  }
  EXPECT_EQ(rm::LiveGlobalMemRecords(), records);
}

// compat C23
TEST(GlobalMemLifetime, BlocksOutOfTheObjectsReachStayMapped) {
  // A caller may still be using the address: neither a second Create nor the destructor
  // releases a block.
  const std::string earlierName = UniqueName(), laterName = UniqueName();
  char* earlier = nullptr;
  char* later = nullptr;
  {
    CQXGlobalMemObj object;
    earlier = static_cast<char*>(object.Create(4096, earlierName.c_str(), nullptr, nullptr));
    later = static_cast<char*>(object.Create(4096, laterName.c_str(), nullptr, nullptr));
    ASSERT_NE(later, nullptr);
    EXPECT_TRUE(IsMapped(earlier));
  }
  EXPECT_TRUE(IsMapped(earlier) && IsMapped(later));
  EXPECT_TRUE(MappingExists(earlierName) && MappingExists(laterName));
  earlier[0] = later[0] = 'x';
  UnmapViewOfFile(earlier);  // their handles stay open until the process ends
  UnmapViewOfFile(later);
}

}  // namespace
}  // namespace rmtest
