// Parts, content types and relationships of an .xlsx package.
#include "spreadsheet/xlsx/reader_package.h"

#include <algorithm>
#include <cctype>

#include "spreadsheet/xlsx/xml_stream_parser.h"

namespace spreadsheet {
namespace {

std::string Lower(std::string_view text) {
  std::string out(text);
  std::transform(out.begin(), out.end(), out.begin(),
                 [](char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); });
  return out;
}

// A part name as the package's text writes it, made the zip entry's name: no leading "/", and
// "/" for a "\", which a part name cannot hold and some writers put for "/" (see CZipReader).
std::string WithoutLeadingSlash(std::string_view name) {
  std::string out(name);
  std::replace(out.begin(), out.end(), '\\', '/');
  out.erase(0, out.find_first_not_of('/'));
  return out;
}

class CContentTypesHandler final : public IXmlContentHandler {
 public:
  CContentTypesHandler(std::map<std::string, std::string>& defaults,
                       std::map<std::string, std::string>& overrides)
      : defaults_(defaults), overrides_(overrides) {}

  void OnStart(CXmlStreamParser&, const XmlName& name, const XmlAttributes& attributes) override {
    if (name.Is(XmlNamespace::ContentTypes, "Default")) {
      defaults_[Lower(attributes.Value("Extension"))] = attributes.Value("ContentType");
    } else if (name.Is(XmlNamespace::ContentTypes, "Override")) {
      overrides_[Lower(WithoutLeadingSlash(attributes.Value("PartName")))] =
          attributes.Value("ContentType");
    }
  }
  void OnEnd(CXmlStreamParser&, const XmlName&, std::string_view) override {}

 private:
  std::map<std::string, std::string>& defaults_;
  std::map<std::string, std::string>& overrides_;
};

class CRelationshipsHandler final : public IXmlContentHandler {
 public:
  CRelationshipsHandler(std::string_view source, std::vector<Relationship>& out)
      : source_(source), out_(out) {}

  void OnStart(CXmlStreamParser&, const XmlName& name, const XmlAttributes& attributes) override {
    if (!name.Is(XmlNamespace::PackageRelationships, "Relationship")) return;
    Relationship relationship;
    relationship.id = attributes.Value("Id");
    const std::string_view type = attributes.Value("Type");
    relationship.type = std::string(type.substr(type.find_last_of('/') + 1));
    relationship.external = attributes.Value("TargetMode") == "External";
    const std::string_view target = attributes.Value("Target");
    relationship.target = relationship.external ? std::string(target)
                                                : CPackageReader::ResolveTarget(source_, target);
    out_.push_back(std::move(relationship));
  }
  void OnEnd(CXmlStreamParser&, const XmlName&, std::string_view) override {}

 private:
  std::string source_;
  std::vector<Relationship>& out_;
};

}  // namespace

std::string CPackageReader::ReadContentTypes() {
  CContentTypesHandler handler(defaults_, overrides_);
  return Parse("[Content_Types].xml", handler);
}

std::string CPackageReader::ContentTypeOf(std::string_view part) const {
  const std::string key = Lower(WithoutLeadingSlash(part));
  if (const auto found = overrides_.find(key); found != overrides_.end()) return found->second;
  const std::size_t dot = key.find_last_of('.');
  if (dot != std::string::npos) {
    if (const auto found = defaults_.find(key.substr(dot + 1)); found != defaults_.end()) {
      return found->second;
    }
  }
  return {};
}

std::string CPackageReader::Parse(std::string_view part, IXmlContentHandler& handler) {
  CXmlStreamParser parser(handler, limits_.maxXmlDepth, limits_.maxTextBytes);
  bool parsed = true;
  std::string zipError = zip_->Read(part, [&](std::string_view piece) {
    parsed = parser.Parse(piece, false);
    return parsed;
  });
  if (!zipError.empty()) return std::string(part) + ": " + zipError;
  if (parsed) parsed = parser.Parse({}, true);
  if (!parsed) return std::string(part) + ": " + parser.Error();
  return {};
}

std::string CPackageReader::ReadRelationships(std::string_view source,
                                              std::vector<Relationship>& out) {
  const std::size_t slash = source.find_last_of('/');
  const std::string folder =
      slash == std::string_view::npos ? std::string() : std::string(source.substr(0, slash + 1));
  const std::string file =
      std::string(slash == std::string_view::npos ? source : source.substr(slash + 1));
  const std::string part = folder + "_rels/" + file + ".rels";
  if (!zip_->Has(part)) return {};
  CRelationshipsHandler handler(source, out);
  return Parse(part, handler);
}

std::string CPackageReader::ResolveTarget(std::string_view source, std::string_view target) {
  std::string path;
  if (!target.empty() && (target.front() == '/' || target.front() == '\\')) {
    path = WithoutLeadingSlash(target);
  } else {
    const std::size_t slash = source.find_last_of('/');
    path = std::string(slash == std::string_view::npos ? std::string_view() : source.substr(0, slash + 1));
    path += WithoutLeadingSlash(target);
  }
  // Resolves "." and ".." segments.
  std::vector<std::string> segments;
  std::size_t start = 0;
  while (start <= path.size()) {
    const std::size_t end = std::min(path.find('/', start), path.size());
    const std::string segment = path.substr(start, end - start);
    if (segment == "..") {
      if (!segments.empty()) segments.pop_back();
    } else if (!segment.empty() && segment != ".") {
      segments.push_back(segment);
    }
    start = end + 1;
  }
  std::string out;
  for (const std::string& segment : segments) {
    if (!out.empty()) out += '/';
    out += segment;
  }
  return out;
}

const Relationship* FindRelationship(const std::vector<Relationship>& relationships,
                                     std::string_view type) {
  for (const Relationship& relationship : relationships) {
    if (relationship.type == type) return &relationship;
  }
  return nullptr;
}

const Relationship* FindRelationshipById(const std::vector<Relationship>& relationships,
                                         std::string_view id) {
  for (const Relationship& relationship : relationships) {
    if (relationship.id == id) return &relationship;
  }
  return nullptr;
}

}  // namespace spreadsheet
