// Encoder against decoder: whatever the encoder writes, the library's own
// decoder must turn back into exactly the input, and a size limit one byte
// short of the stream must stop the encoder without handing over more.
// Input: a byte whose low two bits choose -lh5-, -lh6- or -lh7- and whose
// other six bits ask for that many extra copies of the rest (each
// copy a little changed), so short inputs still make long matches and
// several blocks; then the bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "archive/decode.h"
#include "archive/lzh_encoder.h"

namespace {

bool append(void* context, const uint8_t* data, size_t count) {
  static_cast<std::string*>(context)->append(reinterpret_cast<const char*>(data), count);
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  static const lzh::Method kMethods[] = {lzh::Method::Lh5, lzh::Method::Lh6, lzh::Method::Lh7,
                                         lzh::Method::Lh5};
  const lzh::Method method = kMethods[data[0] & 3];
  const unsigned stretch = data[0] >> 2;
  const std::string piece(reinterpret_cast<const char*>(data + 1), size - 1);
  std::string input = piece;
  for (unsigned copy = 1; copy <= stretch && input.size() + piece.size() <= (1u << 15); ++copy) {
    input += piece;
    if (!piece.empty())
      input[input.size() - piece.size() + copy % piece.size()] ^= static_cast<char>(copy);
  }

  const uint8_t* bytes = reinterpret_cast<const uint8_t*>(input.data());
  std::string packed;
  uint64_t packed_size = 0;
  if (lzh::compress(method, bytes, input.size(), UINT64_MAX, lzh::Output{append, &packed},
                    &packed_size) != 1)
    std::abort();
  if (packed_size != packed.size()) std::abort();

  std::string decoded;
  lzh::MemoryInput source = {reinterpret_cast<const uint8_t*>(packed.data()), packed.size(), 0};
  if (lzh::decode(method, lzh::memory_input(&source), input.size(),
                  lzh::Output{append, &decoded}) != lzh::kDecoded)
    std::abort();
  if (decoded != input) std::abort();

  if (packed_size > 0) {
    std::string cut;
    uint64_t ignored = 0;
    int r = lzh::compress(method, bytes, input.size(), packed_size - 1, lzh::Output{append, &cut},
                          &ignored);
    if (r != 0 || cut.size() > packed_size - 1) std::abort();
  }
  return 0;
}
