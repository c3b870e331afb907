#include "store/part_data.h"

#include <cstring>
#include <string>

#include "platform/files.h"
#include "platform/byte_fields.h"

namespace store {

namespace {

const char kPartDataMagic[] = "PT-V01";
constexpr size_t kMagicLength = 6;
constexpr size_t kStreamLengthField = 4;
constexpr size_t kSectionGateField = 8;
constexpr size_t kHeaderSizeField = 16;
constexpr int32_t kLowestSectionGate = 20;

// Bytes per record of each section; 1 where the section is counted in bytes.
const int64_t kSectionRecordSize[kSectionCount] = {1, 1, 12, 12, 13, 8, 1, 49};

// The magic area and the header of a file's bytes; false when they are no
// part data. A short header reads as zeros.
bool header_of(const uint8_t* file, size_t size, uint8_t header[kPartHeaderSize]) {
  if (size < kPartMagicArea || std::memcmp(file, kPartDataMagic, kMagicLength) != 0) return false;
  std::memset(header, 0, kPartHeaderSize);
  size_t present = size - kPartMagicArea;
  std::memcpy(header, file + kPartMagicArea, present < kPartHeaderSize ? present : kPartHeaderSize);
  return true;
}

}  // namespace

PartDataHeader parse_part_data_header(const uint8_t* header) {
  PartDataHeader fields;
  fields.stream_length = plat::get_i32(header + kStreamLengthField);
  fields.section_gate = plat::get_i32(header + kSectionGateField);
  fields.header_size = plat::get_i16(header + kHeaderSizeField);
  return fields;
}

bool sections_readable(const PartDataHeader& header) {
  return header.section_gate >= kLowestSectionGate &&
         header.header_size == static_cast<int16_t>(kPartHeaderSize);
}

int read_part_data_header(const char* path, uint8_t header[kPartHeaderSize]) {
  plat::File* file =
      plat::open_file(path, plat::kRead, plat::kShareRead, plat::Disposition::OpenExisting);
  if (!file) return -1;
  uint8_t head[kElementStreamOffset];
  int64_t got = plat::read_at(file, 0, head, sizeof head);
  plat::close_file(file);
  return got > 0 && header_of(head, static_cast<size_t>(got), header) ? 0 : -1;
}

size_t take_elements(const uint8_t* stream_bytes, size_t stream_size, int32_t stream_length,
                     uint8_t* buffer) {
  if (stream_length <= 0) return 0;
  size_t taken = 0;
  // Elements follow each other without gaps, so an element starts where the
  // bytes taken so far end.
  while (taken < static_cast<size_t>(stream_length)) {
    if (stream_size - taken < kElementMinimumHead) break;
    size_t length = plat::get_u16(stream_bytes + taken + kElementLengthOffset);
    if (length < 1) break;
    if (length > kElementBlockSize || length > stream_size - taken) break;
    if (length > kElementBufferSize - taken) break;
    std::memcpy(buffer + taken, stream_bytes + taken, length);
    taken += length;
  }
  return taken;
}

int element_stream_of(const uint8_t* file, size_t size, std::vector<uint8_t>* stream) {
  stream->clear();
  uint8_t header[kPartHeaderSize];
  if (!header_of(file, size, header)) return -1;
  int32_t stream_length = parse_part_data_header(header).stream_length;
  if (stream_length <= 0 || size <= static_cast<size_t>(kElementStreamOffset)) return 0;
  size_t after_header = size - static_cast<size_t>(kElementStreamOffset);
  stream->resize(after_header < kElementBufferSize ? after_header : kElementBufferSize);
  stream->resize(
      take_elements(file + kElementStreamOffset, after_header, stream_length, stream->data()));
  return 0;
}

int read_element_stream(const char* path, std::vector<uint8_t>* stream) {
  std::string bytes;
  stream->clear();
  if (!plat::read_file(path, &bytes)) return -1;
  return element_stream_of(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), stream);
}

void stream_part_references(const uint8_t* stream, size_t size, std::vector<int32_t>* parts) {
  parts->clear();
  size_t at = 0;
  while (size - at >= kElementMinimumHead) {
    size_t length = plat::get_u16(stream + at + kElementLengthOffset);
    if (length < 1) break;
    if (size - at >= kReferencedPartOffset + 2 &&
        plat::get_u16(stream + at + kElementTypeOffset) == kPartReferenceElement)
      parts->push_back(plat::get_u16(stream + at + kReferencedPartOffset));
    if (length > size - at) break;
    at += length;
  }
}

bool lay_out_sections(const uint8_t table[kSectionTableSize], int64_t table_offset,
                      int64_t bytes_after_table, PartSections* sections) {
  sections->present = false;
  sections->part_references.clear();
  int64_t at = table_offset + static_cast<int64_t>(kSectionTableSize);
  int64_t total = 0;
  for (int i = 0; i < kSectionCount; ++i) {
    int32_t size = plat::get_i32(table + 4 * i);
    // A negative size is no size at all; eight sizes below 2^31 cannot
    // overflow a 64-bit sum.
    if (size < 0) return false;
    sections->start[i] = at + total;
    sections->size[i] = size;
    sections->count[i] = size / kSectionRecordSize[i];
    total += size;
  }
  if (total > bytes_after_table) return false;
  sections->present = true;
  return true;
}

int32_t referenced_part_number(const PartSections& sections, int64_t record) {
  if (record < 0 || record >= sections.count[kPartReferenceSection]) return 0;
  return plat::get_i32(sections.part_references.data() + record * kPartReferenceRecordSize +
                       kReferencedPartNumberOffset);
}

int part_sections_of(const uint8_t* file, size_t size, PartSections* sections) {
  *sections = PartSections();
  uint8_t header[kPartHeaderSize];
  if (!header_of(file, size, header)) return -1;
  PartDataHeader fields = parse_part_data_header(header);
  if (!sections_readable(fields)) return 0;
  // A negative length is as if there were no stream, not a step back into
  // the header.
  int64_t table_offset =
      kElementStreamOffset + (fields.stream_length > 0 ? fields.stream_length : 0);
  int64_t after_table =
      static_cast<int64_t>(size) - table_offset - static_cast<int64_t>(kSectionTableSize);
  if (after_table < 0 ||
      !lay_out_sections(file + table_offset, table_offset, after_table, sections)) {
    *sections = PartSections();
    return 0;
  }
  const uint8_t* references = file + sections->start[kPartReferenceSection];
  sections->part_references.assign(
      references, references + static_cast<size_t>(sections->size[kPartReferenceSection]));
  return 1;
}

int read_part_sections(const char* path, PartSections* sections) {
  std::string bytes;
  *sections = PartSections();
  if (!plat::read_file(path, &bytes)) return -1;
  return part_sections_of(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), sections);
}

}  // namespace store
