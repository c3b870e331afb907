#include "tests/support/part_data_file.h"

#include "platform/byte_fields.h"
#include "store/part_files.h"
#include "tests/support/scratch.h"

namespace oktest {
namespace {

void put32(std::string* bytes, size_t at, uint32_t value) {
  plat::put_u32(reinterpret_cast<uint8_t*>(&(*bytes)[at]), value);
}

}  // namespace

std::string part_data(const std::string& tag, uint16_t element_ref, int32_t section_ref) {
  std::string stream;
  if (element_ref) {
    stream.assign(49, 'e');
    stream[3] = 49, stream[4] = 0, stream[5] = 71, stream[6] = 0;
    stream[47] = static_cast<char>(element_ref & 0xFF);
    stream[48] = static_cast<char>(element_ref >> 8);
  }
  std::string bytes = std::string("PT-V01\0\0", 8) + std::string(2160, '\0') + stream;
  put32(&bytes, 12, static_cast<uint32_t>(stream.size()));  // stream length
  put32(&bytes, 16, 20);                                    // section gate
  put32(&bytes, 24, 2160);                                  // header size
  std::string table(32, '\0'), record;
  if (section_ref) {
    put32(&table, 28, 49);
    record.assign(49, '\0');
    put32(&record, 45, static_cast<uint32_t>(section_ref));
  }
  return bytes + table + record + tag;
}

std::string part_file(const std::string& dir, int32_t part) {
  return store::part_file_path(dir.c_str(), store::PartFileVariant::Current, part);
}

bool put_part_file(const std::string& dir, int32_t part, const std::string& bytes) {
  store::create_part_folder(dir.c_str(), part);
  return put_file(part_file(dir, part), bytes);
}

}  // namespace oktest
