// XmlElement: a whole XML document as a tree, for tests that check what a writer produced or
// what another program made of it. Test inputs are small; production code streams instead.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace test_support {

struct XmlElement {
  std::string name;  // With its namespace prefix as written ("table:table-cell").
  std::vector<std::pair<std::string, std::string>> attributes;
  std::string text;  // Character data directly inside the element, UTF-8.
  // Elements, and the runs of character data between them as elements named "#text", so that
  // mixed content keeps its order.
  std::vector<std::unique_ptr<XmlElement>> children;

  std::optional<std::string> Attribute(std::string_view attribute) const;
  std::string AttributeOr(std::string_view attribute, std::string fallback = {}) const;
  const XmlElement* Child(std::string_view child) const;
  std::vector<const XmlElement*> Children(std::string_view child) const;
  // Every element of that name below this one, in document order.
  std::vector<const XmlElement*> Descendants(std::string_view descendant) const;
  // The character data of this element and all below it, in document order.
  std::string AllText() const;
};

// The root element, or nothing when the text is not well-formed XML.
std::unique_ptr<XmlElement> ParseXml(std::string_view document);

}  // namespace test_support
