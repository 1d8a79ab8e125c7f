#include "cli/json_printer.h"

#include <nlohmann/json.hpp>

#include <cstddef>
#include <vector>

#include "platform/text_encoding.h"
#include "spreadsheet/model/error_code.h"

namespace {

using nlohmann::json;

json Utf8Array(const std::vector<std::wstring>& texts) {
  json array = json::array();
  for (const std::wstring& text : texts) array.push_back(WideToUtf8(text));
  return array;
}

json Position(const CellPos& cell) {
  return json::array({cell.sheet, cell.column, cell.row});
}

json Reference(const CellReference& reference) {
  return {{"nameId", reference.nameId},       {"externalId", reference.externalId},
          {"flags", reference.flags},         {"first", Position(reference.first)},
          {"last", Position(reference.last)}, {"text", WideToUtf8(reference.text)}};
}

// Value2 as JSON: a number, text, Boolean or the error's text ("#DIV/0!"), and which it is.
void PutValue(const CVariant& value, json& object) {
  const VARIANT& raw = *value.Get();
  CVariant converted;
  switch (raw.vt) {
    case VT_EMPTY:
    case VT_NULL:
      object["value"] = nullptr;
      object["valueType"] = "empty";
      return;
    case VT_BSTR:
      object["value"] = WideToUtf8(raw.bstrVal != nullptr ? raw.bstrVal : L"");
      object["valueType"] = "text";
      return;
    case VT_BOOL:
      object["value"] = raw.boolVal != VARIANT_FALSE;
      object["valueType"] = "boolean";
      return;
    case VT_ERROR: {
      const auto code = spreadsheet::ErrorFromScode(raw.scode);
      object["value"] = code ? WideToUtf8(std::wstring(spreadsheet::ErrorText(*code))) : "#ERROR!";
      object["valueType"] = "error";
      return;
    }
    default:
      if (SUCCEEDED(value.ChangeType(VT_R8, &converted))) {
        object["value"] = converted.Get()->dblVal;
        object["valueType"] = "number";
      }
      return;
  }
}

// The item without its children, as an unclosed object ready for its "children" member.
std::string OpenItem(const TraceView& view, TreeItem item, bool repeated) {
  json object = json::object();
  const CellReference* reference = view.referenceOf(item);
  object["text"] = Utf8Array(ColumnTexts(view, item));
  object["image"] = view.tree->Image(item);
  bool error = false;
  bool dynamic = false;
  if (reference != nullptr) {
    object["ref"] = Reference(*reference);
    error = view.isError(item);
    dynamic = (reference->flags & RefDynamic) != 0;
  }
  object["error"] = error;
  object["dynamic"] = dynamic;
  object["highlighted"] = IsHighlighted(view, item);
  object["expandedAbove"] = repeated;
  if (const std::optional<CellContent> content = ReadCellContent(view, item)) {
    PutValue(content->value, object);
    object["formula"] = content->formula ? json(WideToUtf8(*content->formula)) : json(nullptr);
  }
  std::string text = object.dump();
  text.pop_back();  // the closing brace
  return text + ",\"children\":";
}

}  // namespace

// Items carry, besides the column texts, the single cell's raw value and formula. "children" is
// null for an item not opened here: behind "not ready" (--depth), or, with "expandedAbove", a
// branch shown in full earlier in the document.
//
// Written by hand around each item's own members: the serializer recurses and trees can be as
// deep as the workbook's chains.
std::string PrintTraceJson(const TraceView& view) {
  std::string out = "{\"title\":" + json(WideToUtf8(view.title)).dump() +
                    ",\"columns\":" + Utf8Array(view.columns).dump() + ",\"items\":[";
  struct Level {
    std::vector<TreeItem> items;
    size_t next = 0;
  };
  std::vector<Level> stack{{ChildItems(*view.tree, view.tree->Root()), 0}};
  while (!stack.empty()) {
    Level& level = stack.back();
    if (level.next == level.items.size()) {
      stack.pop_back();
      out += stack.empty() ? "]" : "]}";
      continue;
    }
    const TreeItem item = level.items[level.next];
    if (level.next++ > 0) out += ',';
    const bool repeated = view.isRepeated && view.isRepeated(item);
    out += OpenItem(view, item, repeated);
    if (repeated || ChildrenNotReady(view, item)) {
      out += "null}";
    } else {
      out += '[';
      stack.push_back({ChildItems(*view.tree, item), 0});
    }
  }
  return out + "}\n";
}

std::string PrintPathJson(bool found, const std::vector<CellReference>& path) {
  json steps = json::array();
  for (const CellReference& reference : path) steps.push_back(Reference(reference));
  return json{{"found", found}, {"path", steps}}.dump() + "\n";
}

std::string PrintAddressJson(const std::string& address) {
  return json{{"address", address}}.dump() + "\n";
}
