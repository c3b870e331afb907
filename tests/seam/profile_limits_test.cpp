// List files come from the network. Large ones are answered within the
// buffers the list reader gives it (10000 bytes of section names, 20000 of
// keys, 400 of a value), every answer ended, in time in proportion to the
// file. Arbitrary bytes are profile_reader_fuzz's.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/profile.h"
#include "tests/support/ok.h"
#include "tests/support/scratch.h"

namespace {

const uint32_t kNames = 10000, kKeys = 20000, kValue = 400;

// One answer as a string of its `got` bytes; *sound tells whether it stayed
// within the buffer and was ended (a list cut to size - 2 bytes with two NULs).
std::string ask(const char* section, const char* key, uint32_t size, const std::string& path,
                bool* sound = nullptr) {
  std::vector<char> buffer(size + 1, '#');
  uint32_t got = plat::profile_read(section, key, "", buffer.data(), size, path.c_str());
  bool list = !section || !key;
  bool ended = got < size && buffer[got] == 0 && buffer[size] == '#';
  if (list && got == size - 2)
    ended = ended && buffer[size - 1] == 0;
  else if (list)
    ended = ended && got < size - 2 && (got == 0 || buffer[got - 1] == 0);
  if (sound) *sound = ended;
  return std::string(buffer.data(), ended ? got : 0);
}

std::vector<std::string> names_in(const std::string& list) {
  std::vector<std::string> names;
  for (size_t at = 0; at < list.size(); at += names.back().size() + 1)
    names.push_back(list.c_str() + at);
  return names;
}

template <typename... Args>
std::string format(const char* pattern, Args... args) {
  char text[64];
  std::snprintf(text, sizeof text, pattern, args...);
  return text;
}

// A file's write time an hour back, so that both platforms may keep what
// they parsed of it between calls.
void put_aged(const std::string& path, const std::string& text) {
  uint64_t now = 0;
  ok(oktest::put_file(path, text), "writing %u bytes\n", (unsigned)text.size());
  if (plat::file_write_time(path.c_str(), &now))
    plat::set_file_write_time(path.c_str(), now - 36000000000ull);
}

}  // namespace

TEST(profile_many_keys_long_values) {
  std::string dir = oktest::scratch_folder("limits");
  std::string keys = "[INFO]\r\nTITLE=t\r\n[A]\r\n", big(100 * 1024, 'x');
  for (int i = 0; i < 50000; ++i)
    keys += format("%d,%d=part%d,%d\r\n", 1001 + i, i % 3, i, i % 256);
  for (size_t i = 0; i < big.size(); i += 7) big[i] = (char)('a' + i % 26);
  put_aged(dir + "keys.dat", keys);
  put_aged(dir + "values.dat",
           "[A]\r\n1001,0=" + big + "\r\n1002,0=\"" + big + "\"\r\n" + big + "=key\r\n");

  bool sound = false;
  std::string list = ask("A", nullptr, kKeys, dir + "keys.dat", &sound);
  ok(sound && list.size() == kKeys - 2 && names_in(list)[0] == "1001,0", "key list cut: %u\n",
     (unsigned)list.size());
  ok(ask("a", "51000,1", kValue, dir + "keys.dat") == "part49999,79", "last key\n");

  ok(ask("A", "1001,0", kValue, dir + "values.dat") == big.substr(0, kValue - 1),
     "a 100 KB value is cut\n");
  ok(ask("A", "1002,0", (uint32_t)big.size() + 1, dir + "values.dat") == big,
     "a whole quoted 100 KB value\n");
  // A key of 100 KB is only listed: the platform takes no name longer than
  // 32767 characters to look up, and the list reader asks for none.
  list = ask("A", nullptr, kKeys, dir + "values.dat", &sound);
  ok(sound && list.size() == kKeys - 2 && names_in(list)[0] == "1001,0",
     "key list with a long key\n");
}

TEST(profile_a_hundred_megabytes) {
  std::string path = oktest::scratch_folder("huge") + "huge.dat";
  std::string chunk, text;
  for (int i = 0; i < 2000; ++i)
    chunk += format("%d,%d=figure name %d,%d\r\n", 1001 + i, i & 1, i, i & 255);
  text.reserve(100u << 20);
  for (int m = 0; text.size() < (100u << 20); ++m)
    text += "[Maker " + std::to_string(m) + "]\r\n" + chunk;
  put_aged(path, text + "[Last]\r\n1001,0=end\r\n");
  std::string().swap(text);
  bool sound = false;
  std::string names = ask(nullptr, nullptr, kNames, path, &sound);
  ok(sound && names.size() == kNames - 2 && names_in(names)[0] == "Maker 0", "names: %u\n",
     (unsigned)names.size());
  std::string keys = ask("maker 7", nullptr, kKeys, path, &sound);
  ok(sound && !keys.empty() && names_in(keys)[0] == "1001,0", "keys: %u\n", (unsigned)keys.size());
  ok(ask("Maker 7", "3000,1", kValue, path) == "figure name 1999,207", "value\n");
  ok(ask("LAST", "1001,0", kValue, path) == "end", "last section\n");
  plat::delete_file(path.c_str());
}
