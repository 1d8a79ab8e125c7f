// Shortening a window's caption to the room its tab has.
#pragma once

#include <functional>
#include <string>
#include <string_view>

// The pixel width of a text in the tab strip's font.
using TextMeasure = std::function<int(std::wstring_view)>;

struct FittedText {
  std::wstring text;
  int width = 0;
  // False when not even one character and " ..." fits: the tab is not shown. (An empty caption
  // fits with width 0, so the width alone cannot tell.)
  bool fits = false;
};

// The whole caption when it is narrower than `width`; otherwise its first five characters, "..."
// and the longest tail (from the ninth character on) that fits, falling back to those five
// characters and " ...", then to four, three, two or one of them and " ...".
FittedText FitText(std::wstring_view caption, int width, const TextMeasure& measure);
