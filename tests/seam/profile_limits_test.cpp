// List files come from the network. Whatever they hold, the keyed reader
// answers within the buffers the list reader gives it (10000 bytes of
// section names, 20000 of keys, 400 of a value), ends every answer, and
// neither crashes nor takes time out of proportion to the file.
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

// A list answer: within the buffer, ended by a NUL, and a result of
// size - 2 ends with two.
bool sound_list(const std::vector<char>& buffer, uint32_t size, uint32_t got) {
  if (size < 2 || got > size - 2 || buffer[got] != 0) return false;
  if (got == size - 2 && buffer[size - 1] != 0) return false;
  return got == 0 || buffer[got - 1] == 0;
}

bool sound_value(const std::vector<char>& buffer, uint32_t size, uint32_t got) {
  return got <= size - 1 && buffer[got] == 0;
}

std::vector<std::string> names_of(const std::vector<char>& buffer, uint32_t got) {
  std::vector<std::string> names;
  for (uint32_t at = 0; at < got;) {
    std::string name(&buffer[at]);
    at += (uint32_t)name.size() + 1;
    names.push_back(name);
  }
  return names;
}

// Reads the file as the list reader does: all sections, the keys of some,
// the values of some of those keys. Gives false at the first unsound answer.
bool read_like_the_list_reader(const std::string& path, size_t most_sections, size_t most_keys) {
  std::vector<char> names(kNames), keys(kKeys), value(kValue);
  uint32_t got = plat::profile_read(nullptr, nullptr, "", names.data(), kNames, path.c_str());
  if (!ok(sound_list(names, kNames, got), "section names: %u\n", got)) return false;
  std::vector<std::string> sections = names_of(names, got);
  for (size_t s = 0; s < sections.size() && s < most_sections; ++s) {
    got = plat::profile_read(sections[s].c_str(), nullptr, "", keys.data(), kKeys, path.c_str());
    if (!ok(sound_list(keys, kKeys, got), "keys of section %u: %u\n", (unsigned)s, got)) return false;
    std::vector<std::string> entries = names_of(keys, got);
    for (size_t k = 0; k < entries.size() && k < most_keys; ++k) {
      got = plat::profile_read(sections[s].c_str(), entries[k].c_str(), "", value.data(), kValue, path.c_str());
      if (!ok(sound_value(value, kValue, got), "value %u of section %u: %u\n", (unsigned)k, (unsigned)s, got))
        return false;
    }
  }
  return true;
}

// A file's write time an hour back, so that both platforms may keep what
// they parsed of it between calls.
void age(const std::string& path) {
  uint64_t now = 0;
  if (plat::file_write_time(path.c_str(), &now)) plat::set_file_write_time(path.c_str(), now - 36000000000ull);
}

uint32_t next_random(uint32_t* state) {
  *state = *state * 1664525u + 1013904223u;
  return *state >> 8;
}

}  // namespace

TEST(profile_binary_garbage) {
  std::string dir = oktest::scratch_folder("garbage");
  uint32_t state = 12345;
  for (int round = 0; round < 4; ++round) {
    std::string bytes(256 * 1024, '\0');
    for (char& c : bytes) {
      uint32_t r = next_random(&state);
      // Plenty of the bytes that give the text its shape.
      const char shape[] = "[]=\r\n ;\"\x81\x5B\x5D";
      c = (r & 3) == 0 ? shape[(r >> 2) % (sizeof shape - 1)] : (char)(r >> 4);
    }
    std::string path = dir + "garbage" + std::to_string(round) + ".dat";
    oktest::put_file(path, bytes);
    read_like_the_list_reader(path, 20, 20);
  }
}

TEST(profile_ten_thousand_sections) {
  std::string path = oktest::scratch_folder("sections") + "sections.dat";
  std::string text;
  char line[64];
  for (int i = 0; i < 10000; ++i) {
    std::snprintf(line, sizeof line, "[M%05d]\r\n%d,0=v%d\r\n", i, 1001 + i, i);
    text += line;
  }
  oktest::put_file(path, text);
  age(path);
  std::vector<char> names(kNames), value(kValue);
  uint32_t got = plat::profile_read(nullptr, nullptr, "", names.data(), kNames, path.c_str());
  ok(got == kNames - 2 && names[kNames - 1] == 0 && names[kNames - 2] == 0, "names cut: %u\n", got);
  ok(std::strcmp(names.data(), "M00000") == 0, "first name %s\n", names.data());
  got = plat::profile_read("m09999", "11000,0", "", value.data(), kValue, path.c_str());
  ok(got == 5 && std::strcmp(value.data(), "v9999") == 0, "last section's value %u %s\n", got, value.data());
}

