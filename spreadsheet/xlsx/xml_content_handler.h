// IXmlContentHandler: what a part reader receives from CXmlStreamParser, and the element names
// and attributes it receives them with (views into expat's buffers, valid during the call).
#pragma once

#include <cstdint>
#include <cstring>
#include <optional>
#include <string_view>

namespace spreadsheet {

class CXmlStreamParser;

// The namespaces the reader tells apart. Transitional (ECMA) and Strict (ISO) spellings of the
// same vocabulary map to one value.
enum class XmlNamespace : std::uint8_t {
  None,                  // An unqualified name.
  Main,                  // SpreadsheetML.
  Relationships,         // r:id and friends on SpreadsheetML elements.
  PackageRelationships,  // .rels parts.
  ContentTypes,          // [Content_Types].xml.
  Drawing,               // DrawingML (the theme part).
  MarkupCompatibility,   // mc:AlternateContent; handled by the parser itself.
  PreReleaseMain,        // SpreadsheetML of Excel 2007's pre-releases; the parser refuses it.
  Other,
};

XmlNamespace ClassifyNamespace(std::string_view uri);

// expat joins a namespace URI and a local name with this character.
constexpr char kXmlNamespaceSeparator = '\x01';

struct XmlName {
  XmlNamespace ns = XmlNamespace::None;
  std::string_view local;

  bool Is(XmlNamespace space, std::string_view name) const { return ns == space && local == name; }
  static XmlName FromExpat(const char* name) {
    const char* separator = std::strchr(name, kXmlNamespaceSeparator);
    if (separator == nullptr) return {XmlNamespace::None, name};
    return {ClassifyNamespace({name, static_cast<std::size_t>(separator - name)}), separator + 1};
  }
};

// The attributes of one element, as expat's name/value array.
class XmlAttributes {
 public:
  explicit XmlAttributes(const char** pairs) : pairs_(pairs) {}

  // An unqualified attribute ("r", "t", "s"), as SpreadsheetML writes nearly all of them.
  std::optional<std::string_view> Find(std::string_view local) const {
    for (const char** pair = pairs_; *pair != nullptr; pair += 2) {
      if (local == pair[0]) return std::string_view(pair[1]);
    }
    return std::nullopt;
  }
  std::optional<std::string_view> Find(XmlNamespace ns, std::string_view local) const {
    for (const char** pair = pairs_; *pair != nullptr; pair += 2) {
      if (XmlName::FromExpat(pair[0]).Is(ns, local)) return std::string_view(pair[1]);
    }
    return std::nullopt;
  }
  std::string_view Value(std::string_view local) const { return Find(local).value_or(""); }
  // Raw access for the hot loop of the sheet reader: names as expat gives them.
  const char** Pairs() const { return pairs_; }

 private:
  const char** pairs_;
};

// A streaming consumer of one part. Callbacks may call the parser's Fail, SkipElement and
// CollectText; they may throw (the parser carries the exception past expat and rethrows it).
class IXmlContentHandler {
 public:
  virtual void OnStart(CXmlStreamParser& parser, const XmlName& name,
                       const XmlAttributes& attributes) = 0;
  // `text` is the character data inside the element when OnStart asked for it, else empty.
  virtual void OnEnd(CXmlStreamParser& parser, const XmlName& name, std::string_view text) = 0;

 protected:
  ~IXmlContentHandler() = default;
};

}  // namespace spreadsheet
