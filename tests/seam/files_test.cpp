// The Windows file behaviours the program relies on. The same checks run
// natively against the emulation and under Wine against kernel32.
#include <cstring>
#include <string>

#include "platform/files.h"
#include "tests/support/ok.h"
#include "tests/support/scratch.h"

using namespace plat;
using oktest::file_text;
using oktest::put_file;
using oktest::scratch_folder;

namespace {

File* open(const std::string& path, unsigned access, unsigned share,
           Disposition disposition = Disposition::OpenExisting) {
  return open_file(path.c_str(), access, share, disposition);
}

// 表 is 0x95 0x5C and ソ is 0x83 0x5C: in the names the copies and moves
// take, the second bytes are no separators.
std::string sjis_folder(const char* test_name) {
  std::string dir = scratch_folder(test_name) + "表";
  ok(create_directory(dir.c_str()), "create_directory %s\n", dir.c_str());
  return dir + "\\";
}

}  // namespace

TEST(copy_replaces_or_refuses) {
  std::string dir = sjis_folder("copy");
  std::string a = dir + "ソフト.dat", b = dir + "b.dat", c = dir + "表示.dat",
              none = dir + "none.dat";
  put_file(a, "new");
  put_file(b, "old");
  ok(!copy_file(a.c_str(), b.c_str(), true) && file_text(b) == "old",
     "fail_if_exists copied over b\n");
  ok(copy_file(a.c_str(), b.c_str(), false) && file_text(b) == "new" && file_text(a) == "new",
     "replacing copy\n");
  ok(copy_file(a.c_str(), c.c_str(), true) && file_text(c) == "new", "copy to a free name\n");
  ok(!copy_file(none.c_str(), b.c_str(), false) && file_text(b) == "new",
     "missing source changed b\n");
  // An open target refuses the copy; an open source allows it when it
  // shares reading.
  static const struct {
    bool target;
    unsigned access, share;
    bool copies;
  } cases[] = {{true, kRead | kWrite, kShareNone, false},
               {false, kRead, kShareRead, true},
               {false, kWrite, kShareNone, false}};
  for (const auto& h : cases) {
    put_file(c, "old");
    File* holder = open(h.target ? c : a, h.access, h.share);
    bool copied = copy_file(a.c_str(), c.c_str(), false);
    close_file(holder);
    ok(copied == h.copies && file_text(c) == (h.copies ? "new" : "old"),
       "%s held %u/%u: copied %d\n", h.target ? "target" : "source", h.access, h.share, copied);
  }
}

TEST(move_and_replace_and_delete) {
  std::string dir = sjis_folder("move");
  std::string a = dir + "ソ.dat", b = dir + "b.dat", c = dir + "能力.dat",
              fresh = dir + "FRESH.DAT";
  put_file(a, "moved");
  put_file(b, "there, longer");
  ok(!move_file(a.c_str(), b.c_str()) && file_text(a) == "moved" && file_text(b) == "there, longer",
     "move replaced b\n");
  ok(move_file(a.c_str(), c.c_str()) && !file_exists(a.c_str()) && file_text(c) == "moved",
     "move to a free name\n");
  ok(!move_file(a.c_str(), (dir + "d.dat").c_str()), "move of a missing source\n");
  ok(replace_file(c.c_str(), b.c_str()) && file_text(b) == "moved" && !file_exists(c.c_str()),
     "replace\n");
  put_file(a, "first");
  ok(replace_file(a.c_str(), fresh.c_str()) && file_text(fresh) == "first",
     "replace onto a missing target\n");
  ok(!replace_file(a.c_str(), b.c_str()) && file_text(b) == "moved",
     "replace from a missing source\n");
  ok(!delete_file(a.c_str()), "delete of a missing file\n");
  ok(delete_file(b.c_str()) && !file_exists(b.c_str()), "delete\n");
  create_directory((dir + "ソ").c_str());
  ok(!delete_file((dir + "ソ").c_str()), "delete_file removed a folder\n");
}

