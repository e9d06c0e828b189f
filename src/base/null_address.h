#pragma once
// Null checks on what a caller handed over by reference.

namespace rm {

// True when `address` is null. The compiler may assume that a reference is never null and
// drop a plain comparison of its address; it cannot see through the volatile copy.
inline bool IsNullAddress(const void* address) noexcept {
  const void* volatile seen = address;
  return seen == nullptr;
}

}  // namespace rm
