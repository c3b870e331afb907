#include "platform/native_path.h"

#include "platform/shift_jis.h"

namespace plat {

namespace {

bool is_ascii_letter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

}  // namespace

std::string native_path(const char* path) {
  std::string out;
  const char* p = path;
  // Wine maps the drive Z: to the root, so "Z:\tmp" is "/tmp"; other drives
  // cannot be told apart natively and are taken the same way.
  if (is_ascii_letter(p[0]) && p[1] == ':') p += 2;
  for (; *p; ++p) {
    unsigned char c = (unsigned char)*p;
    if (is_lead_byte(c) && p[1]) {
      out += *p++;
      out += *p;
    } else if (c == '\\') {
      out += '/';
    } else {
      out += *p;
    }
  }
  return out;
}

}  // namespace plat
