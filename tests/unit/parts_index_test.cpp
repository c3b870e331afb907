// The parts index: merging records from the downloaded index, removing them,
// writing whole or not at all, and the restore from the backup copy.
#include <cstdint>
#include <cstring>
#include <string>

#include "platform/files.h"
#include "store/parts_index.h"
#include "tests/support/ok.h"
#include "tests/support/scratch.h"

using oktest::get_file;
using oktest::put_file;
using store::PartsIndexStore;

namespace {

constexpr uint64_t kLongAgo = 125911584000000000ull;  // 2000-01-01

void put16(std::string* bytes, size_t at, int16_t value) {
  (*bytes)[at] = (char)(value & 0xFF);
  (*bytes)[at + 1] = (char)((uint16_t)value >> 8);
}
void put32(std::string* bytes, size_t at, int32_t value) {
  for (int n = 0; n < 4; ++n) (*bytes)[at + n] = (char)((uint32_t)value >> (8 * n));
}

std::string empty_index() { return std::string(store::kPartsIndexSize, '\0'); }

void set_group(std::string* index, int g, int16_t code) {
  put16(index, store::group_offset(g), code);
  index->replace(store::group_offset(g) + 2, 24, 24, (char)('G' + g % 8));
}
void set_subgroup(std::string* index, int g, int s, int16_t code, char text) {
  put16(index, store::subgroup_offset(g, s), code);
  index->replace(store::subgroup_offset(g, s) + 2, 24, 24, text);
}
// The record's 24 bytes tell the copies of one part apart.
void set_record(std::string* index, int g, int s, int k, int32_t part, char text = 'r') {
  put32(index, store::record_offset(g, s, k), part);
  index->replace(store::record_offset(g, s, k) + 4, 24, 24, text);
}
// Downloaded index: part 7777 at (3, 7, 12), part 8888 at (3, 7, 13).
std::string server_index() {
  std::string index = empty_index();
  set_group(&index, 3, 30);
  set_subgroup(&index, 3, 7, 70, 'S');
  set_record(&index, 3, 7, 12, 7777, 'n');
  set_record(&index, 3, 7, 13, 8888, 'm');
  return index;
}
// Local index with the same group and subgroup entries at (3, 7).
std::string local_index() {
  std::string index = empty_index();
  set_group(&index, 3, 30);
  set_subgroup(&index, 3, 7, 70, 'S');
  return index;
}

struct Folder {
  std::string dir, local, downloaded, backup;
  PartsIndexStore store;
};

void make_folder(Folder* f, const char* name, const std::string& local, const std::string& server) {
  f->dir = oktest::scratch_folder(name);
  plat::create_directory((f->dir + "HDPARTS").c_str());
  plat::create_directory((f->dir + "HDTMP").c_str());
  f->local = f->dir + "HDPARTS\\TRBHN.DAT";
  f->downloaded = f->dir + "HDTMP\\TRBHN.DAT";
  f->backup = f->dir + "HDTMP\\TRBHNBAK.DAT";
  if (!local.empty()) put_file(f->local, local);
  if (!server.empty()) put_file(f->downloaded, server);
  // Unchanged files keep this time: a rewrite with the same bytes shows.
  plat::set_file_write_time(f->local.c_str(), kLongAgo);
  f->store = PartsIndexStore();
  f->store.program_directory = f->dir;
}

std::string content(const std::string& path) {
  std::string bytes;
  return get_file(path, &bytes) ? bytes : std::string("<missing>");
}

bool untouched(const Folder& f, const std::string& before) {
  uint64_t time = 0;
  return content(f.local) == before && plat::file_write_time(f.local.c_str(), &time) &&
         time == kLongAgo;
}

}  // namespace

