// The Windows file behaviours the program relies on. The same checks run
// natively against the emulation and under Wine against kernel32.
#include <cstring>
#include <string>

#include "platform/files.h"
#include "tests/support/ok.h"
#include "tests/support/scratch.h"

using namespace plat;
using oktest::get_file;
using oktest::put_file;
using oktest::scratch_folder;

namespace {

std::string contents_of(const std::string& path) {
  std::string bytes;
  if (!get_file(path, &bytes)) return "<missing>";
  return bytes;
}

}  // namespace

TEST(copy_replaces_target_or_refuses_when_asked) {
  std::string dir = scratch_folder("copy");
  std::string a = dir + "a.dat", b = dir + "b.dat";
  put_file(a, "new");
  put_file(b, "old contents");

  ok(!copy_file(a.c_str(), b.c_str(), true), "copy over an existing target with fail_if_exists\n");
  ok(contents_of(b) == "old contents", "refused copy changed the target: %s\n", contents_of(b).c_str());

  ok(copy_file(a.c_str(), b.c_str(), false), "copy replacing the target failed\n");
  ok(contents_of(b) == "new", "target after copy: %s\n", contents_of(b).c_str());
  ok(contents_of(a) == "new", "source after copy: %s\n", contents_of(a).c_str());

  std::string c = dir + "c.dat";
  ok(copy_file(a.c_str(), c.c_str(), true), "copy to a new target with fail_if_exists failed\n");
  ok(contents_of(c) == "new", "new target: %s\n", contents_of(c).c_str());
}

TEST(copy_of_missing_source_fails_and_keeps_target) {
  std::string dir = scratch_folder("copymissing");
  std::string b = dir + "b.dat";
  put_file(b, "kept");
  ok(!copy_file((dir + "none.dat").c_str(), b.c_str(), false), "copy of a missing source succeeded\n");
  ok(contents_of(b) == "kept", "target after failed copy: %s\n", contents_of(b).c_str());
  ok(!copy_file((dir + "none.dat").c_str(), (dir + "c.dat").c_str(), false),
     "copy of a missing source to a new name succeeded\n");
  ok(!file_exists((dir + "c.dat").c_str()), "failed copy left a target behind\n");
}

TEST(copy_fails_onto_exclusively_open_target) {
  std::string dir = scratch_folder("copyopen");
  std::string a = dir + "a.dat", b = dir + "b.dat";
  put_file(a, "new");
  put_file(b, "old");
  File* held = open_file(b.c_str(), kRead | kWrite, kShareNone, Disposition::OpenExisting);
  ok(held != nullptr, "open of %s failed\n", b.c_str());
  ok(!copy_file(a.c_str(), b.c_str(), false), "copy onto an exclusively open file succeeded\n");
  close_file(held);
  ok(contents_of(b) == "old", "target after failed copy: %s\n", contents_of(b).c_str());
}

TEST(move_never_replaces_and_fails_on_missing_source) {
  std::string dir = scratch_folder("move");
  std::string a = dir + "a.dat", b = dir + "b.dat", c = dir + "c.dat";
  put_file(a, "moved");
  put_file(b, "there");
  ok(!move_file(a.c_str(), b.c_str()), "move over an existing file succeeded\n");
  ok(contents_of(a) == "moved" && contents_of(b) == "there", "refused move changed files\n");

  ok(move_file(a.c_str(), c.c_str()), "move to a free name failed\n");
  ok(!file_exists(a.c_str()), "source still exists after move\n");
  ok(contents_of(c) == "moved", "moved file: %s\n", contents_of(c).c_str());

  ok(!move_file(a.c_str(), (dir + "d.dat").c_str()), "move of a missing source succeeded\n");
}

TEST(delete_fails_on_missing_file_and_folder) {
  std::string dir = scratch_folder("delete");
  std::string a = dir + "a.dat";
  ok(!delete_file(a.c_str()), "delete of a missing file succeeded\n");
  put_file(a, "x");
  ok(delete_file(a.c_str()), "delete failed\n");
  ok(!file_exists(a.c_str()), "deleted file still exists\n");
  std::string sub = dir + "SUB";
  create_directory(sub.c_str());
  ok(!delete_file(sub.c_str()), "delete_file removed a folder\n");
}