TEST(open_files_block_others_by_their_share_modes) {
  std::string dir = scratch_folder("openblocks");
  std::string a = dir + "a.dat", b = dir + "b.dat", n = dir + "n.dat";
  put_file(a, "a");
  put_file(n, "n");
  // Even the most permissive share mode of ours lacks delete sharing.
  File* reader = open(a, kRead, kShareRead | kShareWrite);
  ok(reader && !delete_file(a.c_str()) && !move_file(a.c_str(), b.c_str()),
     "delete or move of an open file\n");
  ok(!replace_file(a.c_str(), b.c_str()) && !replace_file(n.c_str(), a.c_str()),
     "replace from or over an open file\n");
  close_file(reader);
  ok(file_text(a) == "a" && file_text(n) == "n", "blocked operations changed files\n");

  // A handle without data access blocks nothing and checks no sharing.
  File* probe = open(a, kNoAccess, kShareNone);
  ok(probe && move_file(a.c_str(), b.c_str()), "move refused because of a no-access handle\n");
  close_file(probe);
  ok(file_text(b) == "a", "moved file: %s\n", file_text(b).c_str());

  // Two handles of one file.
  put_file(a, "abc");
  static const struct {
    unsigned access1, share1, access2, share2;
    bool second_opens;
  } cases[] = {
      {kWrite, kShareNone, kRead, kShareRead, false},
      {kRead, kShareRead, kRead, kShareRead, true},
      // A writer that shares reading is refused: the reader does not share writing.
      {kRead, kShareRead, kWrite, kShareRead, false},
      {kRead, kShareRead | kShareWrite, kWrite, kShareRead, true},
      // Nor may a later opener refuse to share what the first one does.
      {kRead, kShareRead | kShareWrite, kWrite, kShareWrite, false},
      {kWrite, kShareRead, kRead, kShareRead, false},
      {kRead | kWrite, kShareNone, kNoAccess, kShareRead | kShareWrite, true},
      {kNoAccess, kShareNone, kRead | kWrite, kShareNone, true},
  };
  for (const auto& c : cases) {
    File* first = open(a, c.access1, c.share1);
    File* second = open(a, c.access2, c.share2);
    ok(first && (second != nullptr) == c.second_opens, "%u/%u then %u/%u: second %s\n", c.access1,
       c.share1, c.access2, c.share2, second ? "opened" : "refused");
    close_file(second);
    close_file(first);
  }

  reader = open(a, kRead, kShareRead);
  ok(!open(a, kWrite, kShareNone, Disposition::CreateAlways), "CreateAlways beside a reader\n");
  close_file(reader);
  ok(file_text(a) == "abc", "refused CreateAlways truncated: %s\n", file_text(a).c_str());

  // Held exclusively, a file still exists but cannot be measured.
  File* held = open(a, kRead | kWrite, kShareNone);
  ok(file_exists(a.c_str()) && file_size(a.c_str()) == -1, "exists and size while held\n");
  close_file(held);
  ok(file_size(a.c_str()) == 3, "size %d\n", (int)file_size(a.c_str()));
}

TEST(dispositions_keep_truncate_or_refuse) {
  std::string dir = scratch_folder("dispositions");
  std::string a = dir + "a.dat", b = dir + "b.dat", c = dir + "c.dat";
  ok(!open(a, kRead, kShareRead), "OpenExisting of a missing file\n");
  put_file(a, "content");
  File* f = open(a, kRead | kWrite, kShareNone, Disposition::OpenAlways);
  ok(f && file_length(f) == 7, "OpenAlways did not keep content\n");
  close_file(f);
  ok(!open(a, kWrite, kShareNone, Disposition::CreateNew) && file_text(a) == "content",
     "CreateNew of a file\n");
  f = open(a, kWrite, kShareNone, Disposition::CreateAlways);
  ok(f && file_length(f) == 0, "CreateAlways did not truncate\n");
  close_file(f);
  close_file(open(b, kWrite, kShareNone, Disposition::OpenAlways));
  close_file(open(c, kWrite, kShareNone, Disposition::CreateNew));
  ok(file_exists(b.c_str()) && file_exists(c.c_str()), "OpenAlways or CreateNew did not create\n");

  // A folder where a file is expected fails every open and every helper.
  std::string d = dir + "TRBHN.DAT";
  create_directory(d.c_str());
  ok(!create_directory(d.c_str()), "create_directory of an existing folder\n");
  for (Disposition disposition : {Disposition::OpenExisting, Disposition::OpenAlways,
                                  Disposition::CreateAlways, Disposition::CreateNew})
    ok(!open(d, disposition == Disposition::OpenExisting ? kRead : kWrite, kShareNone, disposition),
       "disposition %d opened a folder\n", (int)disposition);
  std::string bytes;
  ok(!file_exists(d.c_str()) && file_size(d.c_str()) == -1, "a folder counts as a file\n");
  ok(!read_file(d.c_str(), &bytes) && !write_file(d.c_str(), "x", 1),
     "whole-file helpers on a folder\n");
}

