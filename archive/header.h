// Member headers of levels 0 to 3, read field by field at their offsets.
//
// Level 0 and 1 open with a one-byte header size and a byte checksum; the
// name (with its path) is in the base header. Level 1 and 2 continue with
// extended headers: a type byte, data, and the two-byte size of the next
// one (level 3: four-byte sizes). Level 1 counts its extended headers in the
// packed size; level 2 and 3 give the whole header's size up front.
#pragma once
#include <cstdint>
#include <string>

#include "archive/decode.h"

namespace lzh {

// The archive's bytes, read by absolute offset.
struct Source {
  // Bytes read (short at the end of the archive), or -1.
  int64_t (*read_at)(void* context, uint64_t offset, void* buffer, size_t count);
  void* context;
  uint64_t length;
};

struct Header {
  uint8_t method_id[5];
  Method method;
  int level;
  uint64_t packed_size;  // of the data that follows the header
  uint64_t original_size;
  uint16_t crc;  // CRC-16 of the original bytes
  bool has_crc;  // the shortest level 0 headers have none
  uint8_t os;    // the creating system's letter, 0 when absent
  bool has_unix_mode;
  uint16_t unix_mode;
  // Last write: levels 2 and 3 store Unix time; levels 0 and 1 an MS-DOS
  // local time, or Unix time in an extended header.
  bool has_unix_time;
  uint32_t unix_time;
  uint32_t dos_time;
  std::string name;       // as stored, up to a NUL; levels 0 and 1 keep their path in it
  std::string directory;  // the directory header's bytes, 0xFF separators
  uint64_t data_offset;   // where the packed data begins
  uint64_t next_offset;   // where the next header begins
};

enum HeaderResult { kHeader = 1, kEnd = 0, kBadHeader = -1 };

// Reads the header at `offset`. kEnd at the end mark (a zero byte) or the end
// of the archive; kBadHeader for anything that is not a sound header.
int read_header(const Source& source, uint64_t offset, Header* header);

// A Source over bytes in memory.
struct MemorySource {
  const uint8_t* data;
  size_t size;
};
Source memory_source(MemorySource* memory);

// The member's last-write time as a Windows file time (100 ns since 1601,
// UTC); MS-DOS times are taken as local time. 0 when the header has none or
// its MS-DOS stamp is no valid date and time.
uint64_t write_filetime(const Header& header);

// True for members that are not files: directories and symbolic links.
bool is_directory_or_link(const Header& header);

}  // namespace lzh
