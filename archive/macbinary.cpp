#include "archive/macbinary.h"

namespace lzh {
namespace {

uint32_t get_be32(const uint8_t* p) {
  return (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) |
         (static_cast<uint32_t>(p[2]) << 8) | p[3];
}

bool all_zero(const uint8_t* p, size_t count) {
  for (size_t i = 0; i < count; ++i)
    if (p[i] != 0) return false;
  return true;
}

// The member's time in seconds since 1970, or 0 when it has none.
uint64_t unix_seconds(const Header& header) {
  const uint64_t kUnixEpoch = 116444736000000000ull;  // 1970 in 100 ns since 1601
  uint64_t filetime = write_filetime(header);
  return filetime > kUnixEpoch ? (filetime - kUnixEpoch) / 10000000 : 0;
}

}  // namespace

bool macbinary_fork(const uint8_t* head, const Header& header, const std::string& name,
                    uint64_t* fork) {
  // 0: version, 1: name length, 2-64: name, 0x4A and 0x52: reserved,
  // 0x53: data fork length, 0x57: resource fork length (big-endian),
  // 0x5F: modification time, 0x63-0x7F: comment length and MacBinary II
  // fields, which this writer leaves zero.
  const size_t name_length = head[1];
  if (head[0] != 0 || head[0x4A] != 0 || head[0x52] != 0 || !all_zero(head + 0x63, 0x80 - 0x63))
    return false;
  if (name_length > 63 || name_length != name.size() ||
      name.compare(0, name_length, reinterpret_cast<const char*>(head + 2), name_length) != 0 ||
      !all_zero(head + 2 + name_length, 63 - name_length))
    return false;
  const uint64_t data = get_be32(head + 0x53), resource = get_be32(head + 0x57);
  if (((kMacBinaryHeader + data + resource + 127) & ~uint64_t(127)) != header.original_size)
    return false;
  const uint64_t kMacEpoch = 2082844800;  // 1904 to 1970, in seconds
  const uint64_t modified = get_be32(head + 0x5F), member = unix_seconds(header);
  if (modified < kMacEpoch || member == 0) return false;
  const uint64_t zone = modified - kMacEpoch > member ? modified - kMacEpoch - member
                                                      : member - (modified - kMacEpoch);
  if (zone > 14 * 3600) return false;
  *fork = data > 0 ? data : resource;
  return true;
}

}  // namespace lzh
