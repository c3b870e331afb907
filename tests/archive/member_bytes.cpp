#include "tests/archive/member_bytes.h"

#include <vector>

#include "archive/crc16.h"

namespace lzhtest {
namespace {

uint32_t original_of(const Member& m) {
  return m.original_size ? m.original_size : static_cast<uint32_t>(m.data.size());
}

uint16_t stored_crc(const Member& m) {
  return m.crc >= 0 ? static_cast<uint16_t>(m.crc) : crc_of(m.data);
}

// Fields shared by every level from offset 2 to 20: method, packed size,
// original size, time, attribute.
std::string common_fields(const Member& m, uint32_t packed, uint8_t attribute) {
  std::string bytes = m.method.substr(0, 5);
  bytes += le32(packed);
  bytes += le32(original_of(m));
  bytes += le32(0x4B3C2100);  // a time stamp
  bytes += static_cast<char>(attribute);
  return bytes;
}

// Extended headers as a chain: each entry is type + data; the size of the
// next one follows each (and the first size is returned separately).
std::vector<std::string> extended_list(const Member& m, bool with_name) {
  std::vector<std::string> list;
  if (with_name) list.push_back(std::string(1, '\x01') + m.name);
  if (!m.directory.empty()) list.push_back(std::string(1, '\x02') + m.directory);
  // `extra` holds entries made by extended(): type byte, then data; the size
  // of each is its first two bytes.
  size_t at = 0;
  while (at + 2 <= m.extra.size()) {
    uint32_t size = static_cast<uint8_t>(m.extra[at]) | (static_cast<uint8_t>(m.extra[at + 1]) << 8);
    list.push_back(m.extra.substr(at + 2, size));
    at += 2 + size;
  }
  return list;
}

// The chain written with `size_bytes`-wide sizes; *first gets the first size.
std::string chain(const std::vector<std::string>& list, int size_bytes, uint32_t* first) {
  std::string bytes;
  *first = list.empty() ? 0 : static_cast<uint32_t>(list[0].size() + size_bytes);
  for (size_t i = 0; i < list.size(); ++i) {
    bytes += list[i];
    uint32_t next = i + 1 < list.size() ? static_cast<uint32_t>(list[i + 1].size() + size_bytes) : 0;
    bytes += size_bytes == 2 ? le16(next) : le32(next);
  }
  return bytes;
}

std::string with_size_and_sum(std::string body) {
  uint8_t sum = 0;
  for (char c : body) sum = static_cast<uint8_t>(sum + static_cast<uint8_t>(c));
  return std::string(1, static_cast<char>(body.size())) + static_cast<char>(sum) + body;
}

}  // namespace

std::string le16(uint32_t v) { return {static_cast<char>(v), static_cast<char>(v >> 8)}; }
std::string le32(uint32_t v) { return le16(v) + le16(v >> 16); }

uint16_t crc_of(const std::string& bytes) {
  return lzh::crc16_update(0, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

std::string extended(uint8_t type, const std::string& data) {
  return le16(static_cast<uint32_t>(data.size() + 1)) + static_cast<char>(type) + data;
}

std::string level0(const Member& m) {
  // 2: method, 7: packed, 11: original, 15: time, 19: attribute, 20: level 0,
  // 21: name length, 22: name, then CRC-16 and the system letter.
  std::string body = common_fields(m, static_cast<uint32_t>(m.data.size()), 0x20);
  body += '\0';
  body += static_cast<char>(m.name.size());
  body += m.name;
  body += le16(stored_crc(m));
  return with_size_and_sum(body) + m.data;
}

std::string level1(const Member& m) {
  // As level 0 up to the CRC, then the system letter and the size of the
  // first extended header; the packed size counts the extended headers.
  uint32_t first = 0;
  std::string ext = chain(extended_list(m, false), 2, &first);
  std::string body = common_fields(m, static_cast<uint32_t>(m.data.size() + ext.size()), 0x20);
  body += '\x01';
  body += static_cast<char>(m.name.size());
  body += m.name;
  body += le16(stored_crc(m));
  body += static_cast<char>(m.os);
  body += le16(first);
  return with_size_and_sum(body) + ext + m.data;
}

std::string level2(const Member& m) {
  // 0: whole header size, 2: method, 7: packed, 11: original, 15: time,
  // 19: reserved, 20: level 2, 21: CRC-16, 23: system, 24: first size.
  uint32_t first = 0;
  std::string ext = chain(extended_list(m, true), 2, &first);
  std::string tail = common_fields(m, static_cast<uint32_t>(m.data.size()), 0x20);
  tail += '\x02';
  tail += le16(stored_crc(m));
  tail += static_cast<char>(m.os);
  tail += le16(first);
  tail += ext;
  return le16(static_cast<uint32_t>(tail.size() + 2)) + tail + m.data;
}

std::string level3(const Member& m) {
  // 0: word size 4, 2: method, ... 20: level 3, 21: CRC-16, 23: system,
  // 24: whole header size (4 bytes), 28: first size (4 bytes).
  uint32_t first = 0;
  std::string ext = chain(extended_list(m, true), 4, &first);
  std::string tail = common_fields(m, static_cast<uint32_t>(m.data.size()), 0x20);
  tail += '\x03';
  tail += le16(stored_crc(m));
  tail += static_cast<char>(m.os);
  tail += le32(static_cast<uint32_t>(32 + ext.size()));
  tail += le32(first);
  tail += ext;
  return le16(4) + tail + m.data;
}

}  // namespace lzhtest
