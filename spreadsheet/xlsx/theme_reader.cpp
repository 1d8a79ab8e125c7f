// The colour scheme of a theme part.
#include "spreadsheet/xlsx/theme_reader.h"

#include <charconv>

#include "spreadsheet/xlsx/xml_stream_parser.h"

namespace spreadsheet {
namespace {

std::optional<ThemeSlot> SlotOf(std::string_view local) {
  struct Named {
    std::string_view name;
    ThemeSlot slot;
  };
  static constexpr Named kSlots[] = {
      {"dk1", ThemeSlot::Dark1},       {"lt1", ThemeSlot::Light1},
      {"dk2", ThemeSlot::Dark2},       {"lt2", ThemeSlot::Light2},
      {"accent1", ThemeSlot::Accent1}, {"accent2", ThemeSlot::Accent2},
      {"accent3", ThemeSlot::Accent3}, {"accent4", ThemeSlot::Accent4},
      {"accent5", ThemeSlot::Accent5}, {"accent6", ThemeSlot::Accent6},
      {"hlink", ThemeSlot::Hyperlink}, {"folHlink", ThemeSlot::FollowedHyperlink},
  };
  for (const Named& named : kSlots) {
    if (named.name == local) return named.slot;
  }
  return std::nullopt;
}

std::optional<std::uint32_t> ParseHexRgb(std::string_view text) {
  if (text.size() != 6) return std::nullopt;
  std::uint32_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

}  // namespace

void CThemeReader::OnStart(CXmlStreamParser& parser, const XmlName& name,
                           const XmlAttributes& attributes) {
  if (name.ns != XmlNamespace::Drawing) {
    parser.SkipElement();
    return;
  }
  if (!inScheme_) {
    if (name.local == "clrScheme" && !schemeDone_) {
      inScheme_ = true;
    } else if (name.local == "fontScheme" || name.local == "fmtScheme" ||
               name.local == "objectDefaults" || name.local == "extraClrSchemeLst" ||
               name.local == "extLst" || name.local == "clrScheme") {
      parser.SkipElement();  // Nothing of these is read.
    }
    return;
  }
  if (!slot_) {
    slot_ = SlotOf(name.local);
    if (!slot_) parser.SkipElement();
    return;
  }
  std::optional<std::uint32_t> rgb;
  if (name.local == "srgbClr") {
    rgb = ParseHexRgb(attributes.Value("val"));
  } else if (name.local == "sysClr") {
    rgb = ParseHexRgb(attributes.Value("lastClr"));
  }
  if (rgb) colors_.Set(*slot_, *rgb);
  parser.SkipElement();
}

void CThemeReader::OnEnd(CXmlStreamParser&, const XmlName& name, std::string_view) {
  if (!inScheme_ || name.ns != XmlNamespace::Drawing) return;
  if (name.local == "clrScheme") {
    inScheme_ = false;
    schemeDone_ = true;
  } else if (slot_ && SlotOf(name.local) == slot_) {
    slot_.reset();
  }
}

}  // namespace spreadsheet
