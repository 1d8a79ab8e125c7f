// CXmlWriter: appends UTF-8 XML text to a buffer, element by element, with the escaping the
// parts of a .xlsx file need. No tree is built: what is written is final.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace spreadsheet {

// Wide text is read as code points (UTF-16 where wchar_t is 16 bits). Characters XML 1.0 cannot
// hold, unpaired surrogates and values past U+10FFFF never reach the buffer as they are: cell
// text writes them as _xHHHH_ (as Excel does, see EncodedText), every other text replaces them
// with U+FFFD. The writer does not check nesting; callers close what they open, in order.
class CXmlWriter {
 public:
  explicit CXmlWriter(std::string& out) : out_(out) {}
  CXmlWriter(const CXmlWriter&) = delete;
  CXmlWriter& operator=(const CXmlWriter&) = delete;

  std::string& Buffer() { return out_; }

  void Declaration();
  // `<tag`; attributes follow, then EndStart (`>`) or EndEmpty (`/>`).
  void Start(std::string_view tag);
  void EndStart() { out_ += '>'; }
  void EndEmpty() { out_ += "/>"; }
  void End(std::string_view tag);  // `</tag>`

  void Attribute(std::string_view name, std::wstring_view value);
  void AttributeAscii(std::string_view name, std::string_view value);
  void Attribute(std::string_view name, std::int64_t value);
  void AttributeNumber(std::string_view name, double value);

  // Element text with markup characters escaped.
  void Text(std::wstring_view text);
  void TextAscii(std::string_view text);
  // Cell text in the .xlsx form of a string: characters XML cannot hold become _xHHHH_, and a
  // literal "_xHHHH_" gets its underscore written as _x005F_ so that readers do not decode it.
  void EncodedText(std::wstring_view text);
  void Raw(std::string_view text) { out_ += text; }
  void Integer(std::int64_t value);
  // The shortest decimal text that reads back to the same double.
  void Number(double value);

  // Whether text needs xml:space="preserve" to keep its spaces: leading or trailing white space.
  static bool NeedsSpacePreserve(std::wstring_view text);

 private:
  enum class Escape : std::uint8_t { Text, Attribute, Encoded };
  void AppendEscaped(std::wstring_view text, Escape escape);
  void AppendAsciiEscaped(std::string_view text, bool attribute);
  void AppendUtf8(char32_t code);
  void AppendHexEscape(char32_t code);

  std::string& out_;  // Not owned.
};

}  // namespace spreadsheet
