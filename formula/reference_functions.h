// ReferenceFunctions: the names of the functions whose result is a reference (OFFSET, INDIRECT),
// whose calls the parser has evaluated to find their targets.
#pragma once

#include <string_view>

// One list for the process, filled when the add-in connects and used on Excel's thread only.
// Adding a name already present does nothing; names compare case-insensitively. While the list
// is empty no call is treated as reference-returning.
class ReferenceFunctions {
 public:
  static void Add(std::wstring_view name);
  static bool Contains(std::wstring_view name);
  static bool IsEmpty();
  static void Clear();
};