TEST(open_file_blocks_delete_move_and_replace) {
  std::string dir = scratch_folder("openblocks");
  std::string a = dir + "a.dat", b = dir + "b.dat", n = dir + "n.dat";
  put_file(a, "a");
  put_file(n, "n");
  // Even the most permissive share mode of ours lacks delete sharing.
  File* reader = open_file(a.c_str(), kRead, kShareRead | kShareWrite, Disposition::OpenExisting);
  ok(reader != nullptr, "open failed\n");
  ok(!delete_file(a.c_str()), "delete of an open file succeeded\n");
  ok(!move_file(a.c_str(), b.c_str()), "move of an open file succeeded\n");
  ok(!replace_file(a.c_str(), b.c_str()), "replace from an open file succeeded\n");
  ok(!replace_file(n.c_str(), a.c_str()), "replace over an open file succeeded\n");
  close_file(reader);
  ok(contents_of(a) == "a" && contents_of(n) == "n", "blocked operations changed files\n");
  ok(move_file(a.c_str(), b.c_str()), "move after close failed\n");
  ok(delete_file(b.c_str()), "delete after close failed\n");
}

TEST(exists_needs_no_access_while_file_is_held_exclusively) {
  std::string dir = scratch_folder("exists");
  std::string a = dir + "a.dat";
  ok(!file_exists(a.c_str()), "missing file exists\n");
  put_file(a, "abc");
  File* held = open_file(a.c_str(), kRead | kWrite, kShareNone, Disposition::OpenExisting);
  ok(held != nullptr, "exclusive open failed\n");
  ok(file_exists(a.c_str()), "file held exclusively does not exist\n");
  ok(file_size(a.c_str()) == -1, "file_size opened a file held exclusively\n");
  close_file(held);
  ok(file_size(a.c_str()) == 3, "file_size %d\n", (int)file_size(a.c_str()));
  ok(file_size((dir + "none.dat").c_str()) == -1, "file_size of a missing file\n");
}

TEST(exclusive_write_and_shared_read_exclude_each_other) {
  std::string dir = scratch_folder("sharing");
  std::string a = dir + "a.dat";
  put_file(a, "abc");

  File* writer = open_file(a.c_str(), kWrite, kShareNone, Disposition::OpenExisting);
  ok(writer != nullptr, "exclusive write open failed\n");
  File* reader = open_file(a.c_str(), kRead, kShareRead, Disposition::OpenExisting);
  ok(reader == nullptr, "read open succeeded while held exclusively\n");
  close_file(reader);
  close_file(writer);

  reader = open_file(a.c_str(), kRead, kShareRead, Disposition::OpenExisting);
  ok(reader != nullptr, "shared read open failed\n");
  File* second = open_file(a.c_str(), kRead, kShareRead, Disposition::OpenExisting);
  ok(second != nullptr, "second shared read open failed\n");
  writer = open_file(a.c_str(), kWrite, kShareNone, Disposition::OpenExisting);
  ok(writer == nullptr, "exclusive write open succeeded while others read\n");
  close_file(writer);
  // A writer that shares reading is still refused: the readers do not share writing.
  writer = open_file(a.c_str(), kWrite, kShareRead, Disposition::OpenExisting);
  ok(writer == nullptr, "write open succeeded while readers share only reading\n");
  close_file(writer);
  close_file(second);
  close_file(reader);

  writer = open_file(a.c_str(), kWrite, kShareNone, Disposition::OpenExisting);
  ok(writer != nullptr, "write open after readers closed failed\n");
  close_file(writer);
}

TEST(refused_create_always_does_not_truncate) {
  std::string dir = scratch_folder("refusedtrunc");
  std::string a = dir + "a.dat";
  put_file(a, "keep me");
  File* reader = open_file(a.c_str(), kRead, kShareRead, Disposition::OpenExisting);
  File* writer = open_file(a.c_str(), kWrite, kShareNone, Disposition::CreateAlways);
  ok(writer == nullptr, "CreateAlways succeeded on a file open for reading\n");
  close_file(writer);
  close_file(reader);
  ok(contents_of(a) == "keep me", "refused CreateAlways truncated: %s\n", contents_of(a).c_str());
}

