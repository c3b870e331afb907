// Element streams of hostile part data files. An input that begins with
// "PT-V01" is taken as a whole file; any other input is a stream length
// (first 4 bytes) and the bytes after the header, so short inputs reach the
// element walk.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz/file_fuzz.h"
#include "platform/byte_fields.h"
#include "store/part_data.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string input(reinterpret_cast<const char*>(data), data ? size : 0);
  std::string file;
  if (input.compare(0, 6, "PT-V01") == 0) {
    file = input;
  } else {
    int32_t length = input.size() >= 4 ? plat::get_i32(data) : 0;
    file = fuzzing::part_head(length, 20, 2160) + (input.size() > 4 ? input.substr(4) : "");
  }
  const std::string path = fuzzing::scratch_file("P.BHN", file);

  std::vector<uint8_t> stream;
  int result = store::read_element_stream(path.c_str(), &stream);
  fuzzing::expect(result == -1 || result == 0);
  if (result == -1) {
    fuzzing::expect(stream.empty());
    return 0;
  }
  // Whole elements, copied in order from the stream's start.
  fuzzing::expect(stream.size() <= store::kElementBufferSize);
  fuzzing::expect(stream.empty() || file.size() >= 2168 + stream.size());
  fuzzing::expect(stream.empty() ||
                  std::memcmp(stream.data(), file.data() + 2168, stream.size()) == 0);
  // Each element was taken whole: lengths add up to the stream's end.
  size_t at = 0;
  while (stream.size() - at >= 5) {
    size_t length = plat::get_u16(stream.data() + at + 3);
    fuzzing::expect(length >= 1 && length <= store::kElementBlockSize);
    at += length;
  }
  fuzzing::expect(at <= stream.size());
  std::vector<int32_t> parts;
  store::stream_part_references(stream.data(), stream.size(), &parts);
  for (int32_t part : parts) fuzzing::expect(part >= 0 && part <= 0xFFFF);

  // The walk over an exactly sized copy agrees with the file read.
  if (file.size() >= 2168) {
    std::vector<uint8_t> bytes(file.begin() + 2168, file.end());
    std::vector<uint8_t> out(bytes.size() < store::kElementBufferSize ? bytes.size() + 1
                                                                      : store::kElementBufferSize);
    int32_t length = plat::get_i32(reinterpret_cast<const uint8_t*>(file.data()) + 12);
    size_t taken = store::take_elements(bytes.data(), bytes.size(), length, out.data());
    fuzzing::expect(taken == stream.size());
  }
  return 0;
}
