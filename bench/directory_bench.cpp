// Reading and compacting a large directory.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>

#include "common/memory_row_list.h"
#include "directory/directory_file.h"

namespace {

std::string MakeDirectory(int people) {
  std::mt19937 rng(42);
  const char* letters = "abcdefghijklmnopqrstuvwxyz";
  std::string out;
  for (int i = 0; i < people; ++i) {
    std::string last(1, static_cast<char>('A' + rng() % 26));
    for (int k = 0; k < 7; ++k) last += letters[rng() % 26];
    std::string first(1, static_cast<char>('A' + rng() % 26));
    for (int k = 0; k < 5; ++k) first += letters[rng() % 26];
    out += last + ", " + first + ";" + std::to_string(1000000 + rng() % 9000000) + "\r\n";
  }
  return out;
}

tw::Text PathOf(const std::filesystem::path& p) { return tw::Utf8ToText(p.string()); }

void BM_LoadRecipientLines(benchmark::State& state) {
  const auto path = std::filesystem::temp_directory_path() / "tw-bench-load.dat";
  std::ofstream(path, std::ios::binary) << MakeDirectory(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    tw::MemoryRowList list({299, 0});
    tw::LoadRecipientLines(list, PathOf(path));
    benchmark::DoNotOptimize(list.RowCount());
  }
  std::filesystem::remove(path);
}
BENCHMARK(BM_LoadRecipientLines)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_CompactDirectoryFile(benchmark::State& state) {
  const auto path = std::filesystem::temp_directory_path() / "tw-bench-compact.dat";
  const std::string unsorted = MakeDirectory(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    state.PauseTiming();
    std::ofstream(path, std::ios::binary | std::ios::trunc) << unsorted;
    state.ResumeTiming();
    tw::CompactDirectoryFile(PathOf(path));
  }
  std::filesystem::remove(path);
}
BENCHMARK(BM_CompactDirectoryFile)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
