#include "archive/decode.h"

#include <cstring>

#include "archive/bit_reader.h"
#include "archive/history.h"

namespace lzh {

Method method_from_id(const uint8_t id[5]) {
  if (id[0] != '-' || id[4] != '-') return Method::Unknown;
  if (id[1] == 'l' && id[2] == 'h') {
    switch (id[3]) {
      case '0': return Method::Stored;
      case '1': return Method::Lh1;
      case '4': return Method::Lh4;
      case '5': return Method::Lh5;
      case '6': return Method::Lh6;
      case '7': return Method::Lh7;
      case 'd': return Method::Directory;
    }
  } else if (id[1] == 'l' && id[2] == 'z') {
    switch (id[3]) {
      case '4': return Method::Stored;
      case '5': return Method::Lz5;
      case 's': return Method::Lzs;
    }
  }
  return Method::Unknown;
}

namespace {

int copy_stored(Input input, uint64_t size, Output output) {
  uint8_t buffer[65536];
  while (size > 0) {
    size_t want = size < sizeof buffer ? static_cast<size_t>(size) : sizeof buffer;
    size_t got = input.read(input.context, buffer, want);
    if (got == 0) return kCorrupt;
    if (!output.write(output.context, buffer, got)) return kOutputFailed;
    size -= got;
  }
  return kDecoded;
}

}  // namespace

int decode(Method method, Input input, uint64_t size, Output output) {
  if (method == Method::Stored) return copy_stored(input, size, output);
  int result;
  if (method == Method::Lz5) {
    History history(4096, 0, 18, output, size);
    result = decode_lz5(input, history);
    if (result == kDecoded && !history.flush()) result = kOutputFailed;
    return result;
  }
  BitReader in(input);
  switch (method) {
    case Method::Lh1: {
      History history(4096, ' ', 60, output, size);
      result = decode_adaptive_huffman(in, history);
      if (result == kDecoded && !history.flush()) result = kOutputFailed;
      break;
    }
    case Method::Lh4:
    case Method::Lh5:
    case Method::Lh6:
    case Method::Lh7: {
      // The position codes bound the distance: 2^(codes-1) bytes at most,
      // which is the dictionary for -lh5- to -lh7- (-lh4- gets room to spare).
      int codes = method == Method::Lh6 ? 16 : method == Method::Lh7 ? 17 : 14;
      History history(size_t(1) << (codes - 1), ' ', 256, output, size);
      result = decode_static_huffman(in, history, codes, codes > 14 ? 5 : 4);
      if (result == kDecoded && !history.flush()) result = kOutputFailed;
      break;
    }
    case Method::Lzs: {
      History history(2048, ' ', 17, output, size);
      result = decode_lzs(in, history);
      if (result == kDecoded && !history.flush()) result = kOutputFailed;
      break;
    }
    default: return kCorrupt;
  }
  if (result == kDecoded && in.exhausted()) result = kCorrupt;
  return result;
}

}  // namespace lzh

namespace lzh {
namespace {

size_t read_memory(void* context, uint8_t* buffer, size_t count) {
  auto* source = static_cast<MemoryInput*>(context);
  size_t left = source->size - source->position;
  if (count > left) count = left;
  if (count) std::memcpy(buffer, source->data + source->position, count);
  source->position += count;
  return count;
}

}  // namespace

Input memory_input(MemoryInput* source) { return Input{read_memory, source}; }

}  // namespace lzh
