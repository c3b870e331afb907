// Fields of byte layouts (the suite's files, LZH headers, the download
// queue), read and written byte by byte at their offsets so that no layout
// depends on the host's struct packing or byte order: little-endian numbers,
// and texts that end at a NUL or fill their field.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

namespace plat {

inline uint16_t get_u16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
inline int16_t get_i16(const uint8_t* p) { return static_cast<int16_t>(get_u16(p)); }
inline uint32_t get_u32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
inline int32_t get_i32(const uint8_t* p) { return static_cast<int32_t>(get_u32(p)); }
inline uint64_t get_u64(const uint8_t* p) {
  return get_u32(p) | (static_cast<uint64_t>(get_u32(p + 4)) << 32);
}

inline void put_u16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}
inline void put_u32(uint8_t* p, uint32_t v) {
  for (int n = 0; n < 4; ++n) p[n] = static_cast<uint8_t>(v >> (8 * n));
}

// Length of the text in a field of `width` bytes: up to its first NUL, or
// the whole field when it has none.
inline void put_u64(uint8_t* p, uint64_t v) {
  put_u32(p, static_cast<uint32_t>(v));
  put_u32(p + 4, static_cast<uint32_t>(v >> 32));
}
inline size_t text_length(const void* field, size_t width) {
  const void* nul = std::memchr(field, 0, width);
  return nul ? static_cast<size_t>(static_cast<const char*>(nul) - static_cast<const char*>(field))
             : width;
}
inline std::string field_text(const void* field, size_t width) {
  return std::string(static_cast<const char*>(field), text_length(field, width));
}

}  // namespace plat
