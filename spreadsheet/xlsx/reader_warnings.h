// CReadWarnings: what the reader read around instead of refusing the file (a cell whose value
// does not parse, a merged range off the sheet), as texts for the reader's caller. Only the
// first few texts are kept and the rest counted, so a file with a million bad cells costs
// neither a million lines nor the time to write them.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace spreadsheet {

class CReadWarnings {
 public:
  explicit CReadWarnings(std::uint32_t kept) : kept_(kept) {}

  // Records one warning; `makeText` is called only when its text is kept.
  template <typename MakeText>
  void Add(MakeText&& makeText) {
    if (texts_.size() < kept_) {
      texts_.push_back(std::forward<MakeText>(makeText)());
    } else {
      ++notKept_;
    }
  }

  std::uint64_t Count() const { return texts_.size() + notKept_; }
  // The kept texts, then "N more warnings not shown" when some were only counted.
  std::vector<std::wstring> Texts() const;

 private:
  std::uint32_t kept_;
  std::vector<std::string> texts_;
  std::uint64_t notKept_ = 0;
};

}  // namespace spreadsheet
