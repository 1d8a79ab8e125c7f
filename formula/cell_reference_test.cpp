// CellReference: containment and ordering (identity is exercised by the parser's lists).
#include "formula/cell_reference.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

CellReference Area(CellPos first, CellPos last) {
  CellReference reference;
  reference.first = first;
  reference.last = last;
  return reference;
}

TEST(CellReference, Contains) {
  const CellReference a1c3 = Area({2, 1, 1}, {2, 3, 3});
  EXPECT_TRUE(a1c3.Contains({2, 2, 2}));
  EXPECT_TRUE(a1c3.Contains({2, 3, 3}));
  EXPECT_FALSE(a1c3.Contains({2, 4, 2}));
  EXPECT_FALSE(a1c3.Contains({1, 2, 2}));
  EXPECT_FALSE(a1c3.Contains({3, 2, 2}));

  CellReference name = a1c3;
  name.nameId = 7;
  EXPECT_TRUE(name.Contains({2, 2, 2}));
  name.flags = RefNameNotRange;
  EXPECT_FALSE(name.Contains({2, 2, 2}));

  CellReference external = a1c3;
  external.externalId = 1;
  EXPECT_FALSE(external.Contains({2, 2, 2}));

  // An unresolved reference keeps zero coordinates; the no-cell position is never inside.
  EXPECT_FALSE(CellReference{}.Contains({0, 0, 0}));
  EXPECT_FALSE(Area({-1, -1, -1}, {5, 5, 5}).Contains({-1, -1, -1}));
}

TEST(CellReference, OrdersExternalsThenNamesThenCoordinates) {
  CellReference external2;
  external2.externalId = 2;
  CellReference external1;
  external1.externalId = 1;
  CellReference name;
  name.nameId = 5;
  const CellReference early = Area({1, 5, 5}, {1, 5, 5});
  const CellReference late = Area({2, 1, 1}, {2, 1, 1});
  std::vector<CellReference> list{late, name, external2, early, external1};
  std::sort(list.begin(), list.end());
  EXPECT_EQ(list[0].externalId, 1);
  EXPECT_EQ(list[1].externalId, 2);
  EXPECT_EQ(list[2].nameId, 5);
  EXPECT_EQ(list[3].first, early.first);
  EXPECT_EQ(list[4].first, late.first);

  CellReference flagged = early;
  flagged.flags = kRefUnreadable;
  flagged.text = L"other";
  EXPECT_FALSE(early < flagged);
  EXPECT_FALSE(flagged < early);
}

}  // namespace
