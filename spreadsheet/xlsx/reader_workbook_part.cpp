// The workbook part.
#include "spreadsheet/xlsx/reader_workbook_part.h"

#include <algorithm>
#include <cmath>

#include "spreadsheet/xlsx/reader_text.h"
#include "spreadsheet/xlsx/xml_stream_parser.h"

namespace spreadsheet {
namespace {

// Excel's own bounds on Maximum Iterations; a file asking for more gets Excel's most.
constexpr std::uint32_t kMaxIterations = 32767;

CalculationSettings ReadCalculation(const XmlAttributes& attributes) {
  CalculationSettings settings;
  settings.iterate = ParseXmlBoolean(attributes.Value("iterate")).value_or(false);
  if (const auto count = ParseXmlUnsigned(attributes.Value("iterateCount"))) {
    settings.maxIterations = static_cast<std::int32_t>(std::clamp(*count, 1u, kMaxIterations));
  }
  if (const auto delta = ParseXmlNumber(attributes.Value("iterateDelta"));
      delta && std::isfinite(*delta) && *delta >= 0.0) {
    settings.maxChange = *delta;
  }
  return settings;
}

}  // namespace

void CWorkbookPartReader::OnStart(CXmlStreamParser& parser, const XmlName& name,
                                  const XmlAttributes& attributes) {
  if (name.ns != XmlNamespace::Main) {
    parser.SkipElement();
    return;
  }
  const std::string_view local = name.local;
  if (local == "workbook" || local == "sheets" || local == "definedNames" ||
      local == "bookViews" || local == "externalReferences") {
    return;
  }
  if (local == "workbookPr") {
    out_.date1904 = ParseXmlBoolean(attributes.Value("date1904")).value_or(false);
  } else if (local == "calcPr") {
    out_.calculation = ReadCalculation(attributes);
  } else if (local == "workbookView" && !viewSeen_) {
    viewSeen_ = true;
    out_.activeTab = ParseXmlUnsigned(attributes.Value("activeTab")).value_or(0);
  } else if (local == "sheet") {
    if (out_.sheets.size() >= limits_.maxSheets) {
      parser.Fail("more sheets than the " + std::to_string(limits_.maxSheets) + " allowed");
      return;
    }
    WorkbookPart::Sheet sheet;
    sheet.name = WideFromUtf8(attributes.Value("name"));
    const std::string_view state = attributes.Value("state");
    if (state == "hidden") sheet.visibility = Visibility::Hidden;
    if (state == "veryHidden") sheet.visibility = Visibility::VeryHidden;
    sheet.relationshipId = attributes.Find(XmlNamespace::Relationships, "id").value_or("");
    out_.sheets.push_back(std::move(sheet));
  } else if (local == "definedName") {
    if (out_.names.size() >= limits_.maxDefinedNames) {
      parser.Fail("more defined names than the " + std::to_string(limits_.maxDefinedNames) +
                  " allowed");
      return;
    }
    WorkbookPart::Name defined;
    defined.name = WideFromUtf8(attributes.Value("name"));
    if (const auto sheet = attributes.Find("localSheetId")) {
      defined.localSheetId = ParseXmlUnsigned(*sheet).value_or(UINT32_MAX);
    }
    defined.hidden = ParseXmlBoolean(attributes.Value("hidden")).value_or(false);
    out_.names.push_back(std::move(defined));
    parser.CollectText();
    return;
  } else if (local == "externalReference") {
    out_.externalReferenceIds.emplace_back(
        attributes.Find(XmlNamespace::Relationships, "id").value_or(""));
  }
  parser.SkipElement();
}

void CWorkbookPartReader::OnEnd(CXmlStreamParser&, const XmlName& name, std::string_view text) {
  if (name.Is(XmlNamespace::Main, "definedName") && !out_.names.empty()) {
    out_.names.back().formula = WideFromUtf8(text);
  }
}

}  // namespace spreadsheet
