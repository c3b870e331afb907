// Any bytes as a list file. The keyed reader reads it as the list reader
// does (all sections, the keys of each, the value of each key) with the
// list reader's buffers and with small ones; every answer must stay within
// its buffer and be ended as the list reader expects. A write into the file
// and the reads after it must hold to the same.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz/file_fuzz.h"
#include "platform/files.h"
#include "platform/profile.h"

namespace {

using fuzzing::expect;

// Reads with a buffer of `size` bytes, with guard bytes after it.
uint32_t read_into(std::vector<char>* buffer, const char* section, const char* key, uint32_t size,
                   const std::string& path) {
  buffer->assign(size + 8, '#');
  uint32_t got = plat::profile_read(section, key, "", buffer->data(), size, path.c_str());
  for (size_t i = size; i < buffer->size(); ++i) expect((*buffer)[i] == '#');
  if (size == 0) return got;
  expect(got < size && (*buffer)[got] == 0);
  if (!section || !key) expect(got == 0 || got <= size - 2);
  // A list of size - 2 bytes ends with two NULs; an empty key list answers
  // with the default (here "") as a value.
  if ((!section || !key) && size >= 2 && got && got == size - 2) expect((*buffer)[size - 1] == 0);
  return got;
}

std::vector<std::string> names_in(const std::vector<char>& buffer, uint32_t got) {
  std::vector<std::string> names;
  for (uint32_t at = 0; at < got;) {
    const char* name = buffer.data() + at;
    size_t length = std::strlen(name);
    expect(at + length <= got);
    names.emplace_back(name, length);
    at += (uint32_t)length + 1;
  }
  return names;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path =
      fuzzing::scratch_file("LIST.DAT", std::string(reinterpret_cast<const char*>(data), size));
  // A write time in the past, one microsecond later for every input: the
  // reader's cache is then trusted from the second read of each input on.
  static uint64_t written = 132000000000000000ull;  // 2019
  written += 10;
  plat::set_file_write_time(path.c_str(), written);
  uint32_t small = 1 + (size ? data[size / 2] % 24 : 0);

  std::vector<char> buffer;
  read_into(&buffer, nullptr, nullptr, small, path);
  uint32_t got = read_into(&buffer, nullptr, nullptr, 10000, path);
  std::vector<std::string> sections = names_in(buffer, got);
  sections.push_back("");
  if (sections.size() > 8) sections.resize(8);
  for (const std::string& section : sections) {
    read_into(&buffer, section.c_str(), nullptr, small, path);
    got = read_into(&buffer, section.c_str(), nullptr, 20000, path);
    std::vector<std::string> keys = names_in(buffer, got);
    if (keys.size() > 32) keys.resize(32);
    for (const std::string& key : keys) {
      read_into(&buffer, section.c_str(), key.c_str(), 400, path);
      read_into(&buffer, section.c_str(), key.c_str(), small, path);
    }
  }

  // A write keeps every other answer sound and is read back.
  if (size && (data[0] & 1) && !sections[0].empty() &&
      sections[0].find_first_of("[]\r\n") == std::string::npos) {
    if (plat::profile_write(sections[0].c_str(), "1001,0", "written", path.c_str())) {
      read_into(&buffer, sections[0].c_str(), nullptr, 20000, path);
      read_into(&buffer, nullptr, nullptr, 10000, path);
    }
  }
  return 0;
}
