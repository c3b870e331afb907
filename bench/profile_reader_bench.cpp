// The keyed reader asked for every key of one maker section in turn, as a
// list is filled: 500, 1,000 and 2,000 keys. The time per key (per_key)
// must stay flat as the section grows.
//
// "settled": a list file written an hour ago. "fresh": a file written in the
// last 2.1 seconds, whose bytes are compared on every call because a file
// time that recent may not show a rewrite (the cost of the first seconds
// after a download).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/profile.h"

namespace {

struct ListFile {
  std::string path;
  std::vector<std::string> keys;
};

// Three other makers of 500 entries before the one read, as in a real list.
ListFile make_list_file(int entries) {
  ListFile file;
  file.path = "/tmp/profile_reader_bench." + std::to_string(getpid()) + "." +
              std::to_string(entries) + ".dat";
  std::string text = "[INFO]\r\nTITLE=bench\r\n";
  char line[96];
  for (int maker = 0; maker <= 3; ++maker) {
    int count = maker < 3 ? 500 : entries;
    std::snprintf(line, sizeof line, "[Maker %d]\r\n", maker);
    text += line;
    for (int i = 0; i < count; ++i) {
      int part = 1001 + i * 7, flag = i % 3;
      std::snprintf(line, sizeof line, "%d,%d=figure name %d,%d,0\r\n", part, flag, i, i % 256);
      text += line;
      if (maker == 3) {
        std::snprintf(line, sizeof line, "%d,%d", part, flag);
        file.keys.push_back(line);
      }
    }
  }
  plat::write_file(file.path.c_str(), text.data(), text.size());
  return file;
}

uint64_t now_filetime() {
  timespec now;
  clock_gettime(CLOCK_REALTIME, &now);
  return 116444736000000000ull + (uint64_t)now.tv_sec * 10000000ull + (uint64_t)now.tv_nsec / 100;
}

void read_every_key(benchmark::State& state, bool fresh) {
  ListFile file = make_list_file((int)state.range(0));
  char value[400];
  uint64_t stamp = now_filetime() - 36000000000ull;
  for (auto _ : state) {
    // A new write time every round: each round starts from a changed file.
    stamp = fresh ? now_filetime() : stamp + 1;
    plat::set_file_write_time(file.path.c_str(), stamp);
    for (const std::string& key : file.keys) {
      plat::profile_read("Maker 3", key.c_str(), "", value, sizeof value, file.path.c_str());
      benchmark::DoNotOptimize(value);
    }
  }
  state.counters["per_key"] =
      benchmark::Counter((double)state.iterations() * file.keys.size(),
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  plat::delete_file(file.path.c_str());
}

void BM_settled_list_file(benchmark::State& state) { read_every_key(state, false); }
void BM_fresh_list_file(benchmark::State& state) { read_every_key(state, true); }

}  // namespace

BENCHMARK(BM_settled_list_file)->Arg(500)->Arg(1000)->Arg(2000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_fresh_list_file)->Arg(500)->Arg(1000)->Arg(2000)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
