// Decodes every member of an archive to standard output, CRC unchecked, for
// the differential test against lhasa. Exit code 0 when every member
// decoded to its declared size.
#include <cstdio>
#include <string>

#include "archive/decode.h"
#include "archive/header.h"

namespace {

bool read_all(const char* path, std::string* bytes) {
  FILE* f = std::fopen(path, "rb");
  if (!f) return false;
  char chunk[65536];
  size_t got;
  while ((got = std::fread(chunk, 1, sizeof chunk, f)) > 0) bytes->append(chunk, got);
  std::fclose(f);
  return true;
}

bool to_stdout(void*, const uint8_t* data, size_t count) { return std::fwrite(data, 1, count, stdout) == count; }

}  // namespace

int main(int argc, char** argv) {
  std::string archive;
  if (argc != 2 || !read_all(argv[1], &archive)) return 2;
  lzh::MemorySource memory = {reinterpret_cast<const uint8_t*>(archive.data()), archive.size()};
  lzh::Source source = lzh::memory_source(&memory);
  lzh::Header header;
  int status = 0;
  for (uint64_t offset = 0; lzh::read_header(source, offset, &header) == lzh::kHeader; offset = header.next_offset) {
    if (header.next_offset > archive.size()) return 1;
    lzh::MemoryInput packed = {memory.data + header.data_offset, static_cast<size_t>(header.packed_size), 0};
    if (lzh::decode(header.method, lzh::memory_input(&packed), header.original_size, lzh::Output{to_stdout, nullptr}) !=
        lzh::kDecoded)
      status = 1;
  }
  return status;
}
