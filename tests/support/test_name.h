// TestNameOf: text made into a name GoogleTest accepts for a parameterised case (letters, digits
// and underscores only), so that a case is named after what it tests.
#pragma once

#include <string>
#include <string_view>

#include "platform/char_class.h"

namespace test_support {

// "basic.xlsx" becomes "basic_xlsx".
inline std::string TestNameOf(std::string_view text) {
  std::string name;
  for (const char c : text) name += IsAsciiLetter(c) || IsAsciiDigit(c) ? c : '_';
  return name;
}

}  // namespace test_support
