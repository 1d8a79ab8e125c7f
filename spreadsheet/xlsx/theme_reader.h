// CThemeReader: the colour scheme of a theme part (xl/theme/theme1.xml) into CThemeColors.
// Slots the scheme does not give, or gives in a form other than srgbClr or sysClr, keep the
// Office theme's colour.
#pragma once

#include <optional>
#include <string_view>

#include "spreadsheet/xlsx/theme_colors.h"
#include "spreadsheet/xlsx/xml_content_handler.h"

namespace spreadsheet {

class CThemeReader final : public IXmlContentHandler {
 public:
  explicit CThemeReader(CThemeColors& colors) : colors_(colors) {}

  void OnStart(CXmlStreamParser& parser, const XmlName& name,
               const XmlAttributes& attributes) override;
  void OnEnd(CXmlStreamParser& parser, const XmlName& name, std::string_view text) override;

 private:
  CThemeColors& colors_;
  bool inScheme_ = false;
  bool schemeDone_ = false;
  std::optional<ThemeSlot> slot_;
};

}  // namespace spreadsheet