TEST(merge_places_records) {
  using Edit = void (*)(std::string*);
  static const struct {
    const char* what;
    Edit local;  // applied to local_index()
    int32_t part;
    Edit expect;  // applied to the local index; nullptr: file not even rewritten
  } cases[] = {
      {"slot kept though lower ones are free", [](std::string*) {}, 7777,
       [](std::string* i) { set_record(i, 3, 7, 12, 7777, 'n'); }},
      {"slot taken: first free slot",
       [](std::string* i) { set_record(i, 3, 7, 12, 5555), set_record(i, 3, 7, 0, 5556); }, 7777,
       [](std::string* i) { set_record(i, 3, 7, 1, 7777, 'n'); }},
      {"slot taken, part present elsewhere",
       [](std::string* i) { set_record(i, 3, 7, 12, 5555), set_record(i, 20, 0, 5, 7777); }, 7777,
       nullptr},
      {"slot free, part present elsewhere", [](std::string* i) { set_record(i, 0, 0, 0, 7777); },
       7777, [](std::string* i) { set_record(i, 3, 7, 12, 7777, 'n'); }},
      {"same part in the slot", [](std::string* i) { set_record(i, 3, 7, 12, 7777, 'o'); }, 7777,
       nullptr},
      {"subgroup full",
       [](std::string* i) {
         for (int k = 0; k < 100; ++k) set_record(i, 3, 7, k, 100 + k);
       },
       7777, nullptr},
      // Group 1 has the codes but its first subgroup 70 has other bytes; a
      // later one with the right bytes does not count. Group 5 matches.
      {"matching subgroup elsewhere",
       [](std::string* i) {
         *i = empty_index();
         set_group(i, 1, 30), set_subgroup(i, 1, 4, 70, 'X'), set_subgroup(i, 1, 9, 70, 'S');
         set_group(i, 5, 30), set_subgroup(i, 5, 2, 70, 'S');
       },
       8888, [](std::string* i) { set_record(i, 5, 2, 13, 8888, 'm'); }},
      {"no match: empty subgroup entry filled",
       [](std::string* i) { *i = empty_index(), set_group(i, 3, 31); }, 7777,
       [](std::string* i) {
         i->replace(store::subgroup_offset(3, 7), 26,
                    server_index().substr(store::subgroup_offset(3, 7), 26));
         set_record(i, 3, 7, 12, 7777, 'n');
       }},
      {"no match: subgroup entry kept",
       [](std::string* i) { *i = empty_index(), set_subgroup(i, 3, 7, 71, 'Q'); },
       7777, [](std::string* i) { set_record(i, 3, 7, 12, 7777, 'n'); }},
      {"part not on the server", [](std::string*) {}, 4242, nullptr},
      {"part number 0", [](std::string*) {}, 0, nullptr},
  };
  for (const auto& c : cases) {
    Folder f;
    std::string local = local_index();
    c.local(&local);
    make_folder(&f, "merge", local, server_index());
    int result = store::merge_part_record(&f.store, c.part);
    if (!c.expect) {
      ok(result == 0 && untouched(f, local), "%s: index changed or rewritten\n", c.what);
      continue;
    }
    c.expect(&local);
    ok(result == 1 && content(f.local) == local, "%s: wrong index (result %d)\n", c.what, result);
    ok(!plat::file_exists((f.local + ".new").c_str()), "%s: work file left\n", c.what);
  }
}

TEST(nothing_changes_without_both_indexes) {
  Folder f;
  std::string local = local_index();
  make_folder(&f, "merge_absent", local, server_index());
  plat::delete_file(f.downloaded.c_str());
  ok(store::merge_part_record(&f.store, 7777) == 0 && untouched(f, local), "no server index\n");
  make_folder(&f, "merge_no_local", "", server_index());
  ok(store::merge_part_record(&f.store, 7777) == 0 && !plat::file_exists(f.local.c_str()),
     "a missing local index was created\n");
}

TEST(short_and_long_indexes) {
  Folder f;
  std::string local = local_index().substr(0, 1000);
  make_folder(&f, "index_short", local, server_index().substr(0, store::record_offset(3, 7, 13)));
  std::vector<uint8_t> read;
  ok(store::read_parts_index(f.dir.c_str(), store::IndexCopy::Local, &read) &&
         read.size() == store::kPartsIndexSize && read[999] == 0 && read[5000] == 0,
     "a short index reads padded\n");
  ok(store::merge_part_record(&f.store, 8888) == 0, "part past a short server index\n");
  ok(store::merge_part_record(&f.store, 7777) == 1, "merge from a short server index\n");
  std::string expected = local_index();
  set_record(&expected, 3, 7, 12, 7777, 'n');
  ok(content(f.local) == expected, "short index not written back whole\n");

  local = local_index() + std::string(100, 'x');
  make_folder(&f, "index_long", local, server_index() + std::string(100, 'y'));
  ok(store::merge_part_record(&f.store, 7777) == 1 && content(f.local) == expected,
     "long index: extra bytes not dropped\n");
}

TEST(remove_clears_only_the_first_record) {
  Folder f;
  std::string local = local_index();
  set_record(&local, 3, 7, 12, 7777);
  set_record(&local, 9, 9, 9, 7777);
  make_folder(&f, "remove", local, "");
  ok(store::remove_part_record(&f.store, 4242) == 0 && untouched(f, local), "not indexed\n");
  ok(store::remove_part_record(&f.store, 0) == 0 && untouched(f, local), "part number 0\n");
  ok(store::remove_part_record(&f.store, 7777) == 1, "remove reported no change\n");
  local.replace(store::record_offset(3, 7, 12), 28, 28, '\0');
  ok(content(f.local) == local, "record not cleared, or subgroup touched\n");
  plat::delete_file(f.local.c_str());
  ok(store::remove_part_record(&f.store, 7777) == 0 && !plat::file_exists(f.local.c_str()),
     "missing index created\n");
}

