// 2,000 merges into the local parts index and the final write: the
// straightforward way (read both indexes, merge, write the local index after
// every change) against one run over the store's cached indexes. Both must
// leave the same bytes; the benchmark fails otherwise.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/byte_fields.h"
#include "store/parts_index.h"

namespace {

constexpr int kMerges = 2000;

int merge_literal(std::vector<uint8_t>* local_index, const std::vector<uint8_t>& server,
                  int32_t part);

struct Library {
  std::string dir, local_path;
  std::vector<uint8_t> local_before, server;
  std::vector<int32_t> parts;
  std::vector<uint8_t> expected;  // after the 2,000 merges
};

void put_file(const std::string& path, const std::vector<uint8_t>& bytes) {
  plat::write_file(path.c_str(), bytes.data(), bytes.size());
}

void remove_library();

// A server index with 3,000 parts spread over 30 groups; the local one
// knows the first 1,000 at their places and some other parts in the slots
// where later ones would go, so merges take every branch.
Library& library() {
  static Library lib;
  if (!lib.dir.empty()) return lib;
  char pattern[] = "/tmp/partsdl-index-bench-XXXXXX";
  lib.dir = std::string(mkdtemp(pattern)) + "/";
  atexit(remove_library);
  plat::create_directory((lib.dir + "HDPARTS").c_str());
  plat::create_directory((lib.dir + "HDTMP").c_str());
  lib.server.assign(store::kPartsIndexSize, 0);
  lib.local_before.assign(store::kPartsIndexSize, 0);
  uint8_t* server = lib.server.data();
  uint8_t* local = lib.local_before.data();
  for (int n = 0; n < 3000; ++n) {
    int g = n % 30, s = n / 30 % 50, k = n / 1500 * 7 + n % 5;
    plat::put_u16(server + store::group_offset(g), static_cast<uint16_t>(100 + g));
    plat::put_u16(server + store::subgroup_offset(g, s), static_cast<uint16_t>(200 + s));
    std::memset(server + store::subgroup_offset(g, s) + 2, 'a' + s % 26, 24);
    uint8_t* record = server + store::record_offset(g, s, k);
    plat::put_u32(record, static_cast<uint32_t>(1001 + n));
    std::memset(record + 4, 'p', 24);
    if (n < 1000 || n % 7 == 0) {  // the local index has these subgroups
      std::memcpy(local + store::group_offset(g), server + store::group_offset(g), 26);
      std::memcpy(local + store::subgroup_offset(g, s), server + store::subgroup_offset(g, s), 26);
    }
    if (n < 1000) std::memcpy(local + store::record_offset(g, s, k), record, 28);
    if (n >= 1000 && n % 11 == 0) plat::put_u32(local + store::record_offset(g, s, k), 99000 + n);
    if (n >= 1000) lib.parts.push_back(1001 + n);
  }
  lib.parts.resize(kMerges);
  lib.expected = lib.local_before;
  for (int32_t part : lib.parts) merge_literal(&lib.expected, lib.server, part);
  lib.local_path = lib.dir + "HDPARTS/TRBHN.DAT";
  put_file(lib.dir + "HDTMP/TRBHN.DAT", lib.server);
  return lib;
}

void remove_library() {
  Library& lib = library();
  for (const char* name : {"HDPARTS/TRBHN.DAT", "HDPARTS/TRBHN.DAT.new", "HDTMP/TRBHN.DAT"})
    unlink((lib.dir + name).c_str());
  for (const char* name : {"HDPARTS", "HDTMP", ""}) rmdir((lib.dir + name).c_str());
}

// The index written in place, truncated first.
bool write_in_place(const std::string& path, const std::vector<uint8_t>& index) {
  plat::File* file = plat::open_file(path.c_str(), plat::kWrite, plat::kShareWrite,
                                     plat::Disposition::CreateAlways);
  if (!file) return false;
  bool whole =
      plat::write_at(file, 0, index.data(), index.size()) == static_cast<int64_t>(index.size());
  plat::close_file(file);
  return whole;
}

// One merge as the straightforward algorithm makes it, over buffers: linear
// searches; gives how many times it writes the local index (after filling
// the subgroup entry, after placing the record).
int merge_literal(std::vector<uint8_t>* local_index, const std::vector<uint8_t>& server,
                  int32_t part) {
  uint8_t* local = local_index->data();
  store::RecordPosition at;
  if (!store::find_part_record(server.data(), part, &at)) return 0;
  const uint8_t* sub = server.data() + store::subgroup_offset(at.group, at.subgroup);
  int writes = 0, g, s;
  if (!store::find_matching_subgroup(local,
                                     plat::get_i16(server.data() + store::group_offset(at.group)),
                                     plat::get_i16(sub), sub + 2, &g, &s)) {
    g = at.group;
    s = at.subgroup;
    if (plat::get_i16(local + store::subgroup_offset(g, s)) == 0) {
      std::memcpy(local + store::subgroup_offset(g, s), sub, 26);
      ++writes;
    }
  }
  const uint8_t* record = server.data() + store::record_offset(at.group, at.subgroup, at.slot);
  uint8_t* slot = local + store::record_offset(g, s, at.slot);
  if (plat::get_i32(slot) == 0) {
    std::memcpy(slot, record, 28);
    return writes + 1;
  }
  store::RecordPosition elsewhere;
  if (plat::get_i32(slot) == part || store::find_part_record(local, part, &elsewhere))
    return writes;
  for (int k = 0; k < store::kIndexSlots; ++k) {
    uint8_t* free_slot = local + store::record_offset(g, s, k);
    if (plat::get_i32(free_slot) == 0) {
      std::memcpy(free_slot, record, 28);
      return writes + 1;
    }
  }
  return writes;
}

// One merge as a standalone operation: both indexes read, the local one
// written in place after each change.
void merge_straightforward(const Library& lib, int32_t part) {
  std::vector<uint8_t> local, server;
  if (!store::read_parts_index(lib.dir.c_str(), store::IndexCopy::Local, &local) ||
      !store::read_parts_index(lib.dir.c_str(), store::IndexCopy::Downloaded, &server))
    return;
  for (int writes = merge_literal(&local, server, part); writes > 0; --writes)
    write_in_place(lib.local_path, local);
}

bool local_is(const Library& lib, const std::vector<uint8_t>& expected) {
  std::string bytes;
  return plat::read_file(lib.local_path.c_str(), &bytes) && bytes.size() == expected.size() &&
         std::memcmp(bytes.data(), expected.data(), expected.size()) == 0;
}

double peak_rss_mb() {
  rusage usage;
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss / 1024.0;
}

// Run one benchmark per process (--benchmark_filter) for a clean figure:
// the peak is the process's, and setup alone holds three 6.8 MB indexes.
void report_peak(benchmark::State& state, double after_setup) {
  state.counters["peak_rss_MB"] = peak_rss_mb();
  state.counters["above_setup_MB"] = peak_rss_mb() - after_setup;
}

void BM_merges_straightforward(benchmark::State& state) {
  Library& lib = library();
  double after_setup = peak_rss_mb();
  for (auto _ : state) {
    state.PauseTiming();
    put_file(lib.local_path, lib.local_before);
    state.ResumeTiming();
    for (int32_t part : lib.parts) merge_straightforward(lib, part);
  }
  if (!local_is(lib, lib.expected)) state.SkipWithError("bytes differ from the merges in memory");
  if (lib.expected == lib.local_before) state.SkipWithError("no merge changed the index");
  report_peak(state, after_setup);
}

void BM_merges_in_one_run(benchmark::State& state) {
  Library& lib = library();
  double after_setup = peak_rss_mb();
  for (auto _ : state) {
    state.PauseTiming();
    put_file(lib.local_path, lib.local_before);
    // Each run starts cold: the server index is read again.
    store::PartsIndexStore store;
    store.program_directory = lib.dir;
    state.ResumeTiming();
    store::begin_index_changes(&store);
    for (int32_t part : lib.parts) store::merge_part_record(&store, part);
    store::end_index_changes(&store);
  }
  if (!local_is(lib, lib.expected)) state.SkipWithError("bytes differ from the merges in memory");
  report_peak(state, after_setup);
}

}  // namespace

BENCHMARK(BM_merges_straightforward)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_merges_in_one_run)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK_MAIN();
