// The recipient picker on in-memory lists the size of a large directory:
// "select all and Add" must not freeze the window, and a search runs on
// every keystroke. The row-by-row move that the one-sort move replaces is
// measured at smaller sizes for comparison.
#include <benchmark/benchmark.h>

#include <random>

#include "common/memory_row_list.h"
#include "selection/picker.h"
#include "unit/picker/one_by_one_move.h"

namespace tw {
namespace {

std::vector<Row> Directory(int people) {
  std::mt19937 rng(16);
  std::uniform_int_distribution<int> letter(0, 25);
  std::vector<Row> rows;
  rows.reserve(static_cast<size_t>(people));
  for (int i = 0; i < people; ++i) {
    Text last, first;
    for (int k = 0; k < 8; ++k) last.push_back(static_cast<char16_t>(u'a' + letter(rng)));
    for (int k = 0; k < 5; ++k) first.push_back(static_cast<char16_t>(u'a' + letter(rng)));
    last[0] = static_cast<char16_t>(last[0] - 32);
    first[0] = static_cast<char16_t>(first[0] - 32);
    rows.push_back({last + u", " + first, NumberText(5550000 + i)});
  }
  return rows;
}

// An Available list holding the directory with every row selected.
MemoryRowList AllSelected(const std::vector<Row>& directory) {
  MemoryRowList available({299, 0});
  available.AppendRows(directory);
  for (int r = 0; r < available.RowCount(); ++r) available.SetSelected(r, true);
  return available;
}

// Every row of the directory selected in AvailableList, then Add.
void BM_MoveAll(benchmark::State& state) {
  const std::vector<Row> directory = Directory(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    state.PauseTiming();
    MemoryRowList available = AllSelected(directory), send_to({299, 0});
    state.ResumeTiming();
    MoveSelectedRows(available, send_to, available.RowCount());
    benchmark::DoNotOptimize(send_to.RowCount());
  }
}
BENCHMARK(BM_MoveAll)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// Every second row moved into a list that already holds as many.
void BM_MoveHalfIntoFull(benchmark::State& state) {
  const std::vector<Row> directory = Directory(static_cast<int>(state.range(0)));
  const std::vector<Row> first_half(directory.begin(), directory.begin() + directory.size() / 2);
  for (auto _ : state) {
    state.PauseTiming();
    MemoryRowList available({299, 0}), send_to({299, 0});
    available.AppendRows(directory);
    SortListByName(available);
    send_to.AppendRows(first_half);
    SortListByName(send_to);
    for (int r = 0; r < available.RowCount(); r += 2) available.SetSelected(r, true);
    state.ResumeTiming();
    MoveSelectedRows(available, send_to, available.RowCount());
    benchmark::DoNotOptimize(send_to.RowCount());
  }
}
BENCHMARK(BM_MoveHalfIntoFull)->Arg(100000)->Unit(benchmark::kMillisecond);

// The same move one row at a time with a full sort after each, against the
// one-sort move at the same sizes: the ratio is the gain.
void BM_MoveAllOneByOne(benchmark::State& state) {
  const std::vector<Row> directory = Directory(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    state.PauseTiming();
    MemoryRowList available = AllSelected(directory), send_to({299, 0});
    state.ResumeTiming();
    testing::MoveOneByOne(available, send_to, available.RowCount());
    benchmark::DoNotOptimize(send_to.RowCount());
  }
}
BENCHMARK(BM_MoveAllOneByOne)->Arg(500)->Arg(2000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MoveAll)->Arg(500)->Arg(2000)->Unit(benchmark::kMillisecond);

// One keystroke in SearchField: the whole list is read when nothing
// matches, and with pager IDs shown both columns are.
void BM_FindInList(benchmark::State& state) {
  MemoryRowList available({299, 0});
  available.AppendRows(Directory(static_cast<int>(state.range(0))));
  const bool show_pager_ids = state.range(1) != 0;
  SetPagerIdWidths(available, show_pager_ids);
  const Text search = u"Zzzz";  // in no row
  FindInList(available, search, nullptr, -1);  // the lower-case table is built once
  for (auto _ : state) benchmark::DoNotOptimize(FindInList(available, search, nullptr, -1));
}
BENCHMARK(BM_FindInList)->Args({100000, 0})->Args({100000, 1})->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tw

BENCHMARK_MAIN();
