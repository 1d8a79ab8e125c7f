// Definitions of formula names, parsed once, and what they lead to, followed on a work list.
#include "container/name_definitions.h"

#include <memory>
#include <set>
#include <utility>
#include <vector>

namespace {

bool MayBeFormulaName(const CellReference& reference) {
  return reference.nameId > 0 && reference.externalId == 0 &&
         (reference.flags & RefNameNotRange) != 0;
}

// The sheet whose cells an unqualified address in the definition means: the name's own sheet,
// or the first sheet for a workbook-level name (Excel writes those definitions qualified).
int32_t DefinitionSheet(const CDependencyContainer& container, int32_t nameId) {
  const CWorkbookStructure& structure = container.Structure();
  if (const int32_t scope = structure.NameScope(nameId); scope > 0) return scope;
  return structure.SheetSet().empty() ? 1 : *structure.SheetSet().begin();
}

}  // namespace

SharedReferenceList NameReferencesOf(CDependencyContainer& container, int32_t nameId) {
  if (nameId <= 0) return CDependencyContainer::EmptyList();
  CNameAnswers& known = container.Answers().NameReferences();
  if (SharedReferenceList answer = known.Find(nameId)) return answer;
  // Stored before parsing, so that nothing the parse sets off reads the name again.
  known.Store(nameId, CDependencyContainer::EmptyList());
  const NameRecord* record = container.Structure().FindName(nameId);
  if (record == nullptr || record->notRange == 0 || record->refersTo.empty()) {
    return CDependencyContainer::EmptyList();
  }
  const std::wstring definition = record->refersTo;
  SharedReferenceList references =
      container.ParseFormula(definition, CellPos{DefinitionSheet(container, nameId), 1, 1});
  if (!references || references->empty()) return CDependencyContainer::EmptyList();
  known.Store(nameId, references);
  return references;
}

bool IsFormulaName(CDependencyContainer& container, const CellReference& reference) {
  return MayBeFormulaName(reference) && !NameReferencesOf(container, reference.nameId)->empty();
}

SharedReferenceList NameTargetsOf(CDependencyContainer& container, int32_t nameId) {
  if (SharedReferenceList known = container.Answers().NameTargets().Find(nameId)) return known;
  struct Frame {
    SharedReferenceList references;
    size_t next = 0;
    bool dynamic = false;
  };
  auto targets = std::make_shared<std::vector<CellReference>>();
  std::set<CellReference> kept;
  std::set<int32_t> followed{nameId};
  std::vector<Frame> frames{{NameReferencesOf(container, nameId), 0, false}};
  while (!frames.empty()) {
    Frame& top = frames.back();
    if (top.next >= top.references->size()) {
      frames.pop_back();
      continue;
    }
    const CellReference& reference = (*top.references)[top.next++];
    const bool dynamic = top.dynamic || (reference.flags & RefDynamic) != 0;
    if (IsFormulaName(container, reference)) {
      // `top` is not used after the push, which may move it.
      if (followed.insert(reference.nameId).second) {
        frames.push_back({NameReferencesOf(container, reference.nameId), 0, dynamic});
      }
      continue;
    }
    CellReference target = reference;
    if (dynamic) target.flags |= RefDynamic;
    if (kept.insert(target).second) targets->push_back(std::move(target));
  }
  SharedReferenceList answer = targets->empty() ? CDependencyContainer::EmptyList()
                                                : SharedReferenceList(std::move(targets));
  container.Answers().NameTargets().Store(nameId, answer);
  return answer;
}

SharedReferenceList WithNamesFollowed(CDependencyContainer& container,
                                      const SharedReferenceList& references) {
  if (!references) return references;
  bool anyName = false;
  for (const CellReference& reference : *references) {
    if (MayBeFormulaName(reference) && IsFormulaName(container, reference)) {
      anyName = true;
      break;
    }
  }
  if (!anyName) return references;
  auto followed = std::make_shared<std::vector<CellReference>>();
  for (const CellReference& reference : *references) {
    if (!IsFormulaName(container, reference)) {
      followed->push_back(reference);
      continue;
    }
    const SharedReferenceList targets = NameTargetsOf(container, reference.nameId);
    for (CellReference target : *targets) {
      target.flags |= reference.flags & RefDynamic;
      followed->push_back(std::move(target));
    }
  }
  return followed;
}

bool NameLeadsTo(CDependencyContainer& container, const CellReference& name,
                 const CellPos& cell) {
  if (!IsFormulaName(container, name)) return false;
  for (const CellReference& target : *NameTargetsOf(container, name.nameId)) {
    if (target.Contains(cell)) return true;
  }
  return false;
}
