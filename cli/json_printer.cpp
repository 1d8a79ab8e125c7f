#include "cli/json_printer.h"

#include <nlohmann/json.hpp>

#include <cstddef>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
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

// A string as the serializer writes it (no escaping beyond JSON's own, UTF-8 kept as is):
// quote and backslash escaped, control characters by their short escape or as \u00xx.
void AppendString(std::string& out, std::string_view utf8) {
  static constexpr char kHex[] = "0123456789abcdef";
  out += '"';
  for (const char c : utf8) {
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\b':
        out += "\\b";
        break;
      case '\f':
        out += "\\f";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (const auto unit = static_cast<unsigned char>(c); unit < 0x20) {
          out += "\\u00";
          out += kHex[unit >> 4];
          out += kHex[unit & 0xF];
        } else {
          out += c;
        }
    }
  }
  out += '"';
}

void AppendWide(std::string& out, const std::wstring& text) {
  AppendString(out, WideToUtf8(text));
}

void AppendPosition(std::string& out, const CellPos& cell) {
  out += '[';
  out += std::to_string(cell.sheet);
  out += ',';
  out += std::to_string(cell.column);
  out += ',';
  out += std::to_string(cell.row);
  out += ']';
}

// The members in the serializer's order, which sorts them by name, as Reference() gives them.
void AppendReference(std::string& out, const CellReference& reference) {
  out += "{\"externalId\":" + std::to_string(reference.externalId) + ",\"first\":";
  AppendPosition(out, reference.first);
  out += ",\"flags\":" + std::to_string(reference.flags) + ",\"last\":";
  AppendPosition(out, reference.last);
  out += ",\"nameId\":" + std::to_string(reference.nameId) + ",\"text\":";
  AppendWide(out, reference.text);
  out += '}';
}

// Value2 as JSON: a number, text, Boolean or the error's text ("#DIV/0!"), and which it is;
// false when it is none of these.
bool ValueJson(const CVariant& value, std::string* text, const char** type) {
  const VARIANT& raw = *value.Get();
  CVariant converted;
  text->clear();
  switch (raw.vt) {
    case VT_EMPTY:
    case VT_NULL:
      *text = "null";
      *type = "empty";
      return true;
    case VT_BSTR:
      AppendWide(*text, raw.bstrVal != nullptr ? raw.bstrVal : L"");
      *type = "text";
      return true;
    case VT_BOOL:
      *text = raw.boolVal != VARIANT_FALSE ? "true" : "false";
      *type = "boolean";
      return true;
    case VT_ERROR: {
      const auto code = spreadsheet::ErrorFromScode(raw.scode);
      AppendString(*text,
                   code ? WideToUtf8(std::wstring(spreadsheet::ErrorText(*code))) : "#ERROR!");
      *type = "error";
      return true;
    }
    default:
      if (SUCCEEDED(value.ChangeType(VT_R8, &converted))) {
        // The serializer's shortest form of a double ("0.0", "9.450000000000001").
        *text = json(converted.Get()->dblVal).dump();
        *type = "number";
        return true;
      }
      return false;
  }
}

const char* JsonBool(bool value) {
  return value ? "true" : "false";
}

// The item without its children, as an unclosed object; its members in the serializer's
// (sorted) order.
void AppendItemMembers(std::string& out, const TraceView& view, TreeItem item, bool repeated) {
  const CellReference* reference = view.referenceOf(item);
  // One read of the cell serves its value, its formula and the error test.
  const std::optional<CellContent> content = ReadCellContent(view, item);
  const bool error =
      reference != nullptr && ItemHasError(view, item, content ? &*content : nullptr);
  const bool dynamic = reference != nullptr && (reference->flags & RefDynamic) != 0;
  out += "{\"dynamic\":";
  out += JsonBool(dynamic);
  out += ",\"error\":";
  out += JsonBool(error);
  out += ",\"expandedAbove\":";
  out += JsonBool(repeated);
  if (content) {
    out += ",\"formula\":";
    if (content->formula) {
      AppendWide(out, *content->formula);
    } else {
      out += "null";
    }
  }
  out += ",\"highlighted\":";
  out += JsonBool(view.highlightErrors && error);
  out += ",\"image\":" + std::to_string(view.tree->Image(item));
  if (reference != nullptr) {
    out += ",\"ref\":";
    AppendReference(out, *reference);
  }
  out += ",\"text\":[";
  bool first = true;
  for (const std::wstring& text : ColumnTexts(view, item)) {
    if (!first) out += ',';
    first = false;
    AppendWide(out, text);
  }
  out += ']';
  std::string value;
  const char* type = nullptr;
  if (content && ValueJson(content->value, &value, &type)) {
    out += ",\"value\":" + value + ",\"valueType\":\"" + type + '"';
  }
}

