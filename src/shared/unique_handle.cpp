#include "shared/unique_handle.h"

namespace rm {
namespace {
volatile LONG g_liveHandles[static_cast<int>(HandleKind::Count)];
}

long LiveHandleCount(HandleKind kind) noexcept {
  return InterlockedCompareExchange(&g_liveHandles[static_cast<int>(kind)], 0, 0);
}

long LiveHandleCountTotal() noexcept {
  long total = 0;
  for (int kind = 0; kind < static_cast<int>(HandleKind::Count); ++kind) {
    total += LiveHandleCount(static_cast<HandleKind>(kind));
  }
  return total;
}

namespace detail {
void CountHandleOpened(HandleKind kind) noexcept {
  InterlockedIncrement(&g_liveHandles[static_cast<int>(kind)]);
}
void CountHandleClosed(HandleKind kind) noexcept {
  InterlockedDecrement(&g_liveHandles[static_cast<int>(kind)]);
}
}  // namespace detail

}  // namespace rm
