#include "cli/json_printer.h"

#include <nlohmann/json.hpp>

#include <cstddef>
#include <vector>

#include "platform/text_encoding.h"

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

// The item without its children, as an unclosed object ready for its "children" member.
std::string OpenItem(const TraceView& view, TreeItem item) {
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
  std::string text = object.dump();
  text.pop_back();  // the closing brace
  return text + ",\"children\":";
}

}  // namespace

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
    out += OpenItem(view, item);
    if (ChildrenNotReady(view, item)) {
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
