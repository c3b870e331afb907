#include "archive/header.h"

#include <cstring>
#include <vector>

#include "archive/names.h"
#include "platform/file_time.h"
#include "platform/byte_fields.h"

namespace lzh {
namespace {

// No header we accept is larger; a level 3 header could claim up to 4 GiB.
const uint64_t kLargestHeader = 1 << 20;

bool read_exact(const Source& source, uint64_t offset, uint8_t* buffer, size_t count) {
  if (offset > source.length || count > source.length - offset) return false;
  return source.read_at(source.context, offset, buffer, count) == static_cast<int64_t>(count);
}

// One extended header's data, by type.
void take_extended(Header* header, uint8_t type, const uint8_t* data, size_t size) {
  switch (type) {
    case 0x01: header->name = plat::field_text(data, size); break;
    case 0x02: header->directory = plat::field_text(data, size); break;
    case 0x42:
      // 64-bit sizes replace the 32-bit fields (levels 2 and 3 only: level 1
      // counts its extended headers in the packed size).
      if (size >= 16 && header->level >= 2) {
        header->packed_size = plat::get_u64(data);
        header->original_size = plat::get_u64(data + 8);
      }
      break;
    case 0x54:
      if (size >= 4) {
        header->has_unix_time = true;
        header->unix_time = plat::get_u32(data);
      }
      break;
    case 0x50:
      if (size >= 2) {
        header->has_unix_mode = true;
        header->unix_mode = plat::get_u16(data);
      }
      break;
  }
}

// Walks the chain of extended headers from `offset`, the first being
// `size` bytes. Size fields are `size_bytes` wide. The total of the sizes
// goes to *total. False when a header is malformed or runs off the archive.
bool read_extended(const Source& source, uint64_t offset, uint64_t size, int size_bytes,
                   Header* header, uint64_t* total) {
  std::vector<uint8_t> bytes;
  *total = 0;
  while (size != 0) {
    if (size < 1u + size_bytes || *total + size > kLargestHeader) return false;
    bytes.resize(static_cast<size_t>(size));
    if (!read_exact(source, offset, bytes.data(), bytes.size())) return false;
    const uint8_t* next = bytes.data() + size - size_bytes;
    take_extended(header, bytes[0], bytes.data() + 1, static_cast<size_t>(size) - 1 - size_bytes);
    offset += size;
    *total += size;
    size = size_bytes == 2 ? plat::get_u16(next) : plat::get_u32(next);
  }
  return true;
}

bool looks_like_method(const uint8_t* id) { return id[0] == '-' && id[4] == '-'; }

int read_level0_or_1(const Source& source, uint64_t offset, const uint8_t* head, Header* header) {
  // head[0] counts the bytes after the first two; the checksum covers them.
  size_t base = head[0] + 2u;
  if (base < 22) return kBadHeader;
  uint8_t bytes[257];
  if (!read_exact(source, offset, bytes, base)) return kBadHeader;
  uint8_t sum = 0;
  for (size_t i = 2; i < base; ++i) sum = static_cast<uint8_t>(sum + bytes[i]);
  if (sum != bytes[1]) return kBadHeader;

  size_t name_length = bytes[21];
  if (22 + name_length > base) return kBadHeader;
  header->name = plat::field_text(bytes + 22, name_length);
  size_t after_name = 22 + name_length;
  if (after_name + 2 <= base) {
    header->has_crc = true;
    header->crc = plat::get_u16(bytes + after_name);
  }
  if (after_name + 3 <= base) header->os = bytes[after_name + 2];
  uint64_t data = offset + base;

  if (header->level == 1) {
    // The base header ends with the CRC, the system letter and the size of
    // the first extended header.
    if (after_name + 5 > base) return kBadHeader;
    uint64_t extended = 0;
    if (!read_extended(source, data, plat::get_u16(bytes + base - 2), 2, header, &extended))
      return kBadHeader;
    if (extended > header->packed_size) return kBadHeader;
    header->packed_size -= extended;
    data += extended;
  }
  header->data_offset = data;
  return kHeader;
}

int read_level2(const Source& source, uint64_t offset, const uint8_t* head, Header* header) {
  uint64_t total = plat::get_u16(head);
  if (total < 26) return kBadHeader;
  header->has_crc = true;
  header->crc = plat::get_u16(head + 21);
  header->os = head[23];
  uint64_t extended = 0;
  if (!read_extended(source, offset + 26, plat::get_u16(head + 24), 2, header, &extended))
    return kBadHeader;
  // The extended headers end where the size field says, or one byte before
  // it: writers pad a header whose size would have a zero low byte, which
  // reads as the end mark. The OS-9/68k writer ('K') counts the header
  // without its own two-byte size field, so its headers end two bytes after
  // the size. Any other difference is damage.
  uint64_t end = 26 + extended;
  if (header->os == 'K' && end == total + 2) total = end;
  if (end > total || total - end > 1) return kBadHeader;
  header->data_offset = offset + total;
  return kHeader;
}

int read_level3(const Source& source, uint64_t offset, const uint8_t* head, Header* header) {
  uint8_t more[32];
  if (plat::get_u16(head) != 4 || !read_exact(source, offset, more, sizeof more)) return kBadHeader;
  uint64_t total = plat::get_u32(more + 24);
  if (total < 32 || total > kLargestHeader) return kBadHeader;
  header->has_crc = true;
  header->crc = plat::get_u16(head + 21);
  header->os = head[23];
  uint64_t extended = 0;
  if (!read_extended(source, offset + 32, plat::get_u32(more + 28), 4, header, &extended))
    return kBadHeader;
  if (32 + extended > total) return kBadHeader;
  header->data_offset = offset + total;
  return kHeader;
}

int64_t read_memory(void* context, uint64_t offset, void* buffer, size_t count) {
  auto* memory = static_cast<MemorySource*>(context);
  if (offset >= memory->size) return 0;
  size_t left = memory->size - static_cast<size_t>(offset);
  if (count > left) count = left;
  std::memcpy(buffer, memory->data + offset, count);
  return static_cast<int64_t>(count);
}

}  // namespace

int read_header(const Source& source, uint64_t offset, Header* header) {
  *header = Header();
  if (offset >= source.length) return kEnd;
  uint8_t head[26] = {0};
  if (source.read_at(source.context, offset, head, 1) != 1) return kBadHeader;
  if (head[0] == 0) return kEnd;
  // Levels 0 and 1 may be as short as 22 bytes; 2 and 3 have 26 fixed bytes.
  if (!read_exact(source, offset, head, 22) || !looks_like_method(head + 2)) return kBadHeader;
  if (head[20] >= 2 && !read_exact(source, offset, head, sizeof head)) return kBadHeader;

  std::memcpy(header->method_id, head + 2, 5);
  header->method = method_from_id(head + 2);
  header->packed_size = plat::get_u32(head + 7);
  header->original_size = plat::get_u32(head + 11);
  header->level = head[20];
  if (header->level >= 2) {
    header->has_unix_time = true;
    header->unix_time = plat::get_u32(head + 15);
  } else {
    header->dos_time = plat::get_u32(head + 15);
  }
  int result;
  switch (header->level) {
    case 0:
    case 1: result = read_level0_or_1(source, offset, head, header); break;
    case 2: result = read_level2(source, offset, head, header); break;
    case 3: result = read_level3(source, offset, head, header); break;
    default: return kBadHeader;
  }
  if (result != kHeader) return result;
  // The Amiga writer ('A') stores some directories as empty -lh0- members
  // with a path and no file name; they are directories, not files.
  if (header->os == 'A' && header->method == Method::Stored && header->original_size == 0 &&
      last_path_element(header->name).empty())
    header->method = Method::Directory;
  header->next_offset = header->data_offset + header->packed_size;
  if (header->next_offset < header->data_offset) return kBadHeader;
  return kHeader;
}

Source memory_source(MemorySource* memory) { return Source{read_memory, memory, memory->size}; }

uint64_t write_filetime(const Header& header) {
  if (header.has_unix_time) return plat::filetime_from_unix(header.unix_time);
  plat::CivilTime local;
  uint64_t filetime = 0;
  if (plat::civil_from_dos(header.dos_time, &local)) plat::filetime_from_local(local, &filetime);
  return filetime;
}

bool is_directory_or_link(const Header& header) {
  if (header.method == Method::Directory) return true;
  // Unix file types beside regular files: directory 0x4000, link 0xA000.
  return header.has_unix_mode && (header.unix_mode & 0xF000) != 0 &&
         (header.unix_mode & 0xF000) != 0x8000;
}

}  // namespace lzh
