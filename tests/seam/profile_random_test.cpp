// Files made at random from the pieces that give list files trouble (blanks,
// brackets, quotes, comments, unnamed keys, NUL bytes, broken lead bytes,
// Shift-JIS whose second byte is a bracket or a backslash, letters in both
// cases and widths, three kinds of line end), each asked the questions the
// list reader asks. The answers of both platforms must be the same; a
// digest of all answers, taken from the native emulation, stands for them.
// With PROFILE_DIGESTS set in the environment the test prints one digest per
// file, so that the runs of both platforms can be compared file by file.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/profile.h"
#include "tests/support/ok.h"
#include "tests/support/scratch.h"

namespace {

struct Random {
  uint32_t state;
  uint32_t next(uint32_t below) {
    state = state * 1664525u + 1013904223u;
    return (state >> 8) % below;
  }
};

// Name pieces: ASCII letters in both cases, Ｂ ｂ, Α α, ー (0x81 0x5B),
// ‐ (0x81 0x5D), 表 (0x95 0x5C), blanks and the characters of the layout.
const char* const kNamePieces[] = {"a", "A", "b", "k", "K", "1", ",", "\x82\x61", "\x82\x82", "\x83\x9F",
                                   "\x83\xBF", "\x81\x5B", "\x81\x5D", "\x95\x5C", " ", "\t", ";", "[",
                                   "]", "\"", "'"};
const char* const kValuePieces[] = {"v", "V", "1", ",", "=", " ", "\t", "\"", "'", "[", "]", "\x81\x5B",
                                    "\x95\x5C", "\x83\x68\x83\x41", "\x1a"};
const char* const kLineEnds[] = {"\r\n", "\n", "\r"};

std::string pick(Random* random, const char* const* pieces, size_t count, uint32_t most) {
  std::string text;
  for (uint32_t n = random->next(most + 1); n; --n) text += pieces[random->next((uint32_t)count)];
  return text;
}

// A name and the same name with every letter in its other case (a/A, k/K,
// Ｂ/ｂ, Α/α), to be asked for too.
void pick_name(Random* random, size_t pieces, std::string* name, std::string* flipped) {
  static const int kOtherCase[] = {1, 0, 2, 4, 3, 5, 6, 8, 7, 10, 9};
  name->clear();
  flipped->clear();
  for (uint32_t n = random->next(5); n; --n) {
    uint32_t piece = random->next((uint32_t)pieces);
    *name += kNamePieces[piece];
    *flipped += kNamePieces[piece < 11 ? kOtherCase[piece] : piece];
  }
}

struct Made {
  std::string bytes;
  std::vector<std::string> sections, keys;  // names to ask for
};

Made make_file(Random* random) {
  Made made;
  bool ascii_only = random->next(8) == 0;
  if (ascii_only) made.bytes = "\xEF\xBB\xBF";  // the mark, with ASCII text after it
  size_t name_pieces = ascii_only ? 7 : sizeof kNamePieces / sizeof *kNamePieces;
  size_t value_pieces = ascii_only ? 11 : sizeof kValuePieces / sizeof *kValuePieces;
  for (uint32_t lines = 1 + random->next(14); lines; --lines) {
    std::string line, name, flipped;
    pick_name(random, name_pieces, &name, &flipped);
    switch (random->next(10)) {
      case 0:
      case 1:
        line = pick(random, kNamePieces, 2, 1) + "[" + name + (random->next(6) ? "]" : "") +
               (random->next(4) ? "" : " ; x");
        made.sections.push_back(name);
        made.sections.push_back(flipped);
        break;
      case 2:
        line = ";" + name + "=" + pick(random, kValuePieces, value_pieces, 3);
        break;
      case 3:
        line = name;  // no '='
        made.keys.push_back(flipped);
        break;
      case 4:
        line = random->next(2) ? "" : " \t";
        break;
      default:
        line = name + pick(random, kValuePieces, 7, 1) + "=" + pick(random, kValuePieces, value_pieces, 6);
        made.keys.push_back(name);
        made.keys.push_back(flipped);
    }
    if (!ascii_only && random->next(30) == 0) line += std::string(1, '\0') + "x";
    if (!ascii_only && random->next(30) == 0) line += "\x81";  // a lead byte before the line end
    made.bytes += line;
    if (lines > 1 || random->next(2)) made.bytes += kLineEnds[random->next(3)];
  }
  made.sections.push_back("");
  made.sections.push_back(" a ");
  made.keys.push_back("k");
  made.keys.push_back("");
  return made;
}

struct Digest {
  uint64_t value = 14695981039346656037ull;
  void add(const void* data, size_t size) {
    for (size_t i = 0; i < size; ++i) value = (value ^ ((const unsigned char*)data)[i]) * 1099511628211ull;
  }
};

void ask(Digest* digest, const char* section, const char* key, uint32_t size, const std::string& path) {
  char buffer[80];
  std::memset(buffer, '#', sizeof buffer);
  uint32_t got = plat::profile_read(section, key, "d", buffer, size, path.c_str());
  digest->add(&got, sizeof got);
  digest->add(buffer, size + 2);
}

}  // namespace

TEST(profile_random_files_answer_alike_on_both_platforms) {
  std::string dir = oktest::scratch_folder("random");
  Random random{20240401};
  Digest all;
  for (int file = 0; file < 300; ++file) {
    Made made = make_file(&random);
    std::string path = dir + "r" + std::to_string(file) + ".ini";
    oktest::put_file(path, made.bytes);
    Digest one;
    for (uint32_t size : {3u, 7u, 64u}) ask(&one, nullptr, nullptr, size, path);
    for (const std::string& section : made.sections) {
      for (uint32_t size : {2u, 5u, 64u}) ask(&one, section.c_str(), nullptr, size, path);
      for (const std::string& key : made.keys)
        for (uint32_t size : {1u, 4u, 64u}) ask(&one, section.c_str(), key.c_str(), size, path);
    }
    if (std::getenv("PROFILE_DIGESTS")) std::printf("file %d %016llx\n", file, (unsigned long long)one.value);
    all.add(&one.value, sizeof one.value);
  }
  const uint64_t expected = 0x3d5213d8f1118ee0ull;
  ok(all.value == expected, "digest of all answers %016llx, expected %016llx\n", (unsigned long long)all.value,
     (unsigned long long)expected);
}
