// The encoder's own promises: header bytes, code lengths a block can carry,
// the size limit that makes storing possible, and a failing output.
#include <cstring>
#include <string>
#include <vector>

#include "archive/crc16.h"
#include "archive/decode.h"
#include "archive/lzh_encoder.h"
#include "tests/archive/roundtrip_data.h"
#include "tests/support/ok.h"

namespace {

unsigned get16(const std::string& s, size_t at) {
  return static_cast<uint8_t>(s[at]) | (static_cast<uint8_t>(s[at + 1]) << 8);
}

uint32_t get32(const std::string& s, size_t at) {
  return get16(s, at) | (static_cast<uint32_t>(get16(s, at + 2)) << 16);
}

uint16_t header_crc_with_field_zeroed(std::string s) {
  s[27] = s[28] = 0;
  return lzh::crc16_update(0, reinterpret_cast<const uint8_t*>(s.data()), s.size());
}

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

int compress(lzh::Method method, const std::string& data, uint64_t limit, Collected* out, uint64_t* packed) {
  return lzh::compress(method, reinterpret_cast<const uint8_t*>(data.data()), data.size(), limit,
                       lzh::Output{collect, out}, packed);
}

}  // namespace

TEST(level2_header_fields) {
  lzh::MemberHeader h;
  h.name = "TRBHN.DAT";
  h.method = lzh::Method::Lh7;
  h.packed_size = 0x01020304;
  h.original_size = 6783440;
  h.unix_time = 0x5F5E1000;
  h.data_crc = 0xBEEF;
  std::string s = lzh::level2_header(h);
  const size_t n = std::strlen("TRBHN.DAT");
  ok(s.size() == 34 + n, "header is %u bytes\n", (unsigned)s.size());
  if (s.size() != 34 + n) return;
  ok(get16(s, 0) == s.size(), "size field %u\n", get16(s, 0));
  ok(s.compare(2, 5, "-lh7-") == 0, "method %.5s\n", s.c_str() + 2);
  ok(get32(s, 7) == 0x01020304, "packed size %08x\n", get32(s, 7));
  ok(get32(s, 11) == 6783440, "original size %u\n", get32(s, 11));
  ok(get32(s, 15) == 0x5F5E1000, "time %08x\n", get32(s, 15));
  ok(s[19] == 0x20 && s[20] == 2, "attribute %02x, level %d\n", s[19], s[20]);
  ok(get16(s, 21) == 0xBEEF, "data crc %04x\n", get16(s, 21));
  ok(s[23] == 'w', "os id %c\n", s[23]);
  ok(get16(s, 24) == 5 && s[26] == 0x00, "common extension: size %u, type %d\n", get16(s, 24), s[26]);
  ok(get16(s, 27) == header_crc_with_field_zeroed(s), "header crc %04x\n", get16(s, 27));
  ok(get16(s, 29) == 3 + n && s[31] == 0x01, "name extension: size %u, type %d\n", get16(s, 29), s[31]);
  ok(s.compare(32, n, "TRBHN.DAT") == 0, "name %.*s\n", (int)n, s.c_str() + 32);
  ok(get16(s, 32 + n) == 0, "no extension after the name\n");

  // Header length is a function of the name alone, whatever the sizes.
  h.packed_size = 0;
  h.method = lzh::Method::Stored;
  std::string placeholder = lzh::level2_header(h);
  ok(placeholder.size() == s.size() && placeholder.compare(2, 5, "-lh0-") == 0, "stored placeholder fits the slot\n");
}

TEST(level2_header_edges) {
  lzh::MemberHeader h;
  // 34 + 222 = 256: a zero first byte would read as the end of the archive.
  h.name.assign(222, 'a');
  std::string s = lzh::level2_header(h);
  ok(s.size() == 257 && get16(s, 0) == 257, "256-byte header padded to %u (field %u)\n", (unsigned)s.size(),
     s.empty() ? 0 : get16(s, 0));
  ok(!s.empty() && s[256] == 0 && get16(s, 254) == 0, "padding after the closing size\n");
  ok(!s.empty() && get16(s, 27) == header_crc_with_field_zeroed(s), "crc covers the padding\n");
  h.name.assign(221, 'a');
  ok(lzh::level2_header(h).size() == 255, "255-byte header not padded\n");

  h.name.assign(65535 - 34, 'a');
  ok(lzh::level2_header(h).size() == 65535, "longest name fits\n");
  h.name.push_back('a');
  ok(lzh::level2_header(h).empty(), "name too long for a header refused\n");
}

TEST(code_lengths_fit_a_block) {
  // Fibonacci weights make the deepest possible tree: 29 levels unbounded.
  uint32_t freq[30];
  freq[0] = freq[1] = 1;
  for (int i = 2; i < 30; ++i) freq[i] = freq[i - 1] + freq[i - 2];
  uint8_t len[30];
  lzh::limited_code_lengths(freq, 30, len);
  uint64_t kraft = 0;  // in units of 2^-16: exactly 65536 for a complete code
  int longest = 0;
  bool ordered = true;
  for (int i = 0; i < 30; ++i) {
    kraft += uint64_t(1) << (16 - (len[i] > 16 ? 16 : len[i]));
    if (len[i] > longest) longest = len[i];
    if (i > 0 && len[i] > len[i - 1]) ordered = false;  // a more frequent symbol got a longer code
  }
  ok(longest == 16, "longest code %d bits\n", longest);
  ok(kraft == 65536, "code not complete: kraft %llu/65536\n", (unsigned long long)kraft);
  ok(ordered, "lengths follow the frequencies\n");
}

