#include "tests/archive/member_bytes.h"

#include "archive/crc16.h"

namespace lzhtest {
namespace {

std::string le16(size_t v) { return {static_cast<char>(v), static_cast<char>(v >> 8)}; }

}  // namespace

std::string le32(uint32_t v) { return le16(v) + le16(v >> 16); }

uint16_t crc_of(const std::string& bytes) {
  return lzh::crc16_update(0, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

std::string member(int level, const Member& m) {
  // Extended headers as a chain: type and data, then the size of the next
  // one (two bytes wide, four at level 3); the first size sits in the base.
  std::vector<std::string> list;
  if (level >= 2 && !m.name.empty()) list.push_back('\x01' + m.name);
  if (level >= 1 && !m.directory.empty()) list.push_back('\x02' + m.directory);
  list.insert(list.end(), m.extra.begin(), m.extra.end());
  const size_t width = level == 3 ? 4 : 2;
  auto size_field = [&](size_t n) { return width == 2 ? le16(n) : le32(static_cast<uint32_t>(n)); };
  std::string chain;
  for (size_t i = 0; i < list.size(); ++i)
    chain += list[i] + size_field(i + 1 < list.size() ? list[i + 1].size() + width : 0);
  const std::string first = size_field(list.empty() ? 0 : list[0].size() + width);

  // Offsets 2 to 20 at every level: method, packed size, original size,
  // time stamp, attribute, level.
  size_t packed = m.packed_size >= 0 ? static_cast<size_t>(m.packed_size)
                                     : m.data.size() + (level == 1 ? chain.size() : 0);
  std::string fixed =
      m.method.substr(0, 5) + le32(static_cast<uint32_t>(packed)) +
      le32(m.original_size ? m.original_size : static_cast<uint32_t>(m.data.size())) +
      le32(0x4B3C2100) + '\x20' + static_cast<char>(level);
  const std::string crc = le16(m.crc >= 0 ? static_cast<uint16_t>(m.crc) : crc_of(m.data));
  if (level < 2) {
    // 0: header size, 1: checksum, 21: name length, 22: name, then the
    // CRC; level 1 adds the system letter, the first size and the chain.
    std::string body =
        fixed + static_cast<char>(m.name.size()) + m.name + crc + (level == 1 ? m.os + first : "");
    uint8_t sum = 0;
    for (char c : body) sum = static_cast<uint8_t>(sum + static_cast<uint8_t>(c));
    return static_cast<char>(body.size()) + std::string(1, static_cast<char>(sum)) + body +
           (level == 1 ? chain : "") + m.data;
  }
  // 21: CRC, 23: system letter; level 2: whole header size at 0, first size
  // at 24; level 3: word size 4 at 0, header size at 24, first size at 28.
  std::string tail = fixed + crc + m.os +
                     (level == 3 ? le32(static_cast<uint32_t>(32 + chain.size())) : "") + first +
                     chain;
  return (level == 2 ? le16(tail.size() + 2 + m.size_error) : le16(4)) + tail + m.data;
}

}  // namespace lzhtest
