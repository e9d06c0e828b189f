#pragma once
// Facts of the architecture a test program was built for, written out rather than computed from
// the types they describe, so that a layout change is caught.
#include <cstdint>

namespace rmtest {

constexpr bool kIs64Bit = sizeof(void*) == 8;

// The size of a ProductInfo record as hosts of this width expect it.
constexpr std::uint32_t kProductInfoSize = kIs64Bit ? 88u : 72u;

}  // namespace rmtest