TEST(dispositions_keep_truncate_or_refuse) {
  std::string dir = scratch_folder("dispositions");
  std::string a = dir + "a.dat";
  ok(open_file(a.c_str(), kRead, kShareRead, Disposition::OpenExisting) == nullptr,
     "OpenExisting of a missing file succeeded\n");

  put_file(a, "content");
  File* f = open_file(a.c_str(), kRead | kWrite, kShareNone, Disposition::OpenAlways);
  ok(f && file_length(f) == 7, "OpenAlways did not keep content\n");
  close_file(f);

  ok(open_file(a.c_str(), kWrite, kShareNone, Disposition::CreateNew) == nullptr,
     "CreateNew of an existing file succeeded\n");
  ok(contents_of(a) == "content", "refused CreateNew changed the file\n");

  f = open_file(a.c_str(), kWrite, kShareNone, Disposition::CreateAlways);
  ok(f && file_length(f) == 0, "CreateAlways did not truncate\n");
  close_file(f);

  std::string b = dir + "b.dat";
  f = open_file(b.c_str(), kWrite, kShareNone, Disposition::OpenAlways);
  ok(f != nullptr, "OpenAlways did not create\n");
  close_file(f);
  f = open_file((dir + "c.dat").c_str(), kWrite, kShareNone, Disposition::CreateNew);
  ok(f != nullptr, "CreateNew of a free name failed\n");
  close_file(f);
  ok(file_exists(b.c_str()) && file_exists((dir + "c.dat").c_str()), "created files missing\n");
}

TEST(folder_in_place_of_file_fails_every_open) {
  std::string dir = scratch_folder("folderopen");
  std::string d = dir + "TRBHN.DAT";
  create_directory(d.c_str());
  ok(!create_directory(d.c_str()), "create_directory of an existing folder succeeded\n");
  ok(open_file(d.c_str(), kRead, kShareRead, Disposition::OpenExisting) == nullptr, "OpenExisting\n");
  ok(open_file(d.c_str(), kRead | kWrite, kShareNone, Disposition::OpenAlways) == nullptr, "OpenAlways\n");
  ok(open_file(d.c_str(), kWrite, kShareNone, Disposition::CreateAlways) == nullptr, "CreateAlways\n");
  ok(open_file(d.c_str(), kWrite, kShareNone, Disposition::CreateNew) == nullptr, "CreateNew\n");
  ok(!file_exists(d.c_str()), "a folder counts as an existing file\n");
  ok(file_size(d.c_str()) == -1, "file_size of a folder\n");
  std::string bytes;
  ok(!read_file(d.c_str(), &bytes), "read_file of a folder succeeded\n");
  ok(!write_file(d.c_str(), "x", 1), "write_file onto a folder succeeded\n");
}

TEST(offset_reads_and_writes) {
  std::string dir = scratch_folder("offsets");
  std::string a = dir + "a.dat";
  File* f = open_file(a.c_str(), kRead | kWrite, kShareNone, Disposition::CreateNew);
  ok(f != nullptr, "create failed\n");
  ok(write_at(f, 0, "abcdef", 6) == 6, "write at 0\n");
  ok(write_at(f, 2, "XY", 2) == 2, "overwrite at 2\n");
  // Past the end: the gap reads back as zero bytes.
  ok(write_at(f, 10, "Z", 1) == 1, "write past the end\n");
  ok(file_length(f) == 11, "length %d\n", (int)file_length(f));

  char buf[16];
  std::memset(buf, '?', sizeof buf);
  ok(read_at(f, 1, buf, 4) == 4 && std::memcmp(buf, "bXYe", 4) == 0, "read in the middle\n");
  int64_t got = read_at(f, 8, buf, sizeof buf);
  ok(got == 3, "short read at the end gave %d\n", (int)got);
  ok(std::memcmp(buf, "\0\0Z", 3) == 0, "gap is not zero-filled\n");
  ok(read_at(f, 11, buf, 4) == 0, "read at the end\n");
  ok(read_at(f, 100, buf, 4) == 0, "read beyond the end\n");
  ok(flush_file(f), "flush failed\n");
  close_file(f);
  ok(contents_of(a) == std::string("abXYef\0\0\0\0Z", 11), "file on disk differs\n");
}

