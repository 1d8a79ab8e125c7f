// Building the test XML tree with expat.
#include "tests/support/xml_tree.h"

#include <expat.h>

#include <climits>

namespace test_support {
namespace {

struct Builder {
  std::unique_ptr<XmlElement> root;
  std::vector<XmlElement*> open;  // The path from the root to the element being read.
};

void XMLCALL OnStart(void* data, const XML_Char* name, const XML_Char** attributes) {
  auto& builder = *static_cast<Builder*>(data);
  auto element = std::make_unique<XmlElement>();
  element->name = name;
  for (std::size_t i = 0; attributes[i] != nullptr; i += 2) {
    element->attributes.emplace_back(attributes[i], attributes[i + 1]);
  }
  XmlElement* raw = element.get();
  if (builder.open.empty()) {
    builder.root = std::move(element);
  } else {
    builder.open.back()->children.push_back(std::move(element));
  }
  builder.open.push_back(raw);
}

void XMLCALL OnEnd(void* data, const XML_Char*) {
  static_cast<Builder*>(data)->open.pop_back();
}

constexpr std::string_view kTextNode = "#text";

void XMLCALL OnText(void* data, const XML_Char* text, int length) {
  auto& builder = *static_cast<Builder*>(data);
  if (builder.open.empty()) return;
  XmlElement& element = *builder.open.back();
  const auto size = static_cast<std::size_t>(length);
  element.text.append(text, size);
  if (element.children.empty() || element.children.back()->name != kTextNode) {
    element.children.push_back(std::make_unique<XmlElement>());
    element.children.back()->name = kTextNode;
  }
  element.children.back()->text.append(text, size);
}

}  // namespace

std::optional<std::string> XmlElement::Attribute(std::string_view attribute) const {
  for (const auto& [key, value] : attributes) {
    if (key == attribute) return value;
  }
  return std::nullopt;
}

std::string XmlElement::AttributeOr(std::string_view attribute, std::string fallback) const {
  return Attribute(attribute).value_or(std::move(fallback));
}

const XmlElement* XmlElement::Child(std::string_view child) const {
  for (const auto& element : children) {
    if (element->name == child) return element.get();
  }
  return nullptr;
}

std::vector<const XmlElement*> XmlElement::Children(std::string_view child) const {
  std::vector<const XmlElement*> found;
  for (const auto& element : children) {
    if (element->name == child) found.push_back(element.get());
  }
  return found;
}

std::vector<const XmlElement*> XmlElement::Descendants(std::string_view descendant) const {
  std::vector<const XmlElement*> found;
  std::vector<const XmlElement*> pending{this};
  while (!pending.empty()) {
    const XmlElement* element = pending.back();
    pending.pop_back();
    if (element != this && element->name == descendant) found.push_back(element);
    for (auto it = element->children.rbegin(); it != element->children.rend(); ++it) {
      pending.push_back(it->get());
    }
  }
  return found;
}

std::string XmlElement::AllText() const {
  std::string all;
  std::vector<const XmlElement*> pending{this};
  while (!pending.empty()) {
    const XmlElement* element = pending.back();
    pending.pop_back();
    if (element->name == kTextNode) all += element->text;
    for (auto it = element->children.rbegin(); it != element->children.rend(); ++it) {
      pending.push_back(it->get());
    }
  }
  return all;
}

std::unique_ptr<XmlElement> ParseXml(std::string_view document) {
  if (document.size() > static_cast<std::size_t>(INT_MAX)) return nullptr;
  Builder builder;
  XML_Parser parser = XML_ParserCreate("UTF-8");
  if (parser == nullptr) return nullptr;
  XML_SetUserData(parser, &builder);
  XML_SetElementHandler(parser, OnStart, OnEnd);
  XML_SetCharacterDataHandler(parser, OnText);
  const bool parsed = XML_Parse(parser, document.data(), static_cast<int>(document.size()),
                                XML_TRUE) == XML_STATUS_OK;
  XML_ParserFree(parser);
  return parsed ? std::move(builder.root) : nullptr;
}

}  // namespace test_support
