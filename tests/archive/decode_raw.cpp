// Decodes every member of an archive to standard output, CRC unchecked, for
// the differential test against lhasa. Exit code 0 when every member
// decoded to its declared size.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "archive/decode.h"
#include "archive/header.h"

static bool to_stdout(void*, const uint8_t* data, size_t count) {
  return std::fwrite(data, 1, count, stdout) == count;
}

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  std::ifstream file(argv[1], std::ios::binary);
  const std::string archive((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  lzh::MemorySource memory = {reinterpret_cast<const uint8_t*>(archive.data()), archive.size()};
  lzh::Header header;
  int status = file ? 0 : 2;
  for (uint64_t at = 0; lzh::read_header(lzh::memory_source(&memory), at, &header) == lzh::kHeader;
       at = header.next_offset) {
    if (header.next_offset > archive.size()) return 1;
    lzh::MemoryInput packed = {memory.data + header.data_offset, static_cast<size_t>(header.packed_size), 0};
    if (lzh::decode(header.method, lzh::memory_input(&packed), header.original_size,
                    lzh::Output{to_stdout, nullptr}) != lzh::kDecoded)
      status = 1;
  }
  return status;
}