TEST(access_not_asked_for_is_refused) {
  std::string dir = scratch_folder("access");
  std::string a = dir + "a.dat";
  put_file(a, "abc");
  char buf[4];
  File* reader = open_file(a.c_str(), kRead, kShareRead, Disposition::OpenExisting);
  ok(write_at(reader, 0, "x", 1) == -1, "write through a read-only handle\n");
  close_file(reader);
  File* writer = open_file(a.c_str(), kWrite, kShareNone, Disposition::OpenExisting);
  ok(read_at(writer, 0, buf, 1) == -1, "read through a write-only handle\n");
  close_file(writer);
  ok(contents_of(a) == "abc", "file changed: %s\n", contents_of(a).c_str());
}

TEST(replace_puts_new_file_in_place) {
  std::string dir = scratch_folder("replace");
  std::string tmp = dir + "TRBHN.TMP", dst = dir + "TRBHN.DAT";
  put_file(tmp, "new");
  put_file(dst, "old old");
  ok(replace_file(tmp.c_str(), dst.c_str()), "replace failed\n");
  ok(contents_of(dst) == "new", "target after replace: %s\n", contents_of(dst).c_str());
  ok(!file_exists(tmp.c_str()), "source still exists after replace\n");

  put_file(tmp, "first");
  std::string fresh = dir + "FRESH.DAT";
  ok(replace_file(tmp.c_str(), fresh.c_str()), "replace onto a missing target failed\n");
  ok(contents_of(fresh) == "first", "fresh target: %s\n", contents_of(fresh).c_str());
  ok(!replace_file(tmp.c_str(), dst.c_str()), "replace from a missing source succeeded\n");
  ok(contents_of(dst) == "new", "target after failed replace: %s\n", contents_of(dst).c_str());
}

TEST(fail_writes_after_fails_part_way) {
  std::string dir = scratch_folder("diskfull");
  std::string a = dir + "a.dat";
  File* f = open_file(a.c_str(), kWrite, kShareNone, Disposition::CreateAlways);
  fail_writes_after(5);
  ok(write_at(f, 0, "abc", 3) == 3, "write within the limit failed\n");
  ok(write_at(f, 3, "defg", 4) == -1, "write across the limit succeeded\n");
  ok(write_at(f, 7, "h", 1) == -1, "write after the limit succeeded\n");
  fail_writes_after(-1);
  ok(write_at(f, 7, "h", 1) == 1, "write after the hook was turned off failed\n");
  close_file(f);
  std::string got = contents_of(a);
  // The write that crossed the limit stored what fitted, as a full disk does.
  ok(got.compare(0, 5, "abcde") == 0, "file after failed write: %s\n", got.c_str());

  fail_writes_after(0);
  ok(!write_file((dir + "b.dat").c_str(), "xyz", 3), "write_file succeeded on a full disk\n");
  fail_writes_after(-1);
  ok(write_file((dir + "b.dat").c_str(), "xyz", 3), "write_file failed\n");
}

TEST(whole_file_helpers) {
  std::string dir = scratch_folder("whole");
  std::string a = dir + "a.dat";
  std::string data("bin\0ary\r\n", 9);
  ok(write_file(a.c_str(), data.data(), data.size()), "write_file failed\n");
  std::string back;
  ok(read_file(a.c_str(), &back) && back == data, "read_file gave %d bytes\n", (int)back.size());
  ok(write_file(a.c_str(), "s", 1) && contents_of(a) == "s", "write_file did not truncate\n");
  ok(!read_file((dir + "none").c_str(), &back), "read_file of a missing file succeeded\n");

  File* reader = open_file(a.c_str(), kRead, kShareRead, Disposition::OpenExisting);
  ok(read_file(a.c_str(), &back), "read_file refused a file open for shared reading\n");
  ok(!write_file(a.c_str(), "t", 1), "write_file succeeded while the file is read\n");
  close_file(reader);
}