TEST(profile_fifty_thousand_keys) {
  std::string path = oktest::scratch_folder("keys") + "keys.dat";
  std::string text = "[INFO]\r\nTITLE=t\r\n[A]\r\n";
  char line[64];
  for (int i = 0; i < 50000; ++i) {
    std::snprintf(line, sizeof line, "%d,%d=part%d,%d\r\n", 1001 + i, i % 3, i, i % 256);
    text += line;
  }
  oktest::put_file(path, text);
  age(path);
  std::vector<char> keys(kKeys), value(kValue);
  uint32_t got = plat::profile_read("A", nullptr, "", keys.data(), kKeys, path.c_str());
  ok(got == kKeys - 2 && keys[kKeys - 1] == 0, "key list cut: %u\n", got);
  ok(std::strcmp(keys.data(), "1001,0") == 0, "first key %s\n", keys.data());
  bool all = true;
  for (int i = 0; i < 50000 && all; i += 97) {
    char key[32], want[32];
    std::snprintf(key, sizeof key, "%d,%d", 1001 + i, i % 3);
    std::snprintf(want, sizeof want, "part%d,%d", i, i % 256);
    got = plat::profile_read("a", key, "", value.data(), kValue, path.c_str());
    all = ok(got == std::strlen(want) && std::strcmp(value.data(), want) == 0, "%s: %s\n", key, value.data());
  }
  got = plat::profile_read("A", "51000,1", "", value.data(), kValue, path.c_str());
  ok(got == 12 && std::strcmp(value.data(), "part49999,79") == 0, "last key: %s\n", value.data());
}

TEST(profile_values_of_a_hundred_kilobytes) {
  std::string path = oktest::scratch_folder("bigvalue") + "values.dat";
  std::string big(100 * 1024, 'x');
  for (size_t i = 0; i < big.size(); i += 7) big[i] = (char)('a' + i % 26);
  oktest::put_file(path, "[A]\r\n1001,0=" + big + "\r\n1002,0=\"" + big + "\"\r\n" + big + "=key\r\n");
  std::vector<char> value(kValue), whole(big.size() + 1);
  uint32_t got = plat::profile_read("A", "1001,0", "", value.data(), kValue, path.c_str());
  ok(got == kValue - 1 && std::memcmp(value.data(), big.data(), kValue - 1) == 0 && value[kValue - 1] == 0,
     "cut value: %u\n", got);
  got = plat::profile_read("A", "1002,0", "", whole.data(), (uint32_t)whole.size(), path.c_str());
  ok(got == big.size() && std::memcmp(whole.data(), big.data(), big.size()) == 0, "whole quoted value: %u\n", got);
  // A key of 100 KB is only listed: the platform takes no name longer than
  // 32767 characters to look up, and the list reader asks for none.
  std::vector<char> keys(kKeys);
  got = plat::profile_read("A", nullptr, "", keys.data(), kKeys, path.c_str());
  ok(got == kKeys - 2 && std::strcmp(keys.data(), "1001,0") == 0, "key list with a long key: %u\n", got);
}

TEST(profile_keys_of_any_form) {
  std::string path = oktest::scratch_folder("oddkeys") + "odd.dat";
  oktest::put_file(path, "[A]\r\nabc=1\r\n1,2,3=2\r\n-5,x=3\r\n,=4\r\n 0001,0 =5\r\n99999999999999999999,1=6\r\n");
  ok(read_like_the_list_reader(path, 5, 50), "odd keys\n");
  std::vector<char> value(kValue);
  plat::profile_read("A", "0001,0", "", value.data(), kValue, path.c_str());
  ok(std::strcmp(value.data(), "5") == 0, "key in blanks: %s\n", value.data());
}

TEST(profile_a_hundred_megabytes) {
  std::string path = oktest::scratch_folder("huge") + "huge.dat";
  std::string chunk = "[INFO]\r\nTITLE=huge\r\n";
  char line[64];
  for (int i = 0; i < 2000; ++i) {
    std::snprintf(line, sizeof line, "%d,%d=figure name %d,%d\r\n", 1001 + i, i & 1, i, i & 255);
    chunk += line;
  }
  std::string text;
  text.reserve(100u << 20);
  for (int m = 0; text.size() < (100u << 20); ++m) {
    std::snprintf(line, sizeof line, "[Maker %d]\r\n", m);
    text += line;
    text += chunk.substr(20);
  }
  text += "[Last]\r\n1001,0=end\r\n";
  ok(oktest::put_file(path, text), "writing 100 MB\n");
  age(path);
  std::string().swap(text);
  std::vector<char> names(kNames), keys(kKeys), value(kValue);
  uint32_t got = plat::profile_read(nullptr, nullptr, "", names.data(), kNames, path.c_str());
  ok(got == kNames - 2 && std::strcmp(names.data(), "Maker 0") == 0, "names: %u %s\n", got, names.data());
  got = plat::profile_read("maker 7", nullptr, "", keys.data(), kKeys, path.c_str());
  ok(got > 0 && got <= kKeys - 2 && std::strcmp(keys.data(), "1001,0") == 0, "keys: %u\n", got);
  got = plat::profile_read("Maker 7", "3000,1", "", value.data(), kValue, path.c_str());
  ok(got == 20 && std::strcmp(value.data(), "figure name 1999,207") == 0, "value: %s\n", value.data());
  got = plat::profile_read("LAST", "1001,0", "", value.data(), kValue, path.c_str());
  ok(got == 3 && std::strcmp(value.data(), "end") == 0, "last section: %s\n", value.data());
  plat::delete_file(path.c_str());
}
