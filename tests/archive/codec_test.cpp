// The encoder's promises (headers read back at every name length, the size
// limit that makes storing possible, a failing output, sizes that show a
// working match finder, streams that decode at the edges of its tables and
// blocks) and the decoders on streams cut short or claiming more than they
// hold. Other archivers' streams are compared with lhasa's output elsewhere.
#include <cstdint>
#include <string>
#include <tuple>

#include "archive/decode.h"
#include "archive/header.h"
#include "archive/lzh_encoder.h"
#include "tests/archive/roundtrip_data.h"
#include "tests/support/ok.h"

namespace {

struct Collected {
  std::string bytes;
  size_t pieces = 0;
  size_t fail_after = SIZE_MAX;  // pieces accepted before failing
};

bool collect(void* context, const uint8_t* data, size_t size) {
  Collected* c = static_cast<Collected*>(context);
  if (c->pieces == c->fail_after) return false;
  ++c->pieces;
  c->bytes.append(reinterpret_cast<const char*>(data), size);
  return true;
}

int compress(lzh::Method method, const std::string& data, uint64_t limit, Collected* out,
             uint64_t* packed) {
  return lzh::compress(method, reinterpret_cast<const uint8_t*>(data.data()), data.size(), limit,
                       lzh::Output{collect, out}, packed);
}

int decode(lzh::Method method, const std::string& packed, uint64_t size, Collected* out) {
  lzh::MemoryInput input = {reinterpret_cast<const uint8_t*>(packed.data()), packed.size(), 0};
  return lzh::decode(method, lzh::memory_input(&input), size, lzh::Output{collect, out});
}

// Compresses and decodes `data`: true when the same bytes come back.
bool round_trip(lzh::Method method, const std::string& data) {
  Collected packed, out;
  uint64_t size = 0;
  return compress(method, data, UINT64_MAX, &packed, &size) == 1 &&
         decode(method, packed.bytes, data.size(), &out) == lzh::kDecoded && out.bytes == data;
}

}  // namespace

TEST(headers_are_read_back_at_every_name_length) {
  // A header of exactly 256 bytes would begin with a zero, the end mark; a
  // name of 65,502 bytes or more does not fit the header's size field.
  for (size_t length : {1, 221, 222, 223, 65501, 65502}) {
    lzh::MemberHeader h;
    h.name.assign(length, 'a');
    h.packed_size = 3;
    std::string archive = lzh::level2_header(h) + "xyz" + '\0';
    lzh::MemorySource memory = {reinterpret_cast<const uint8_t*>(archive.data()), archive.size()};
    lzh::Header back;
    ok(length > 65501 ? archive.size() == 4
                      : lzh::read_header(lzh::memory_source(&memory), 0, &back) == lzh::kHeader &&
                            back.name == h.name && back.next_offset == archive.size() - 1,
       "name of %u bytes\n", (unsigned)length);
  }
}

TEST(compress_limit_output_and_ratios) {
  // The limit is inclusive (one byte less is lzh_roundtrip_fuzz's); the
  // stream leaves in pieces as blocks finish.
  const std::string text = roundtrip::catalogue_text(50000), mix = roundtrip::mixed(1 << 20);
  uint64_t packed = 0, size = 0;
  Collected whole, exact, pieces, failing, none;
  failing.fail_after = 1;
  ok(compress(lzh::Method::Lh5, text, text.size(), &whole, &packed) == 1 &&
         packed == whole.bytes.size() &&
         compress(lzh::Method::Lh5, text, packed, &exact, &size) == 1 && exact.bytes == whole.bytes,
     "limit equal to the stream refused\n");
  ok(compress(lzh::Method::Lh7, mix, mix.size(), &pieces, &size) == 1 && pieces.pieces > 4,
     "%u pieces\n", (unsigned)pieces.pieces);
  ok(compress(lzh::Method::Lh7, mix, mix.size(), &failing, &size) == -1 && failing.pieces == 1,
     "failing output\n");
  ok(compress(lzh::Method::Stored, text, text.size(), &none, &size) == -1 && none.bytes.empty(),
     "stored\n");

  // A broken match finder still decodes, so the sizes show it; limits are
  // about twice what is reached. Noise repeated from 30 KB back is in reach
  // of -lh6-, from 60 KB of -lh7-, not of -lh5- (1: no stream within size).
  const std::string far = roundtrip::random_bytes(30000, 9),
                    farther = roundtrip::random_bytes(60000, 9);
  const std::tuple<lzh::Method, std::string, double> cases[] = {
      {lzh::Method::Lh5, roundtrip::parts_index_shape(), 0.02},
      {lzh::Method::Lh5, roundtrip::catalogue_text(200000), 0.35},
      {lzh::Method::Lh6, far + far, 0.6},
      {lzh::Method::Lh7, farther + farther, 0.6},
      {lzh::Method::Lh5, far + far, 1}};
  for (const auto& [method, data, most] : cases) {
    Collected out;
    int r = compress(method, data, data.size(), &out, &packed);
    ok(most < 1 ? r == 1 && double(packed) <= most * double(data.size()) : r == 0,
       "%s, %u bytes: %d, %llu packed\n", lzh::method_id(method), (unsigned)data.size(), r,
       (unsigned long long)packed);
  }
}

