// Reading one maker's part rows from a list file through the emulated
// keyed reader, for sections of 500 to 2000 entries: what a click on a
// maker in the main dialog costs before the list boxes are filled.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "catalogue/list_file.h"
#include "bench/bench_list_file.h"
#include "platform/files.h"
#include "platform/profile.h"

namespace {

std::string list_file(int entries) {
  return write_bench_list_file("/tmp/fill_part_lists_bench_" + std::to_string(entries) + ".dat",
                               entries);
}

void BM_ReadPartRows(benchmark::State& state) {
  const int entries = static_cast<int>(state.range(0));
  const std::string path = list_file(entries);
  catalogue::PartRows rows;
  for (auto _ : state) {
    catalogue::read_part_rows(path.c_str(), "MAKER-B", false, &rows);
    benchmark::DoNotOptimize(rows.added.data());
  }
  if (static_cast<int>(rows.added.size() + rows.deleted.size()) != entries)
    state.SkipWithError("wrong number of rows");
  state.SetItemsProcessed(state.iterations() * entries);
  plat::delete_file(path.c_str());
}
BENCHMARK(BM_ReadPartRows)->Arg(500)->Arg(1000)->Arg(2000)->Unit(benchmark::kMillisecond);

// For comparison: the same values asked of the keyed reader one by one.
void BM_ReaderEachValue(benchmark::State& state) {
  const int entries = static_cast<int>(state.range(0));
  const std::string path = list_file(entries);
  char key[32], value[400];
  for (auto _ : state) {
    for (int i = 0; i < entries; ++i) {
      std::snprintf(key, sizeof key, "%d,%d", 1001 + i, i % 3 ? 0 : 1);
      plat::profile_read("MAKER-B", key, "", value, sizeof value, path.c_str());
    }
    benchmark::DoNotOptimize(value);
  }
  state.SetItemsProcessed(state.iterations() * entries);
  plat::delete_file(path.c_str());
}
BENCHMARK(BM_ReaderEachValue)->Arg(500)->Arg(2000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
