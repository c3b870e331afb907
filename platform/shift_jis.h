// Reading code page 932 text by character rather than by byte.
#pragma once

namespace plat {

// A lead byte takes the next byte into the same character, even when that
// byte is 0x5C, the backslash (表, ソ, 能).
inline bool is_lead_byte(unsigned char c) {
  return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

}  // namespace plat
