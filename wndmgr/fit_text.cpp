// Caption shortening: a kept prefix, an ellipsis and as much of the end as fits.
#include "wndmgr/fit_text.h"

#include <algorithm>

namespace {

constexpr std::size_t kKeptPrefix = 5;
// The tail never starts before this position, so a few characters after the prefix always go.
constexpr std::size_t kFirstTailPosition = 8;

}  // namespace

FittedText FitText(std::wstring_view caption, int width, const TextMeasure& measure) {
  if (const int whole = measure(caption); whole < width)
    return {std::wstring(caption), whole, true};

  const std::wstring prefix(caption.substr(0, std::min(kKeptPrefix, caption.size())));
  std::wstring fallback = prefix + L" ...";
  const int fallbackWidth = measure(fallback);
  if (fallbackWidth >= width) {
    // Shorter and shorter prefixes; a prefix as long as the caption was tried above.
    for (std::size_t length = std::min<std::size_t>(kKeptPrefix - 1, prefix.size()); length > 0;
         --length) {
      std::wstring shorter = prefix.substr(0, length) + L" ...";
      if (const int shorterWidth = measure(shorter); shorterWidth < width) {
        return {std::move(shorter), shorterWidth, true};
      }
    }
    return {};
  }
  // "Up to the caption's length - 1": the last start keeps one character of the end.
  for (std::size_t tail = kFirstTailPosition; tail < caption.size(); ++tail) {
    std::wstring candidate = prefix + L"..." + std::wstring(caption.substr(tail));
    if (const int candidateWidth = measure(candidate); candidateWidth < width) {
      return {std::move(candidate), candidateWidth, true};
    }
  }
  return {std::move(fallback), fallbackWidth, true};
}
