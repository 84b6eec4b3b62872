#include "selection/picker.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <utility>

#include "common/memory_row_list.h"
#include "unit/picker/one_by_one_move.h"

namespace tw {
namespace {

Text T(const char* utf8) { return Utf8ToText(utf8); }

MemoryRowList Picker(std::initializer_list<std::pair<const char*, const char*>> rows,
                     std::vector<int> widths = {299, 0}) {
  MemoryRowList list(std::move(widths));
  for (const auto& [name, id] : rows) list.AppendRow({T(name), T(id)});
  return list;
}

std::vector<std::string> Names(const RowList& list) {
  std::vector<std::string> out;
  for (int r = 0; r < list.RowCount(); ++r) out.push_back(TextToUtf8(list.Cell(r, 0)));
  return out;
}

std::vector<std::pair<std::string, std::string>> NamesAndIds(const RowList& list) {
  std::vector<std::pair<std::string, std::string>> out;
  for (int r = 0; r < list.RowCount(); ++r)
    out.emplace_back(TextToUtf8(list.Cell(r, 0)), TextToUtf8(list.Cell(r, 1)));
  return out;
}

void Select(RowList& list, std::initializer_list<int> rows) {
  for (int r : rows) list.SetSelected(r, true);
}

// ------------------------------------------------------------------ sorting

struct OrderCase {
  const char* name;
  Text first_name, first_id;
  Text second_name, second_id;
};

TEST(SortListByName, OrdersPairsByCodeUnitsAsUnsignedNumbers) {
  const Text long_name(100, u'a');
  const OrderCase cases[] = {
      {"upper case before lower case", u"Zeta, Bo", u"1", u"smith, al", u"1"},
      {"a name before its longer form", u"Lee, Al", u"1", u"Lee, Alan", u"1"},
      {"equal names by pager ID as text", u"Doe, Jo", u"100", u"Doe, Jo", u"99"},
      {"a control character before the padding blank", u"Lee, Al\t", u"1", u"Lee, Al", u"1"},
      {"ASCII before Latin-1", u"zz", u"1", u"\u00c4ngel", u"1"},
      {"a surrogate pair before U+FFFD", u"\U0001F600", u"1", u"\uFFFD", u"1"},
      {"U+E000 above the surrogates", u"\U0001F600", u"1", u"\uE000", u"1"},
      // Unpadded, the longer name goes on with "!" where the shorter one's key
      // repeats the name, so here the longer name comes first.
      {"no padding for a name of 100 or more", long_name + u"!", u"1", long_name, u"1"},
      {"padding for a shorter name", u"Lee, Al", u"1", u"Lee, Al!", u"1"},
      {"padding up to 100", Text(60, u'a'), u"1", Text(60, u'a') + u"!", u"1"},
  };
  for (const OrderCase& c : cases) {
    for (bool reversed : {false, true}) {
      MemoryRowList list({299, 0});
      if (reversed) {
        list.AppendRow({c.second_name, c.second_id});
        list.AppendRow({c.first_name, c.first_id});
      } else {
        list.AppendRow({c.first_name, c.first_id});
        list.AppendRow({c.second_name, c.second_id});
      }
      SortListByName(list);
      ASSERT_EQ(list.RowCount(), 2) << c.name;
      EXPECT_EQ(list.Cell(0, 0), c.first_name) << c.name;
      EXPECT_EQ(list.Cell(0, 1), c.first_id) << c.name;
      EXPECT_EQ(list.Cell(1, 0), c.second_name) << c.name;
      EXPECT_EQ(list.Cell(1, 1), c.second_id) << c.name;
    }
  }
}

TEST(SortListByName, SortsAWholeListAndLeavesNothingSelected) {
  MemoryRowList list = Picker({{"smith, al", "4"},
                               {"Doe, Jo", "99"},
                               {"Zeta, Bo", "3"},
                               {"Doe, Jo", "100"},
                               {"Lee, Alan", "2"},
                               {"Lee, Al", "1"}});
  Select(list, {0, 3, 5});
  SortListByName(list);
  EXPECT_EQ(NamesAndIds(list),
            (std::vector<std::pair<std::string, std::string>>{{"Doe, Jo", "100"},
                                                              {"Doe, Jo", "99"},
                                                              {"Lee, Al", "1"},
                                                              {"Lee, Alan", "2"},
                                                              {"Zeta, Bo", "3"},
                                                              {"smith, al", "4"}}));
  EXPECT_TRUE(list.SelectedRows().empty());
  EXPECT_TRUE(list.RedrawOn());
}

TEST(SortListByName, KeepsEveryColumnOfWiderLists) {
  MemoryRowList list({0, 242, 242, 243});
  list.AppendRow({u"", u"b", u"x", u"2"});
  list.AppendRow({u"", u"a", u"y", u"1"});
  SortListByName(list);
  // Column 0 is empty in both rows, so column 1 decides.
  EXPECT_EQ(list.ReadRow(0), (Row{u"", u"a", u"y", u"1"}));
  EXPECT_EQ(list.ReadRow(1), (Row{u"", u"b", u"x", u"2"}));
}

TEST(SortListByName, EmptyListStaysEmpty) {
  MemoryRowList list({299, 0});
  SortListByName(list);
  EXPECT_EQ(list.RowCount(), 0);
  EXPECT_TRUE(list.RedrawOn());
}

// ------------------------------------------------------------------ moving

TEST(MoveSelectedRows, NothingSelectedChangesNeitherList) {
  MemoryRowList available = Picker({{"b", "1"}, {"a", "2"}});
  // Loaded from a saved list, so in file order, not sorted.
  MemoryRowList send_to = Picker({{"z", "9"}, {"c", "3"}});
  MoveSelectedRows(available, send_to, available.RowCount());
  EXPECT_EQ(Names(available), (std::vector<std::string>{"b", "a"}));
  EXPECT_EQ(Names(send_to), (std::vector<std::string>{"z", "c"}));
}

TEST(MoveSelectedRows, ThreeRowsLandSortedAndUnselectedAndTheSourceKeepsItsOrder) {
  MemoryRowList available = Picker({{"Young, Ann", "7"},
                                    {"Brown, Bob", "2"},
                                    {"Moss, Kim", "5"},
                                    {"Adams, Sue", "1"},
                                    {"King, Lu", "4"},
                                    {"Cole, Ed", "3"}});
  MemoryRowList send_to = Picker({{"Diaz, Al", "8"}, {"Nash, Jo", "9"}});
  Select(available, {1, 3, 4});
  MoveSelectedRows(available, send_to, available.RowCount());
  EXPECT_EQ(Names(available), (std::vector<std::string>{"Young, Ann", "Moss, Kim", "Cole, Ed"}));
  EXPECT_EQ(NamesAndIds(send_to),
            (std::vector<std::pair<std::string, std::string>>{{"Adams, Sue", "1"},
                                                              {"Brown, Bob", "2"},
                                                              {"Diaz, Al", "8"},
                                                              {"King, Lu", "4"},
                                                              {"Nash, Jo", "9"}}));
  EXPECT_TRUE(send_to.SelectedRows().empty());
  EXPECT_TRUE(available.SelectedRows().empty());
  EXPECT_TRUE(available.RedrawOn());
  EXPECT_TRUE(send_to.RedrawOn());
}

TEST(MoveSelectedRows, TheGivenRowCountBoundsTheRowsLookedAt) {
  struct Case {
    int row_count;
    std::vector<std::string> left, moved;
  };
  const Case cases[] = {
      {2, {"b", "c"}, {"a"}},        // taken before a row was added
      {99, {"b"}, {"a", "c"}},       // taken before rows were removed
      {0, {"a", "b", "c"}, {}},
  };
  for (const Case& c : cases) {
    MemoryRowList available = Picker({{"a", "1"}, {"b", "2"}, {"c", "3"}});
    MemoryRowList send_to = Picker({});
    Select(available, {0, 2});
    MoveSelectedRows(available, send_to, c.row_count);
    EXPECT_EQ(Names(available), c.left) << c.row_count;
    EXPECT_EQ(Names(send_to), c.moved) << c.row_count;
  }
}

TEST(MoveSelectedRows, AListOntoItselfStaysAsItWas) {
  MemoryRowList list = Picker({{"b", "1"}, {"a", "2"}});
  Select(list, {0});
  MoveSelectedRows(list, list, list.RowCount());
  EXPECT_EQ(Names(list), (std::vector<std::string>{"b", "a"}));
  EXPECT_EQ(list.SelectedRows(), std::vector<int>{0});
}

TEST(MoveSelectedRows, CarriesOnlyTheFirstTwoColumns) {
  MemoryRowList grid({0, 242, 242});
  grid.AppendRow({u"name", u"id", u"extra"});
  grid.SetSelected(0, true);
  MemoryRowList send_to({299, 0, 50});
  MoveSelectedRows(grid, send_to, grid.RowCount());
  EXPECT_EQ(send_to.ReadRow(0), (Row{u"name", u"id", u""}));
}

Text RandomText(std::mt19937& rng, int max_length) {
  // Few distinct characters, so that names share prefixes and repeat; the
  // blank, the tab and characters above 0x7F test the key's padding and the
  // unsigned comparison.
  static const char16_t alphabet[] = {u'a', u'A', u'b', u'B', u' ', u'\t', u',', u'\u00e9', char16_t{0xD83D}, u'\uFFFD'};
  std::uniform_int_distribution<int> length(0, max_length);
  std::uniform_int_distribution<size_t> pick(0, std::size(alphabet) - 1);
  Text t(static_cast<size_t>(length(rng)), u'a');
  for (char16_t& c : t) c = alphabet[pick(rng)];
  return t;
}

// Mostly short names; some run to about the padded width, sharing a long
// prefix, where the padding decides the order.
Text RandomName(std::mt19937& rng) {
  if (std::bernoulli_distribution(0.25)(rng)) {
    std::uniform_int_distribution<int> prefix(95, 101);
    return Text(static_cast<size_t>(prefix(rng)), u'a') + RandomText(rng, 3);
  }
  return RandomText(rng, 5);
}

void FillRandomly(RowList& list, int rows, std::mt19937& rng) {
  std::bernoulli_distribution selected(0.3);
  std::uniform_int_distribution<int> id(0, 120);
  for (int r = 0; r < rows; ++r) {
    Row cells;
    cells.push_back(RandomName(rng));
    cells.push_back(NumberText(id(rng)));
    for (int c = 2; c < list.ColumnCount(); ++c) cells.push_back(RandomText(rng, 2));
    list.AppendRow(cells);
    if (selected(rng)) list.SetSelected(r, true);
  }
}

TEST(MoveSelectedRows, EndsAsMovingOneRowAtATimeWithASortAfterEach) {
  std::mt19937 rng(20260316);
  std::uniform_int_distribution<int> size(0, 40);
  for (int round = 0; round < 300; ++round) {
    const std::vector<int> source_widths = round % 3 == 0 ? std::vector<int>{0, 242, 242, 243}
                                                          : std::vector<int>{299, 0};
    const std::vector<int> destination_widths =
        round % 4 == 0 ? std::vector<int>{199, 100, 20} : std::vector<int>{299, 0};
    MemoryRowList source(source_widths), destination(destination_widths);
    FillRandomly(source, size(rng), rng);
    FillRandomly(destination, size(rng), rng);
    // Some rounds pass a count below the real one, as a stale caller might.
    const int row_count =
        round % 5 == 0 ? std::max(0, source.RowCount() - 3) : source.RowCount();

    MemoryRowList reference_source = source, reference_destination = destination;
    testing::MoveOneByOne(reference_source, reference_destination, row_count);
    MoveSelectedRows(source, destination, row_count);

    ASSERT_EQ(testing::StateOf(source), testing::StateOf(reference_source)) << "round " << round;
    ASSERT_EQ(testing::StateOf(destination), testing::StateOf(reference_destination)) << "round " << round;
  }
}

// ------------------------------------------------------------------ search

TEST(FindInList, SelectsTheFirstMatchFromTheTopAloneAndScrollsToIt) {
  MemoryRowList list = Picker({{"Adams, Sue", "1"},
                               {"Brown, Bob", "2"},
                               {"Goldsmith, Ann", "3"},
                               {"SMITH, Al", "4"},
                               {"Smit, Jo", "5"}});
  Select(list, {0, 1, 4});
  MatchPosition match;
  ASSERT_TRUE(FindInList(list, u"SMI", &match, -1));
  EXPECT_EQ(match.column, 0);
  EXPECT_EQ(match.row, 2);
  EXPECT_EQ(list.SelectedRows(), std::vector<int>{2});
  EXPECT_EQ(list.LastMadeVisible(), 2);

  ASSERT_TRUE(FindInList(list, u"H, AL", &match, -1));
  EXPECT_EQ(match.row, 3);
  EXPECT_EQ(list.SelectedRows(), std::vector<int>{3});
}

TEST(FindInList, SearchesPagerIdsOnlyWhileTheirColumnShows) {
  MemoryRowList available = Picker({{"Doe, Jo", "123"}, {"Roe, Al", "5550"}, {"555 Desk", "9"}});
  MemoryRowList send_to = Picker({});
  bool show_pager_ids = false;
  MatchPosition match;

  ASSERT_TRUE(FindInList(available, u"555", &match, -1));
  EXPECT_EQ(match.row, 2);
  EXPECT_EQ(match.column, 0);

  TogglePagerIds(available, send_to, show_pager_ids);
  ASSERT_TRUE(FindInList(available, u"555", &match, -1));
  EXPECT_EQ(match.row, 1);
  EXPECT_EQ(match.column, 1);

  TogglePagerIds(available, send_to, show_pager_ids);
  EXPECT_FALSE(FindInList(available, u"5550", &match, -1));
  EXPECT_TRUE(available.SelectedRows().empty());
}

TEST(FindInList, TheFirstHiddenColumnEndsTheSearchedRange) {
  MemoryRowList list({100, 0, 100});
  list.AppendRow({u"name", u"", u"needle"});
  EXPECT_FALSE(FindInList(list, u"needle", nullptr, -1));
  // A named column is searched even while hidden.
  MatchPosition match;
  ASSERT_TRUE(FindInList(list, u"needle", &match, 2));
  EXPECT_EQ(match.column, 2);
  EXPECT_EQ(match.row, 0);
  EXPECT_FALSE(FindInList(list, u"name", nullptr, 2));
}

TEST(FindInList, IgnoresCaseOneCodeUnitAtATime) {
  struct Case {
    const char16_t* cell;
    const char16_t* search;
    bool found;
  };
  const Case cases[] = {
      {u"Smith, Al", u"SMITH, al", true},
      {u"\u00c4rger, \u00c9mile", u"\u00e4RGER, \u00e9", true},
      {u"\u03a3\u03a9\u039a", u"\u03c3\u03c9", true},
      {u"Stra\u00dfe", u"STRASSE", false},  // no multi-character folding
      {u"Doe", u"Doe ", false},
      {u"", u"a", false},
  };
  for (const Case& c : cases) {
    MemoryRowList list({299, 0});
    list.AppendRow({c.cell, u"1"});
    EXPECT_EQ(FindInList(list, c.search, nullptr, -1), c.found) << TextToUtf8(c.search);
  }
}

TEST(FindInList, NoMatchOrAnEmptySearchLeavesNothingSelected) {
  for (const Text& search : {Text(), Text(u"zzz")}) {
    MemoryRowList list = Picker({{"a", "1"}, {"", "2"}, {"b", "3"}});
    Select(list, {0, 2});
    MatchPosition match{7, 8};
    EXPECT_FALSE(FindInList(list, search, &match, -1));
    EXPECT_TRUE(list.SelectedRows().empty());
    EXPECT_EQ(match.column, 7);  // untouched without a match
    EXPECT_EQ(match.row, 8);
  }
}

// ------------------------------------------------------------------ pager IDs

TEST(TogglePagerIds, ShowsThenHidesTheColumnOnBothLists) {
  MemoryRowList available({299, 0}), send_to({299, 0});
  bool show_pager_ids = false;

  PagerIdDisplay shown = TogglePagerIds(available, send_to, show_pager_ids);
  EXPECT_TRUE(show_pager_ids);
  EXPECT_TRUE(shown.checked);
  EXPECT_EQ(shown.search_label, u"Search (Last Name, First Name, or Pager ID):");
  for (const RowList* list : {&available, &send_to}) {
    EXPECT_EQ(list->ColumnWidth(0), 199);
    EXPECT_EQ(list->ColumnWidth(1), 100);
  }

  PagerIdDisplay hidden = TogglePagerIds(available, send_to, show_pager_ids);
  EXPECT_FALSE(show_pager_ids);
  EXPECT_FALSE(hidden.checked);
  EXPECT_EQ(hidden.search_label, u"Search (Last Name or First Name):");
  for (const RowList* list : {&available, &send_to}) {
    EXPECT_EQ(list->ColumnWidth(0), 299);
    EXPECT_EQ(list->ColumnWidth(1), 0);
  }
  EXPECT_EQ(PagerIdDisplayFor(false).search_label, hidden.search_label);
}

}  // namespace
}  // namespace tw
