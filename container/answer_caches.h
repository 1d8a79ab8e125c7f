// CAnswerCaches: the answers to the questions asked of one workbook so far (dependents, inputs,
// error sources, error tests, formula names seen through, the calculation chain), each computed
// once and kept until a refresh.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>

#include "container/reference_lists.h"
#include "formula/cell_pos.h"

class CDependentsIndex;

// One question's answers, by what was asked. A stored list is shared: a holder keeps it after
// the entry is replaced or dropped.
template <typename Key, typename Order = std::less<Key>>
class CAnswerCache {
 public:
  // The answer, or null when none is cached.
  SharedReferenceList Find(const Key& key) const {
    const auto found = answers_.find(key);
    return found == answers_.end() ? nullptr : found->second;
  }
  bool Contains(const Key& key) const { return answers_.contains(key); }
  void Store(const Key& key, SharedReferenceList answer) {
    answers_.insert_or_assign(key, std::move(answer));
  }
  std::size_t Size() const { return answers_.size(); }
  void Clear() { answers_.clear(); }

 private:
  std::map<Key, SharedReferenceList, Order> answers_;
};

using CCellAnswers = CAnswerCache<CellPos, CellPosOrder>;
// By defined-name id.
using CNameAnswers = CAnswerCache<int32_t>;

class CAnswerCaches {
 public:
  // Dependents, inputs and error sources of a cell. An answer is stored before it is searched
  // for and filled in place, so that one cut short by Stop is the answer until the refresh.
  CCellAnswers& Dependents() { return dependents_; }
  CCellAnswers& Inputs() { return inputs_; }
  CCellAnswers& ErrorSources() { return errorSources_; }
  const CCellAnswers& Dependents() const { return dependents_; }
  const CCellAnswers& Inputs() const { return inputs_; }
  const CCellAnswers& ErrorSources() const { return errorSources_; }

  // Whether the cell shows an error value, as last evaluated; nothing when it was not tested.
  std::optional<bool> ErrorTest(const CellPos& cell) const;
  void StoreErrorTest(const CellPos& cell, bool isError);

  // Formula names: the references of a definition, and what they lead to through other names.
  CNameAnswers& NameReferences() { return nameReferences_; }
  CNameAnswers& NameTargets() { return nameTargets_; }

  // The formula index turned round; null until the first dependents question after a refresh.
  const std::shared_ptr<const CDependentsIndex>& DependentsIndex() const { return dependentsIndex_; }
  void SetDependentsIndex(std::shared_ptr<const CDependentsIndex> index) {
    dependentsIndex_ = std::move(index);
  }

  // Formula cells in calculation order; null until first built.
  const SharedReferenceList& CalculationChain() const { return calculationChain_; }
  void SetCalculationChain(SharedReferenceList chain) { calculationChain_ = std::move(chain); }

  // A refresh empties every answer but the calculation chain, which is computed once per
  // container.
  void OnRefresh();
  // A recalculation may change which cells show errors, and so where errors come from; the
  // references stay as they were.
  void OnRecalculation();

 private:
  CCellAnswers dependents_;
  CCellAnswers inputs_;
  CCellAnswers errorSources_;
  std::map<CellPos, bool, CellPosOrder> errorTests_;
  CNameAnswers nameReferences_;
  CNameAnswers nameTargets_;
  std::shared_ptr<const CDependentsIndex> dependentsIndex_;
  SharedReferenceList calculationChain_;
};