std::string DocumentHead(const TraceView& view) {
  return "{\"title\":" + json(WideToUtf8(view.title)).dump() +
         ",\"columns\":" + Utf8Array(view.columns).dump();
}

// Whether the document leaves the item's children out: behind "not ready" (--depth), or shown
// in full earlier (expanded above).
bool LeavesChildrenOut(const TraceView& view, TreeItem item, bool repeated) {
  return repeated || ChildrenNotReady(view, item);
}

}  // namespace

// Items carry, besides the column texts, the single cell's raw value and formula. "children" is
// null for an item not opened here: behind "not ready" (--depth), or, with "expandedAbove", a
// branch shown in full earlier in the document.
//
// Written by hand around each item's own members: the serializer recurses and trees can be as
// deep as the workbook's chains.
bool PrintTraceJson(const TraceView& view, std::FILE* to) {
  // Flushed in pieces of about this size, so the document never sits in memory whole.
  constexpr size_t kFlushSize = 64 * 1024;
  bool ok = true;
  std::string out = DocumentHead(view) + ",\"items\":[";
  const auto flush = [&] {
    ok = ok && std::fwrite(out.data(), 1, out.size(), to) == out.size();
    out.clear();
  };
  struct Level {
    TreeItem next;  // the next sibling to write, kNoItem when the level is done
    bool first;
  };
  std::vector<Level> stack{{view.tree->FirstChild(view.tree->Root()), true}};
  while (!stack.empty()) {
    Level& level = stack.back();
    if (level.next == kNoItem) {
      stack.pop_back();
      out += stack.empty() ? "]" : "]}";
      continue;
    }
    const TreeItem item = level.next;
    level.next = view.tree->NextSibling(item);
    if (!level.first) out += ',';
    level.first = false;
    const bool repeated = view.isRepeated && view.isRepeated(item);
    AppendItemMembers(out, view, item, repeated);
    out += ",\"children\":";
    if (LeavesChildrenOut(view, item, repeated)) {
      out += "null}";
    } else {
      out += '[';
      stack.push_back({view.tree->FirstChild(item), true});
    }
    if (out.size() >= kFlushSize) flush();
  }
  out += "}\n";
  flush();
  return ok;
}

// The items in the nested document's order, each on its own line with its depth instead of
// its children; readers that refuse deep nesting (jq, Python) read any depth this way.
bool PrintTraceJsonLines(const TraceView& view, std::FILE* to) {
  constexpr size_t kFlushSize = 64 * 1024;
  bool ok = true;
  std::string out = DocumentHead(view) + "}\n";
  const auto flush = [&] {
    ok = ok && std::fwrite(out.data(), 1, out.size(), to) == out.size();
    out.clear();
  };
  ForEachShownItem(view, [&](TreeItem item, size_t depth, bool repeated) {
    AppendItemMembers(out, view, item, repeated);
    const bool childrenOut = LeavesChildrenOut(view, item, repeated);
    out += ",\"depth\":" + std::to_string(depth) + ",\"childrenLeftOut\":";
    out += JsonBool(childrenOut);
    out += "}\n";
    if (out.size() >= kFlushSize) flush();
    return !childrenOut;
  });
  flush();
  return ok;
}

std::string PrintPathJson(bool found, const std::vector<CellReference>& path) {
  json steps = json::array();
  for (const CellReference& reference : path) steps.push_back(Reference(reference));
  return json{{"found", found}, {"path", steps}}.dump() + "\n";
}

std::string PrintAddressJson(const std::string& address) {
  return json{{"address", address}}.dump() + "\n";
}