TEST(streams_decode_at_table_and_block_edges) {
  // The match tables shrink with the input; these sizes sit on both sides of
  // each step, and each input repeats its first half as far back as it can.
  for (size_t size : {1, 3, 256, 257, 8192, 8193, 16385, 32769, 65537, 140000}) {
    std::string data = roundtrip::random_bytes(size / 2 + 1, static_cast<unsigned>(size));
    data += data;
    data.resize(size);
    for (lzh::Method method : {lzh::Method::Lh5, lzh::Method::Lh6, lzh::Method::Lh7})
      ok(round_trip(method, data), "%s, %u bytes: not the same bytes back\n",
         lzh::method_id(method), (unsigned)size);
  }
  // The first block of zeros ends after 65,535 codes, 16,776,705 bytes; the
  // second holds nothing but the same longest match at the same distance, a
  // block whose code and position tables are one symbol each.
  ok(round_trip(lzh::Method::Lh5, std::string(16776705 + 2560, '\0')), "single-symbol block\n");
}

TEST(streams_that_end_early_are_corrupt_and_bounded) {
  const std::string text = roundtrip::catalogue_text(60000);
  for (lzh::Method m : {lzh::Method::Lh5, lzh::Method::Lh6, lzh::Method::Lh7}) {
    Collected packed, out, refused;
    uint64_t size = 0;
    compress(m, text, text.size(), &packed, &size);
    for (size_t cut = 0; cut < packed.bytes.size(); cut += 1 + cut / 16) {
      Collected part;
      int r = decode(m, packed.bytes.substr(0, cut), text.size(), &part);
      ok(r == lzh::kCorrupt && part.bytes.size() <= text.size(), "%s cut at %u: %d, %u bytes\n",
         lzh::method_id(m), (unsigned)cut, r, (unsigned)part.bytes.size());
    }
    // A gigabyte claimed: the decoder notices soon after the data runs out.
    int r = decode(m, packed.bytes, 1u << 30, &out);
    ok(r == lzh::kCorrupt && out.bytes.size() <= text.size() + 65536,
       "%s, 1 GiB claimed: %d, %u bytes\n", lzh::method_id(m), r, (unsigned)out.bytes.size());
    refused.fail_after = 0;
    ok(decode(m, packed.bytes, text.size(), &refused) == lzh::kOutputFailed,
       "%s: a failing output went on\n", lzh::method_id(m));
  }
  Collected stored, refused;
  refused.fail_after = 0;
  ok(decode(lzh::Method::Stored, "thirteen byte", 100, &stored) == lzh::kCorrupt &&
         stored.bytes == "thirteen byte" &&
         decode(lzh::Method::Stored, "abc", 3, &refused) == lzh::kOutputFailed,
     "stored: overclaimed or failing\n");
  for (lzh::Method m : {lzh::Method::Lh1, lzh::Method::Lz5, lzh::Method::Lzs, lzh::Method::Lh6}) {
    Collected out;
    int r = decode(m, std::string(16, '\0'), 0xFFFFFFFFu, &out);
    ok(r == lzh::kCorrupt && out.bytes.size() < (1u << 20),
       "method %d, 4 GiB from 16 bytes: %d, %u bytes\n", (int)m, r, (unsigned)out.bytes.size());
  }
}
