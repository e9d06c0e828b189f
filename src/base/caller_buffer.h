#pragma once
// The caller-buffer rule of every function that hands out text or data: a null buffer is a
// size probe, a buffer that is too small is refused with 234 (ERROR_MORE_DATA) and left
// untouched, and the size needed is written on those two paths only. What each family reports
// as the size (with or without the terminator, plus one or not) is its own figure.

#include <cstring>

#include "shared/win_code.h"

namespace rm {

struct CallerBuffer {
  void* data;                 // null: a size probe
  unsigned long size;         // bytes
  unsigned long* sizeNeeded;  // may be null
};

// What a call answers when it must report a size and the caller gave no place for it: refuse
// (87), or say too small without the size (234). A probe always needs the place.
enum class MissingSize { Refused, Unreported };

// The answer for a probe or a buffer that is too small, writing `reportedSize` where it can.
inline WinCode ReportSizeNeeded(const CallerBuffer& to, unsigned long reportedSize,
                                MissingSize missing) noexcept {
  if (to.sizeNeeded == nullptr) {
    return to.data == nullptr || missing == MissingSize::Refused ? kInvalidParameter : kMoreData;
  }
  *to.sizeNeeded = reportedSize;
  return to.data == nullptr ? kSuccess : kMoreData;
}

// Copies `byteCount` bytes into the caller's buffer when they fit; otherwise answers as above.
inline WinCode DeliverToCallerBuffer(const void* bytes, unsigned long byteCount,
                                     unsigned long reportedSize, const CallerBuffer& to,
                                     MissingSize missing) noexcept {
  if (to.data != nullptr && to.size >= byteCount) {
    std::memcpy(to.data, bytes, byteCount);
    return kSuccess;
  }
  return ReportSizeNeeded(to, reportedSize, missing);
}

}  // namespace rm