TEST(reads_and_writes_at_offsets_and_whole) {
  std::string dir = scratch_folder("offsets");
  std::string a = dir + "a.dat";
  File* f = open(a, kRead | kWrite, kShareNone, Disposition::CreateNew);
  ok(write_at(f, 0, "abcdef", 6) == 6 && write_at(f, 2, "XY", 2) == 2, "writes\n");
  ok(write_at(f, 10, "Z", 1) == 1 && file_length(f) == 11, "write past the end\n");
  char buf[16];
  ok(read_at(f, 1, buf, 4) == 4 && std::memcmp(buf, "bXYe", 4) == 0, "read in the middle\n");
  // The gap before a write past the end reads back as zero bytes.
  ok(read_at(f, 8, buf, sizeof buf) == 3 && std::memcmp(buf, "\0\0Z", 3) == 0,
     "short read at the end\n");
  ok(read_at(f, 11, buf, 4) == 0 && read_at(f, 100, buf, 4) == 0, "read at or beyond the end\n");
  ok(flush_file(f), "flush failed\n");
  close_file(f);
  ok(file_text(a) == std::string("abXYef\0\0\0\0Z", 11), "file on disk differs\n");

  File* reader = open(a, kRead, kShareRead);
  ok(write_at(reader, 0, "x", 1) == -1, "write through a read-only handle\n");
  close_file(reader);
  File* writer = open(a, kWrite, kShareNone);
  ok(read_at(writer, 0, buf, 1) == -1, "read through a write-only handle\n");
  close_file(writer);

  // Whole files, and writes failing part way as on a full disk.
  std::string b = dir + "b.dat", back, data("bin\0ary\r\n", 9);
  ok(write_file(a.c_str(), data.data(), data.size()) && read_file(a.c_str(), &back) && back == data,
     "round trip gave %d bytes\n", (int)back.size());
  ok(write_file(a.c_str(), "s", 1) && file_text(a) == "s", "write_file did not truncate\n");
  ok(!read_file((dir + "none").c_str(), &back), "read_file of a missing file\n");
  reader = open(a, kRead, kShareRead);
  ok(read_file(a.c_str(), &back) && !write_file(a.c_str(), "t", 1),
     "read_file shares reading, write_file not\n");
  close_file(reader);

  f = open(b, kWrite, kShareNone, Disposition::CreateAlways);
  fail_writes_after(5);
  ok(write_at(f, 0, "abc", 3) == 3 && write_at(f, 3, "defg", 4) == -1 &&
         write_at(f, 7, "h", 1) == -1,
     "writes within, across and after the limit\n");
  fail_writes_after(-1);
  close_file(f);
  // The write that crossed the limit stored what fitted, as a full disk does.
  ok(file_text(b).compare(0, 5, "abcde") == 0, "file after failed write: %s\n",
     file_text(b).c_str());
  fail_writes_after(0);
  ok(!write_file(a.c_str(), "xyz", 3), "write_file on a full disk\n");
  fail_writes_after(-1);
}

TEST(numbered_operation_fails_alone_or_with_all_later_ones) {
  std::string dir = scratch_folder("faults");
  std::string a = dir + "a.dat", b = dir + "b.dat";
  put_file(a, "abc");
  fail_file_operation(file_operation_count() + 2);
  ok(copy_file(a.c_str(), b.c_str(), false), "the operation before the failing one\n");
  ok(!delete_file(b.c_str()) && file_exists(b.c_str()), "the failing operation did nothing\n");
  ok(delete_file(b.c_str()), "the operation after it\n");
  fail_file_operation(file_operation_count() + 1, true);
  ok(!copy_file(a.c_str(), b.c_str(), false) && !move_file(a.c_str(), b.c_str()) &&
         !file_exists(b.c_str()),
     "every operation from the failing one on\n");
  fail_file_operation(0);
  ok(move_file(a.c_str(), b.c_str()), "the hook turned off\n");
}

TEST(write_time_round_trips_at_filetime_resolution) {
  std::string dir = scratch_folder("times");
  std::string a = dir + "a.dat", b = dir + "b.dat", none = dir + "none";
  put_file(a, "x");
  const uint64_t noon = 134410320000000000ull;  // 2026-12-06 12:00:00 UTC
  uint64_t back = 0;
  ok(set_file_write_time(a.c_str(), noon) && file_write_time(a.c_str(), &back) && back == noon,
     "read back %llu\n", (unsigned long long)back);
  ok(!file_write_time(none.c_str(), &back) && !set_file_write_time(none.c_str(), noon),
     "missing file\n");
  // Set on the handle after the last write, the time outlives the close.
  File* file = open(b, kWrite, kShareNone, Disposition::CreateAlways);
  ok(write_at(file, 0, "data", 4) == 4 && set_write_time(file, noon),
     "write, then set on the handle\n");
  close_file(file);
  ok(file_write_time(b.c_str(), &back) && back == noon, "after close %llu\n",
     (unsigned long long)back);
}
