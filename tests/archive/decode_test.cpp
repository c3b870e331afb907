// The decoders on streams cut short, streams claiming more than they hold,
// and an output that fails. Sound streams are checked against lhasa by the
// corpus and the differential test.
#include <string>

#include "archive/decode.h"
#include "archive/lzh_encoder.h"
#include "tests/archive/roundtrip_data.h"
#include "tests/support/ok.h"

namespace {

bool append(void* context, const uint8_t* data, size_t count) {
  static_cast<std::string*>(context)->append(reinterpret_cast<const char*>(data), count);
  return true;
}

bool refuse(void*, const uint8_t*, size_t) { return false; }

struct Decoded {
  int result;
  std::string bytes;
};

Decoded run(lzh::Method method, const std::string& packed, uint64_t size, bool failing_output = false) {
  lzh::MemoryInput input = {reinterpret_cast<const uint8_t*>(packed.data()), packed.size(), 0};
  Decoded d;
  d.result = lzh::decode(method, lzh::memory_input(&input), size,
                         failing_output ? lzh::Output{refuse, nullptr} : lzh::Output{append, &d.bytes});
  return d;
}

}  // namespace

TEST(streams_that_end_early_are_corrupt_and_bounded) {
  const std::string text = roundtrip::catalogue_text(60000);
  for (lzh::Method m : {lzh::Method::Lh5, lzh::Method::Lh6, lzh::Method::Lh7}) {
    std::string packed;
    uint64_t packed_size = 0;
    ok(lzh::compress(m, reinterpret_cast<const uint8_t*>(text.data()), text.size(), text.size(),
                     lzh::Output{append, &packed}, &packed_size) == 1, "method %d: no stream\n", (int)m);
    ok(run(m, packed, text.size()).bytes == text, "method %d: the whole stream differs\n", (int)m);
    for (size_t cut = 0; cut < packed.size(); cut += 1 + cut / 16) {
      Decoded d = run(m, packed.substr(0, cut), text.size());
      ok(d.result == lzh::kCorrupt && d.bytes.size() <= text.size(), "method %d cut at %u: %d, %u bytes\n", (int)m,
         (unsigned)cut, d.result, (unsigned)d.bytes.size());
    }
    // A gigabyte claimed: the decoder notices soon after the data runs out.
    Decoded d = run(m, packed, 1u << 30);
    ok(d.result == lzh::kCorrupt && d.bytes.size() <= text.size() + 65536, "method %d, 1 GiB claimed: %d, %u bytes\n",
       (int)m, d.result, (unsigned)d.bytes.size());
    ok(run(m, packed, text.size(), true).result == lzh::kOutputFailed, "method %d: a failing output went on\n", (int)m);
  }
  Decoded d = run(lzh::Method::Stored, "thirteen byte", 100);
  ok(d.result == lzh::kCorrupt && d.bytes == "thirteen byte", "stored: %d, %u bytes\n", d.result,
     (unsigned)d.bytes.size());
  ok(run(lzh::Method::Stored, "abc", 3, true).result == lzh::kOutputFailed, "stored: a failing output went on\n");
  for (lzh::Method m : {lzh::Method::Lh1, lzh::Method::Lz5, lzh::Method::Lzs, lzh::Method::Lh6}) {
    d = run(m, std::string(16, '\0'), 0xFFFFFFFFu);
    ok(d.result == lzh::kCorrupt && d.bytes.size() < (1u << 20), "method %d, 4 GiB from 16 bytes: %d, %u bytes\n",
       (int)m, d.result, (unsigned)d.bytes.size());
  }
}