TEST(shift_jis_names_with_backslash_trail_bytes) {
  std::string dir = scratch_folder("sjis");
  // 表 is 0x95 0x5C and ソ is 0x83 0x5C: the second bytes are not separators.
  std::string folder = dir + "表";
  std::string file = folder + "\\ソフト.INI";
  ok(create_directory(folder.c_str()), "create_directory 表 failed\n");
  ok(write_file(file.c_str(), "x=1", 3), "write_file ソフト.INI failed\n");
  ok(file_exists(file.c_str()), "ソフト.INI does not exist\n");
  ok(file_size(file.c_str()) == 3, "size of ソフト.INI\n");
  std::string copy = folder + "\\能力.INI";
  ok(copy_file(file.c_str(), copy.c_str(), true), "copy to 能力.INI failed\n");
  ok(move_file(copy.c_str(), (folder + "\\表示.INI").c_str()), "move to 表示.INI failed\n");
  ok(contents_of(folder + "\\表示.INI") == "x=1", "moved file content\n");
  ok(delete_file((folder + "\\表示.INI").c_str()), "delete 表示.INI failed\n");
}

TEST(no_access_handles_block_nothing) {
  std::string dir = scratch_folder("noaccess");
  std::string a = dir + "a.dat", b = dir + "b.dat";
  put_file(a, "abc");
  // Without data access the share mode is not checked either way.
  File* probe = open_file(a.c_str(), kNoAccess, kShareNone, Disposition::OpenExisting);
  ok(probe != nullptr, "open with no access failed\n");
  File* writer = open_file(a.c_str(), kRead | kWrite, kShareNone, Disposition::OpenExisting);
  ok(writer != nullptr, "exclusive open refused because of a no-access handle\n");
  close_file(writer);
  ok(move_file(a.c_str(), b.c_str()), "move refused because of a no-access handle\n");
  close_file(probe);
  ok(contents_of(b) == "abc", "moved file: %s\n", contents_of(b).c_str());
}

TEST(copy_of_an_open_source_depends_on_its_sharing) {
  std::string dir = scratch_folder("copywriting");
  std::string a = dir + "a.dat", b = dir + "b.dat";
  put_file(a, "abc");
  File* reader = open_file(a.c_str(), kRead, kShareRead, Disposition::OpenExisting);
  ok(copy_file(a.c_str(), b.c_str(), false), "copy of a file open for shared reading failed\n");
  close_file(reader);
  delete_file(b.c_str());

  File* writer = open_file(a.c_str(), kWrite, kShareNone, Disposition::OpenExisting);
  ok(!copy_file(a.c_str(), b.c_str(), false), "copy of a file held exclusively succeeded\n");
  close_file(writer);
  ok(!file_exists(b.c_str()), "refused copy created its target\n");
  // Wine's CopyFile shares writing of its source, so a writer that shares
  // reading does not stop it. The emulation follows Wine, where the tests
  // run; the program never copies a file it is writing.
  writer = open_file(a.c_str(), kWrite, kShareRead, Disposition::OpenExisting);
  ok(copy_file(a.c_str(), b.c_str(), false), "copy of a file being written with shared reading failed\n");
  close_file(writer);
  ok(contents_of(b) == "abc", "copy: %s\n", contents_of(b).c_str());
}

TEST(write_time_round_trips_at_filetime_resolution) {
  std::string dir = scratch_folder("times");
  std::string a = dir + "a.dat";
  ok(put_file(a, "x"), "cannot create %s\n", a.c_str());
  // 2026-12-06 12:00:00 UTC, as the server's Last-Modified would give it.
  const uint64_t noon = 134410320000000000ull;
  ok(set_file_write_time(a.c_str(), noon), "set_file_write_time failed\n");
  uint64_t back = 0;
  ok(file_write_time(a.c_str(), &back) && back == noon, "read back %llu\n", (unsigned long long)back);
  ok(!file_write_time((dir + "none").c_str(), &back), "time of a missing file\n");
  ok(!set_file_write_time((dir + "none").c_str(), noon), "time set on a missing file\n");

  // Set on the handle after the last write, the time outlives the close.
  std::string b = dir + "b.dat";
  File* file = open_file(b.c_str(), kWrite, kShareNone, Disposition::CreateAlways);
  ok(write_at(file, 0, "data", 4) == 4, "write failed\n");
  ok(set_write_time(file, noon), "set_write_time failed\n");
  close_file(file);
  ok(file_write_time(b.c_str(), &back) && back == noon, "after close %llu\n", (unsigned long long)back);
}
