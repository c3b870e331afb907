// The member header reader and the name checks on arbitrary archives: every
// header is walked as extraction walks them, and each name is reduced and
// judged. A name judged safe must be a single element that cannot reach
// outside the folder.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "archive/header.h"
#include "archive/names.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  lzh::MemorySource memory = {data, size};
  lzh::Source source = lzh::memory_source(&memory);
  lzh::Header header;
  uint64_t offset = 0;
  while (lzh::read_header(source, offset, &header) == lzh::kHeader) {
    if (header.next_offset <= offset || header.data_offset < offset) std::abort();
    std::string name = lzh::last_path_element(header.name);
    if (!lzh::unsafe_name_reason(name)) {
      if (name == "." || name == ".." || name.empty()) std::abort();
      if (name.find('/') != std::string::npos || name.find(':') != std::string::npos) std::abort();
    }
    offset = header.next_offset;
  }
  return 0;
}
