// How long the chains are that show a walk needs no stack frame per cell.
#pragma once

#include <cstdint>

namespace test_support {

// Natively the full length, which a walk with a frame per cell could not survive. The sanitizers
// make every step many times slower and every frame larger, so there a tenth of it: the native
// and Windows suites prove the depth, the sanitizer suite the memory.
constexpr std::int32_t DeepChain(std::int32_t length) {
#if defined(__SANITIZE_ADDRESS__)
  return length / 10;
#else
  return length;
#endif
}

}  // namespace test_support
