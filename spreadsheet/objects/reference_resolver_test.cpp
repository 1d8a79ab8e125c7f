// Reference text and defined names as Range, Evaluate and RefersToRange read them.
#include "spreadsheet/objects/reference_resolver.h"

#include <gtest/gtest.h>

namespace spreadsheet {
namespace {

class ReferenceResolver : public testing::Test {
 protected:
  void SetUp() override {
    workbook_.AddSheet(L"Data");
    workbook_.AddSheet(L"My Sheet");
    workbook_.AddName({L"Total", L"=Data!$B$2:$B$9", 0, false});
    workbook_.AddName({L"Here", L"=$C$3", 0, false});
    workbook_.AddName({L"Total", L"='My Sheet'!$A$1", 2, false});  // Sheet 2's own Total.
    workbook_.AddName({L"Alias", L"=Total", 0, false});
    workbook_.AddName({L"Ping", L"=Pong", 0, false});
    workbook_.AddName({L"Pong", L"=Ping", 0, false});
    workbook_.AddName({L"Rate", L"=0.25", 0, false});
    workbook_.AddName({L"_xlnm.Print_Area", L"=Data!$A$1:$D$20", 1, false});
  }
  std::optional<SheetRange> Resolve(
      const wchar_t* text, std::int32_t sheet = 1,
      CReferenceResolver::Names names = CReferenceResolver::Names::Followed) {
    return CReferenceResolver(workbook_, sheet).Resolve(text, names);
  }
  CWorkbook workbook_{L"Book.xlsx"};
};

TEST_F(ReferenceResolver, ReadsAddressesOnTheCurrentOrTheNamedSheet) {
  EXPECT_EQ((SheetRange{1, {{2, 2}, {2, 2}}}), Resolve(L"B2"));
  EXPECT_EQ((SheetRange{2, {{2, 2}, {3, 3}}}), Resolve(L"B2:C3", 2));
  EXPECT_EQ((SheetRange{2, {{1, 1}, {kMaxRows, 1}}}), Resolve(L" ='My Sheet'!A:A "));
  EXPECT_EQ((SheetRange{1, {{1, 1}, {1, 1}}}), Resolve(L"data!$A$1"));
  EXPECT_EQ((SheetRange{1, {{2, 2}, {2, 2}}}), Resolve(L"[book.xlsx]Data!B2"));
  EXPECT_EQ((SheetRange{2, {{2, 2}, {2, 2}}}), Resolve(L"'[Book.xlsx]My Sheet'!B2"));
  for (const wchar_t* unreadable :
       {L"", L"A1,B2", L"Nope!A1", L"[Other.xlsx]Data!A1", L"Data:'My Sheet'!A1", L"'Data!A1",
        L"SUM(A1)", L"A0", L"XFE1"}) {
    EXPECT_FALSE(Resolve(unreadable).has_value()) << unreadable;
  }
  EXPECT_FALSE(Resolve(L"B2", 0).has_value());  // No current sheet to put it on.
}

TEST_F(ReferenceResolver, FollowsNamesAsTheSheetSeesThem) {
  EXPECT_EQ((SheetRange{1, {{2, 2}, {9, 2}}}), Resolve(L"Total"));
  EXPECT_EQ((SheetRange{2, {{1, 1}, {1, 1}}}), Resolve(L"total", 2));  // The sheet's own first.
  EXPECT_EQ((SheetRange{2, {{1, 1}, {1, 1}}}), Resolve(L"'My Sheet'!Total"));
  EXPECT_EQ((SheetRange{1, {{2, 2}, {9, 2}}}), Resolve(L"Alias"));
  EXPECT_EQ((SheetRange{2, {{3, 3}, {3, 3}}}), Resolve(L"Here", 2));  // Unqualified: on the asker.
  EXPECT_EQ((SheetRange{1, {{1, 1}, {20, 4}}}), Resolve(L"Print_Area"));
  EXPECT_EQ((SheetRange{1, {{2, 2}, {9, 2}}}), Resolve(L"Total", 0));
  EXPECT_FALSE(Resolve(L"Ping").has_value());        // A circle ends.
  EXPECT_FALSE(Resolve(L"Rate").has_value());        // A constant is no range.
  EXPECT_FALSE(Resolve(L"Data!Alias").has_value());  // Not one of Data's own names.
  EXPECT_FALSE(Resolve(L"Total", 1, CReferenceResolver::Names::Refused).has_value());
}

TEST_F(ReferenceResolver, ReadsUnionsPartByPart) {
  workbook_.AddSheet(L"a,b");
  workbook_.AddName({L"Pair", L"=Data!$A$1,'My Sheet'!$B$2", 0, false});
  workbook_.AddName({L"Nearby", L"=$A$1,$C$3:$D$4", 2, false});
  const auto areas = [&](const wchar_t* text, std::int32_t sheet = 1) {
    return CReferenceResolver(workbook_, sheet).ResolveAreas(text);
  };
  using Areas = std::vector<SheetRange>;
  EXPECT_EQ((Areas{{1, {{1, 1}, {2, 1}}}, {1, {{1, 2}, {1, 3}}}, {1, {{1, 5}, {1, 5}}}}),
            areas(L"A1:A2,B1:C1, E1"));
  EXPECT_EQ((Areas{{3, {{1, 1}, {1, 1}}}, {1, {{2, 2}, {9, 2}}}}), areas(L"'a,b'!A1,Total"));
  EXPECT_EQ((Areas{{1, {{1, 1}, {1, 1}}}, {2, {{2, 2}, {2, 2}}}}), areas(L"Pair"));
  // A sheet's name of a union reads its unqualified parts on that sheet, whoever asks.
  EXPECT_EQ((Areas{{2, {{1, 1}, {1, 1}}}, {2, {{3, 3}, {4, 4}}}}), areas(L"'My Sheet'!Nearby"));
  EXPECT_EQ((Areas{{1, {{2, 2}, {9, 2}}}}), areas(L"Total"));
  for (const wchar_t* unreadable : {L"A1,", L",A1", L"A1,Nope", L"A1,,B2", L"Rate", L"Ping"}) {
    EXPECT_FALSE(areas(unreadable).has_value()) << unreadable;
  }
}

TEST_F(ReferenceResolver, FindsNamesWithoutRegardToCaseOrBuiltInPrefix) {
  const CReferenceResolver onData(workbook_, 1);
  ASSERT_NE(nullptr, onData.FindName(L"RATE"));
  EXPECT_EQ(L"=0.25", onData.FindName(L"RATE")->refersTo);
  EXPECT_EQ(1, onData.FindName(L"Data!print_area")->scope);
  EXPECT_EQ(nullptr, onData.FindName(L"Missing"));
  EXPECT_EQ(L"Print_Area", DisplayedName(*onData.FindName(L"Print_Area")));
}

}  // namespace
}  // namespace spreadsheet
