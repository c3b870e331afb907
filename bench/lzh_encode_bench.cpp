// The encoder on the two inputs the archive benchmarks use: the parts index
// (6.8 MB, mostly zeros) and mixed data (text, noise, zeros, far repeats),
// each with the 8 KB and the 64 KB dictionary. Reports input bytes per
// second and the packed size.
#include <benchmark/benchmark.h>

#include <string>

#include "archive/lzh_encoder.h"
#include "tests/archive/roundtrip_data.h"

namespace {

const std::string& input(int which) {
  static const std::string index = roundtrip::parts_index_shape();
  static const std::string mixed = roundtrip::mixed(16 << 20);
  return which == 0 ? index : mixed;
}

bool count(void* context, const uint8_t*, size_t size) {
  *static_cast<uint64_t*>(context) += size;
  return true;
}

void encode(benchmark::State& state) {
  const std::string& data = input(static_cast<int>(state.range(0)));
  const lzh::Method method = state.range(1) == 5 ? lzh::Method::Lh5 : lzh::Method::Lh7;
  uint64_t packed = 0;
  for (auto _ : state) {
    uint64_t written = 0;
    int r = lzh::compress(method, reinterpret_cast<const uint8_t*>(data.data()), data.size(),
                          UINT64_MAX, lzh::Output{count, &written}, &packed);
    if (r != 1) state.SkipWithError("encoder failed");
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * data.size()));
  state.counters["packed_bytes"] = static_cast<double>(packed);
  state.counters["ratio"] = static_cast<double>(packed) / static_cast<double>(data.size());
}

}  // namespace

// range(0): 0 parts index, 1 mixed 16 MB; range(1): 5 or 7 for -lh5-/-lh7-.
BENCHMARK(encode)
    ->ArgNames({"input", "lh"})
    ->Args({0, 5})
    ->Args({0, 7})
    ->Args({1, 5})
    ->Args({1, 7})
    ->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
