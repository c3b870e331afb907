#include "store/part_data.h"

#include <cstring>

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

plat::File* open_shared(const char* path) {
  return plat::open_file(path, plat::kRead, plat::kShareRead, plat::Disposition::OpenExisting);
}

// Reads the magic area and the header; false when the file is no part data
// file. A short header reads as zeros.
bool read_header(plat::File* file, uint8_t header[kPartHeaderSize]) {
  uint8_t magic[kPartMagicArea];
  if (plat::read_at(file, 0, magic, sizeof magic) != static_cast<int64_t>(sizeof magic) ||
      std::memcmp(magic, kPartDataMagic, kMagicLength) != 0)
    return false;
  std::memset(header, 0, kPartHeaderSize);
  plat::read_at(file, kPartMagicArea, header, kPartHeaderSize);
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
  plat::File* file = open_shared(path);
  if (!file) return -1;
  bool is_part_data = read_header(file, header);
  plat::close_file(file);
  return is_part_data ? 0 : -1;
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

int read_element_stream(const char* path, std::vector<uint8_t>* stream) {
  stream->clear();
  plat::File* file = open_shared(path);
  if (!file) return -1;
  uint8_t header[kPartHeaderSize];
  if (!read_header(file, header)) {
    plat::close_file(file);
    return -1;
  }
  int32_t stream_length = parse_part_data_header(header).stream_length;
  if (stream_length <= 0) {
    plat::close_file(file);
    return 0;
  }
  // Taken bytes never pass the buffer and no element is longer than a
  // block, so no element can reach past this window unless the file ends
  // first; reading more could not change the result.
  int64_t after_header = plat::file_length(file) - kElementStreamOffset;
  if (after_header <= 0) {
    plat::close_file(file);
    return 0;
  }
  size_t window_size = kElementBufferSize + kElementBlockSize;
  if (after_header < static_cast<int64_t>(window_size))
    window_size = static_cast<size_t>(after_header);
  std::vector<uint8_t> window(window_size);
  int64_t got = plat::read_at(file, kElementStreamOffset, window.data(), window.size());
  plat::close_file(file);
  if (got <= 0) return 0;
  stream->resize(static_cast<size_t>(got) < kElementBufferSize ? static_cast<size_t>(got)
                                                               : kElementBufferSize);
  size_t taken =
      take_elements(window.data(), static_cast<size_t>(got), stream_length, stream->data());
  stream->resize(taken);
  return 0;
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

int read_sections(const char* path, int32_t stream_length, PartSections* sections) {
  *sections = PartSections();
  plat::File* file = open_shared(path);
  if (!file) return -1;
  int64_t file_size = plat::file_length(file);
  // A negative length is as if there were no stream, not a step back into
  // the header.
  int64_t table_offset = kElementStreamOffset + (stream_length > 0 ? stream_length : 0);
  uint8_t table[kSectionTableSize];
  int64_t after_table = file_size - table_offset - static_cast<int64_t>(kSectionTableSize);
  bool present = file_size >= 0 && after_table >= 0 &&
                 plat::read_at(file, table_offset, table, sizeof table) ==
                     static_cast<int64_t>(sizeof table) &&
                 lay_out_sections(table, table_offset, after_table, sections);
  if (present) {
    int64_t size = sections->size[kPartReferenceSection];
    sections->part_references.resize(static_cast<size_t>(size));
    if (size > 0 &&
        plat::read_at(file, sections->start[kPartReferenceSection],
                      sections->part_references.data(), sections->part_references.size()) != size)
      present = false;  // the file shrank under us
  }
  plat::close_file(file);
  if (!present) {
    *sections = PartSections();
    return 0;
  }
  return 1;
}

int32_t referenced_part_number(const PartSections& sections, int64_t record) {
  if (record < 0 || record >= sections.count[kPartReferenceSection]) return 0;
  return plat::get_i32(sections.part_references.data() + record * kPartReferenceRecordSize +
                       kReferencedPartNumberOffset);
}

int read_part_sections(const char* path, PartSections* sections) {
  *sections = PartSections();
  uint8_t header[kPartHeaderSize];
  if (read_part_data_header(path, header) != 0) return -1;
  PartDataHeader fields = parse_part_data_header(header);
  if (!sections_readable(fields)) return 0;
  int result = read_sections(path, fields.stream_length, sections);
  return result < 0 ? -1 : result;
}

}  // namespace store
