// The encoder's own promises: headers the reader takes back at every name
// length, the size limit that makes storing possible, a failing output,
// compression that shows a working match finder, and streams that decode at
// the edges of its tables and blocks.
#include <string>
#include <vector>

#include "archive/decode.h"
#include "archive/header.h"
#include "archive/lzh_encoder.h"
#include "tests/archive/roundtrip_data.h"
#include "tests/support/ok.h"

namespace {

struct Collected {
  std::string bytes;
  size_t pieces = 0;
  size_t fail_after = static_cast<size_t>(-1);  // pieces accepted before failing
};

bool collect(void* context, const uint8_t* data, size_t size) {
  Collected* c = static_cast<Collected*>(context);
  if (c->pieces == c->fail_after) return false;
  ++c->pieces;
  c->bytes.append(reinterpret_cast<const char*>(data), size);
  return true;
}

int compress(lzh::Method method, const std::string& data, uint64_t limit, Collected* out,
             uint64_t* packed = nullptr) {
  uint64_t size = 0;
  return lzh::compress(method, reinterpret_cast<const uint8_t*>(data.data()), data.size(), limit,
                       lzh::Output{collect, out}, packed ? packed : &size);
}

// Compresses and decodes `data`: true when the same bytes come back.
bool round_trip(lzh::Method method, const std::string& data) {
  Collected packed, out;
  if (compress(method, data, UINT64_MAX, &packed) != 1) return false;
  lzh::MemoryInput source = {reinterpret_cast<const uint8_t*>(packed.bytes.data()), packed.bytes.size(), 0};
  return lzh::decode(method, lzh::memory_input(&source), data.size(), lzh::Output{collect, &out}) == lzh::kDecoded &&
         out.bytes == data;
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

TEST(compress_limit_and_output) {
  // The limit is inclusive: a stream of exactly `limit` bytes is accepted,
  // one byte less is refused without handing over more than the limit.
  const std::string text = roundtrip::catalogue_text(50000), mix = roundtrip::mixed(1 << 20);
  uint64_t packed = 0;
  Collected whole, exact, short_by_one, pieces, failing, none;
  ok(compress(lzh::Method::Lh5, text, text.size(), &whole, &packed) == 1 && packed == whole.bytes.size(), "text\n");
  ok(compress(lzh::Method::Lh5, text, packed, &exact) == 1 && exact.bytes == whole.bytes,
     "limit equal to the stream\n");
  ok(compress(lzh::Method::Lh5, text, packed - 1, &short_by_one) == 0 && short_by_one.bytes.size() < packed,
     "limit one short of the stream\n");
  // The stream leaves in pieces as blocks finish, not in one piece at the end.
  ok(compress(lzh::Method::Lh7, mix, mix.size(), &pieces) == 1 && pieces.pieces > 4, "mixed in %u pieces\n",
     (unsigned)pieces.pieces);
  failing.fail_after = 1;
  ok(compress(lzh::Method::Lh7, mix, mix.size(), &failing) == -1 && failing.pieces == 1, "failing output went on\n");
  ok(compress(lzh::Method::Stored, text, text.size(), &none) == -1 && none.bytes.empty(),
     "storing is not compressing\n");
}

TEST(compress_ratios) {
  // A broken match finder or table still decodes, so the sizes are what
  // show it. Limits are loose (about twice what is reached). Noise repeated
  // from 30 KB back is in reach of -lh6-, from 60 KB of -lh7-, not of -lh5-.
  const std::string far = roundtrip::random_bytes(30000, 9), farther = roundtrip::random_bytes(60000, 9);
  const struct {
    lzh::Method method;
    std::string data;
    double most;  // 1: the stream may not even reach the size of the data
  } cases[] = {{lzh::Method::Lh5, roundtrip::parts_index_shape(), 0.02},
               {lzh::Method::Lh5, roundtrip::catalogue_text(200000), 0.35}, {lzh::Method::Lh6, far + far, 0.6},
               {lzh::Method::Lh7, farther + farther, 0.6}, {lzh::Method::Lh5, far + far, 1}};
  for (const auto& c : cases) {
    Collected out;
    uint64_t packed = 0;
    int r = compress(c.method, c.data, c.data.size(), &out, &packed);
    ok(c.most < 1 ? r == 1 && double(packed) <= c.most * double(c.data.size()) : r == 0,
       "%s, %u bytes: %d, %llu packed\n", lzh::method_id(c.method), (unsigned)c.data.size(), r,
       (unsigned long long)packed);
  }
}

TEST(streams_decode_at_table_and_block_edges) {
  // The match tables shrink with the input; these sizes sit on both sides of
  // each step, and each input repeats its first half as far back as it can.
  for (size_t size : {1, 2, 3, 4, 255, 256, 257, 511, 4097, 8191, 8192, 8193, 16385, 32769, 65537, 140000}) {
    std::string data = roundtrip::random_bytes(size / 2 + 1, static_cast<unsigned>(size));
    data += data;
    data.resize(size);
    for (lzh::Method method : {lzh::Method::Lh5, lzh::Method::Lh6, lzh::Method::Lh7})
      ok(round_trip(method, data), "%s, %u bytes: not the same bytes back\n", lzh::method_id(method), (unsigned)size);
  }
  // The first block of zeros ends after 65,535 codes, 16,776,705 bytes; the
  // second holds nothing but the same longest match at the same distance, a
  // block whose code and position tables are one symbol each.
  ok(round_trip(lzh::Method::Lh5, std::string(16776705 + 2560, '\0')), "single-symbol block\n");
}
