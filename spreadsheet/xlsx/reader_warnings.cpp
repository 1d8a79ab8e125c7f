// The texts of the warnings a reading collected.
#include "spreadsheet/xlsx/reader_warnings.h"

#include "spreadsheet/xlsx/reader_text.h"

namespace spreadsheet {

std::vector<std::wstring> CReadWarnings::Texts() const {
  std::vector<std::wstring> out;
  out.reserve(texts_.size() + 1);
  for (const std::string& text : texts_) out.push_back(WideFromUtf8(text));
  if (notKept_ > 0) {
    out.push_back(std::to_wstring(notKept_) +
                  (notKept_ == 1 ? L" more warning not shown" : L" more warnings not shown"));
  }
  return out;
}

}  // namespace spreadsheet