TEST(compress_limit_and_output) {
  // The limit is inclusive: a stream of exactly `limit` bytes is accepted,
  // one byte less is refused without handing over more than the limit.
  const std::string text = roundtrip::catalogue_text(50000);
  uint64_t packed = 0;
  Collected whole;
  int r = compress(lzh::Method::Lh5, text, text.size(), &whole, &packed);
  ok(r == 1 && packed == whole.bytes.size(), "text: %d, packed %llu of %u\n", r, (unsigned long long)packed,
     (unsigned)whole.bytes.size());
  Collected exact;
  r = compress(lzh::Method::Lh5, text, packed, &exact, &packed);
  ok(r == 1 && exact.bytes == whole.bytes, "limit equal to the stream: %d\n", r);
  Collected short_by_one;
  r = compress(lzh::Method::Lh5, text, whole.bytes.size() - 1, &short_by_one, &packed);
  ok(r == 0 && short_by_one.bytes.size() < whole.bytes.size(), "limit one short of the stream: %d\n", r);

  // The stream leaves in pieces as blocks finish, not in one piece at the end.
  const std::string mix = roundtrip::mixed(1 << 20);
  Collected pieces;
  r = compress(lzh::Method::Lh7, mix, mix.size(), &pieces, &packed);
  ok(r == 1 && pieces.pieces > 4, "mixed: %d in %u pieces\n", r, (unsigned)pieces.pieces);

  Collected failing;
  failing.fail_after = 1;
  r = compress(lzh::Method::Lh7, mix, mix.size(), &failing, &packed);
  ok(r == -1 && failing.pieces == 1, "failing output: %d after %u pieces\n", r, (unsigned)failing.pieces);

  Collected none;
  ok(compress(lzh::Method::Stored, text, text.size(), &none, &packed) == -1 && none.bytes.empty(),
     "storing is not compressing\n");
}

TEST(compress_ratios) {
  // Not a benchmark: a broken match finder or table still decodes, so the
  // sizes are what show it. Limits are loose (about twice what we get).
  struct Case {
    const char* what;
    std::string data;
    lzh::Method method;
    double most;
  };
  std::vector<Case> cases;
  cases.push_back({"parts index", roundtrip::parts_index_shape(), lzh::Method::Lh5, 0.02});
  cases.push_back({"text", roundtrip::catalogue_text(200000), lzh::Method::Lh5, 0.35});
  // Noise repeated from 30 KB back is in reach of -lh6-, from 60 KB of -lh7-.
  std::string far = roundtrip::random_bytes(30000, 9);
  far += far;
  cases.push_back({"30 KB repeat lh6", far, lzh::Method::Lh6, 0.6});
  std::string farther = roundtrip::random_bytes(60000, 9);
  farther += farther;
  cases.push_back({"60 KB repeat lh7", farther, lzh::Method::Lh7, 0.6});
  for (const Case& c : cases) {
    Collected out;
    uint64_t packed = 0;
    int r = compress(c.method, c.data, c.data.size(), &out, &packed);
    double ratio = double(packed) / double(c.data.size());
    ok(r == 1 && ratio <= c.most, "%s: %d, %llu of %u bytes (%.4f)\n", c.what, r, (unsigned long long)packed,
       (unsigned)c.data.size(), ratio);
  }
  // Out of reach of the 8 KB dictionary: noise stays noise.
  Collected out;
  uint64_t packed = 0;
  ok(compress(lzh::Method::Lh5, far, far.size(), &out, &packed) == 0, "lh5 matched 30 KB back\n");
}

TEST(decoded_at_table_size_edges) {
  // The match tables shrink with the input; these sizes sit on both sides of
  // each step, and each input repeats its first half as far back as it can.
  const size_t sizes[] = {1, 2, 3, 4, 255, 256, 257, 511, 4097, 8191, 8192, 8193, 16385, 32769, 65537, 140000};
  const lzh::Method methods[] = {lzh::Method::Lh5, lzh::Method::Lh6, lzh::Method::Lh7};
  for (size_t size : sizes) {
    std::string data = roundtrip::random_bytes(size / 2 + 1, static_cast<unsigned>(size));
    data += data;
    data.resize(size);
    for (lzh::Method method : methods) {
      Collected packed;
      uint64_t packed_size = 0;
      int r = compress(method, data, UINT64_MAX, &packed, &packed_size);
      lzh::MemoryInput source = {reinterpret_cast<const uint8_t*>(packed.bytes.data()), packed.bytes.size(), 0};
      Collected out;
      int d = r == 1 ? lzh::decode(method, lzh::memory_input(&source), size, lzh::Output{collect, &out}) : 0;
      ok(r == 1 && d == lzh::kDecoded && out.bytes == data, "%s, %u bytes: compress %d, decode %d, %s\n",
         lzh::method_id(method), (unsigned)size, r, d, out.bytes == data ? "same" : "differs");
    }
  }
}

TEST(decoded_single_symbol_blocks) {
  // The first block of zeros ends after 65,535 codes, 16,776,705 bytes; the
  // second holds nothing but the same longest match at the same distance, a
  // block whose code and position tables are one symbol each.
  const std::string zeros(16776705 + 2560, '\0');
  Collected packed;
  uint64_t packed_size = 0;
  int r = compress(lzh::Method::Lh5, zeros, UINT64_MAX, &packed, &packed_size);
  lzh::MemoryInput source = {reinterpret_cast<const uint8_t*>(packed.bytes.data()), packed.bytes.size(), 0};
  Collected out;
  int d = r == 1 ? lzh::decode(lzh::Method::Lh5, lzh::memory_input(&source), zeros.size(), lzh::Output{collect, &out})
                 : 0;
  ok(r == 1 && d == lzh::kDecoded && out.bytes == zeros, "compress %d, decode %d, %u bytes back\n", r, d,
     (unsigned)out.bytes.size());
}