TEST(one_write_per_operation) {
  Folder f;
  std::string local = local_index();
  make_folder(&f, "batch", local, server_index());
  store::begin_index_changes(&f.store);
  ok(store::merge_part_record(&f.store, 7777) == 1, "first merge\n");
  store::begin_index_changes(&f.store);  // a report handled inside the run
  ok(store::merge_part_record(&f.store, 8888) == 1, "nested merge\n");
  ok(store::end_index_changes(&f.store) == 1 && untouched(f, local), "written before the end\n");
  ok(store::remove_part_record(&f.store, 7777) == 1, "remove in the run\n");
  ok(store::merge_part_record(&f.store, 7777) == 1, "merge again in the run\n");
  ok(untouched(f, local), "written before the end\n");
  ok(store::end_index_changes(&f.store) == 1, "end of the run\n");
  set_record(&local, 3, 7, 12, 7777, 'n');
  set_record(&local, 3, 7, 13, 8888, 'm');
  ok(content(f.local) == local, "run's changes not written\n");
  ok(f.store.local.empty() && !f.store.local_loaded, "local index kept after the run\n");

  // A run that changes nothing writes nothing.
  plat::set_file_write_time(f.local.c_str(), kLongAgo);
  store::begin_index_changes(&f.store);
  store::merge_part_record(&f.store, 7777);
  store::remove_part_record(&f.store, 4242);
  ok(store::end_index_changes(&f.store) == 1 && untouched(f, local), "idle run wrote\n");
}

TEST(server_index_reread_when_replaced) {
  Folder f;
  make_folder(&f, "server_cache", local_index(), server_index());
  ok(store::merge_part_record(&f.store, 7777) == 1, "first merge\n");
  // Same size, new contents and a new time: the cached copy must go.
  std::string server = server_index();
  set_record(&server, 3, 7, 14, 9999, 'q');
  put_file(f.downloaded, server);
  plat::set_file_write_time(f.downloaded.c_str(), kLongAgo + 10000000);
  ok(store::merge_part_record(&f.store, 9999) == 1, "part of the new server index\n");
  std::string expected = local_index();
  set_record(&expected, 3, 7, 12, 7777, 'n');
  set_record(&expected, 3, 7, 14, 9999, 'q');
  ok(content(f.local) == expected, "merges from both server indexes\n");
}

TEST(failed_write_keeps_the_previous_index) {
  Folder f;
  std::string local = local_index();
  make_folder(&f, "write_fails", local, server_index());
  plat::fail_writes_after(store::kPartsIndexSize / 2);
  ok(store::merge_part_record(&f.store, 7777) == 0, "merge not written reported as done\n");
  plat::fail_writes_after(-1);
  ok(untouched(f, local), "index changed by a failed write\n");
  ok(!plat::file_exists((f.local + ".new").c_str()), "half-written copy left\n");

  std::string index = server_index();
  plat::fail_writes_after(1000);
  ok(store::write_parts_index(f.dir.c_str(), store::IndexCopy::Local,
                              (const uint8_t*)index.data()) == 0,
     "failed write reported as done\n");
  plat::fail_writes_after(-1);
  ok(untouched(f, local), "index changed by a failed write\n");
  ok(store::write_parts_index(f.dir.c_str(), store::IndexCopy::Local,
                              (const uint8_t*)index.data()) == 1 && content(f.local) == index,
     "write after the disk recovered\n");
}

TEST(restore_brings_back_the_backup) {
  Folder f;
  std::string backup = local_index();
  set_record(&backup, 1, 2, 3, 1001, '\xE9');
  make_folder(&f, "restore", local_index(), "");
  store::restore_parts_index(f.dir.c_str());
  ok(content(f.local) == local_index(), "restore without a backup changed the index\n");
  put_file(f.backup, backup);
  store::merge_part_record(&f.store, 7777);
  store::restore_parts_index(f.dir.c_str());
  ok(content(f.local) == backup, "index not restored byte for byte\n");
  ok(content(f.backup) == backup, "backup copy changed\n");
  plat::delete_file(f.local.c_str());
  store::restore_parts_index(f.dir.c_str());
  ok(content(f.local) == backup, "missing index not restored\n");
}
