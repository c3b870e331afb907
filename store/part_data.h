// Part data files of the current format ("PT-V01"), read as far as the
// program needs them: the header, the element stream and the trailing
// sections whose part reference records name further parts.
//
//   0      8       magic area, "PT-V01" in bytes 0-5
//   8      2160    header
//   2168   L       element stream (L from the header)
//   2168+L 32      eight 32-bit section sizes s0..s7
//   2200+L ...     sections 0..7 back to back
//
// These files come from the network: every length in them is checked against
// the bytes actually there before anything is read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace store {

constexpr size_t kPartMagicArea = 8;
constexpr size_t kPartHeaderSize = 2160;
constexpr int64_t kElementStreamOffset = 2168;  // magic area + header
// The largest stream the program takes from one file.
constexpr size_t kElementBufferSize = 1179664;
// Files are read in blocks of this size; no element may be longer.
constexpr size_t kElementBlockSize = 4096;

// Element fields.
constexpr size_t kElementLengthOffset = 3;  // u16, the whole element's length
constexpr size_t kElementTypeOffset = 5;    // u16
constexpr size_t kElementMinimumHead = 5;   // bytes that must remain to read a length
constexpr uint16_t kPartReferenceElement = 71;
constexpr size_t kReferencedPartOffset = 47;  // u16 in a part reference element

// Header fields the program uses (offsets within the 2160-byte header).
struct PartDataHeader {
  int32_t stream_length;  // offset 4; 0 or less: no stream
  int32_t section_gate;   // offset 8; sections are read only from 20 up
  int16_t header_size;    // offset 16; sections are read only when 2160
};
PartDataHeader parse_part_data_header(const uint8_t* header);
bool sections_readable(const PartDataHeader& header);

// 0 and the header (zero where the file ends early), or -1 when the file
// cannot be opened or does not begin with "PT-V01".
int read_part_data_header(const char* path, uint8_t header[kPartHeaderSize]);

// Takes elements from stream_bytes (the file's bytes from offset 2168 on)
// into buffer, which holds kElementBufferSize bytes or stream_size if that
// is less (no more can be taken); gives the bytes taken.
// Stops when L is reached, at an element of length 0, when fewer than 5
// bytes remain, at an element longer than a block or reaching past the
// bytes, and at one that would not fit into the buffer.
size_t take_elements(const uint8_t* stream_bytes, size_t stream_size, int32_t stream_length,
                     uint8_t* buffer);

// 0 and the stream (stream->size() bytes, at most kElementBufferSize; none
// when L is 0 or less), or -1 when the file cannot be read or is no part
// data; from a file, or from a whole file's bytes.
int read_element_stream(const char* path, std::vector<uint8_t>* stream);
int element_stream_of(const uint8_t* file, size_t size, std::vector<uint8_t>* stream);

// The part numbers named by the part reference elements of a stream, in
// order. The walk goes from element to element by their lengths and stops at
// one of length 0 or at the stream's end; a field that would lie past the
// end is not read (an element may be shorter than its own fields).
void stream_part_references(const uint8_t* stream, size_t size, std::vector<int32_t>* parts);

constexpr int kSectionCount = 8;
constexpr int kPartReferenceSection = 7;
constexpr size_t kSectionTableSize = 32;
constexpr size_t kPartReferenceRecordSize = 49;
constexpr size_t kReferencedPartNumberOffset = 45;  // i32 in a part reference record

struct PartSections {
  bool present = false;
  int64_t start[kSectionCount] = {};  // file offsets
  int64_t size[kSectionCount] = {};   // bytes
  // Records for sections 2-5 and 7 (12, 12, 13, 8 and 49 bytes each),
  // bytes for sections 0, 1 and 6.
  int64_t count[kSectionCount] = {};
  std::vector<uint8_t> part_references;  // the bytes of section 7
};

// Places the sections described by the table at table_offset, given how
// many bytes of the file follow the table. False, with nothing present, when
// a size is negative or the sections reach past those bytes.
bool lay_out_sections(const uint8_t table[kSectionTableSize], int64_t table_offset,
                      int64_t bytes_after_table, PartSections* sections);

// The part number of part reference record n (below count[7]).
int32_t referenced_part_number(const PartSections& sections, int64_t record);

// The header, then the sections that follow the stream when the header
// allows them: 1 read, 0 left unread or absent, -1 not a part data file or
// not readable; from a file, or from a whole file's bytes.
int read_part_sections(const char* path, PartSections* sections);
int part_sections_of(const uint8_t* file, size_t size, PartSections* sections);

}  // namespace store
