// The parts index: merging records from the downloaded index, removing them,
// one write per operation. (A write cut at any file operation:
// recovery_test.cpp; the restore from the backup copy: tests/e2e/.)
#include <cstdint>
#include <string>

#include "platform/files.h"
#include "store/parts_index.h"
#include "tests/support/ok.h"
#include "tests/support/scratch.h"

using namespace oktest;
using namespace store;

namespace {

constexpr uint64_t kLongAgo = 125911584000000000ull;  // 2000-01-01

std::string empty_index() { return std::string(kPartsIndexSize, '\0'); }
// An entry: a little-endian code or part number of `size` bytes, then 24
// bytes of text, which tell entries of the same number apart.
void set_entry(std::string* index, size_t at, uint32_t number, int size, char text) {
  for (int n = 0; n < size; ++n) (*index)[at + n] = (char)(number >> (8 * n));
  index->replace(at + size, 24, 24, text);
}
void set_group(std::string* index, int g, int16_t code) {
  set_entry(index, group_offset(g), (uint16_t)code, 2, (char)('G' + g % 8));
}
void set_subgroup(std::string* index, int g, int s, int16_t code, char text) {
  set_entry(index, subgroup_offset(g, s), (uint16_t)code, 2, text);
}
void set_record(std::string* index, int g, int s, int k, int32_t part, char text = 'r') {
  set_entry(index, record_offset(g, s, k), (uint32_t)part, 4, text);
}
// Local index: group 30 and subgroup 70 at (3, 7). The downloaded one also
// has part 7777 at (3, 7, 12) and part 8888 at (3, 7, 13).
std::string local_index() {
  std::string index = empty_index();
  set_group(&index, 3, 30);
  set_subgroup(&index, 3, 7, 70, 'S');
  return index;
}
std::string server_index() {
  std::string index = local_index();
  set_record(&index, 3, 7, 12, 7777, 'n');
  set_record(&index, 3, 7, 13, 8888, 'm');
  return index;
}

// A program folder with the local and the downloaded index (none when empty).
struct Folder {
  std::string dir, local, downloaded;
  PartsIndexStore store;
};

void make_folder(Folder* f, const char* name, const std::string& local, const std::string& server) {
  f->dir = oktest::scratch_folder(name);
  plat::create_directory((f->dir + "HDPARTS").c_str());
  plat::create_directory((f->dir + "HDTMP").c_str());
  f->local = f->dir + "HDPARTS\\TRBHN.DAT", f->downloaded = f->dir + "HDTMP\\TRBHN.DAT";
  if (!local.empty()) put_file(f->local, local);
  if (!server.empty()) put_file(f->downloaded, server);
  // Unchanged files keep this time: a rewrite with the same bytes shows.
  plat::set_file_write_time(f->local.c_str(), kLongAgo);
  f->store = PartsIndexStore();
  f->store.program_directory = f->dir;
}

bool untouched(const Folder& f, const std::string& before) {
  uint64_t time = 0;
  return file_text(f.local) == before && plat::file_write_time(f.local.c_str(), &time) &&
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
         i->replace(subgroup_offset(3, 7), 26, server_index().substr(subgroup_offset(3, 7), 26));
         set_record(i, 3, 7, 12, 7777, 'n');
       }},
      {"no match: subgroup entry kept",
       [](std::string* i) { *i = empty_index(), set_subgroup(i, 3, 7, 71, 'Q'); }, 7777,
       [](std::string* i) { set_record(i, 3, 7, 12, 7777, 'n'); }},
      {"part not on the server", [](std::string*) {}, 4242, nullptr},
      {"part number 0", [](std::string*) {}, 0, nullptr},
  };
  for (const auto& c : cases) {
    Folder f;
    std::string local = local_index();
    c.local(&local);
    make_folder(&f, "merge", local, server_index());
    int result = merge_part_record(&f.store, c.part);
    if (c.expect) c.expect(&local);
    ok(result == (c.expect ? 1 : 0) && untouched(f, local) == !c.expect &&
           file_text(f.local) == local,
       "%s: result %d, index wrong or rewritten\n", c.what, result);
  }
}

TEST(missing_short_and_long_indexes) {
  Folder f;
  make_folder(&f, "merge_absent", local_index(), "");
  ok(merge_part_record(&f.store, 7777) == 0 && untouched(f, local_index()), "no server index\n");
  make_folder(&f, "merge_no_local", "", server_index());
  ok(merge_part_record(&f.store, 7777) == 0 && remove_part_record(&f.store, 7777) == 0 &&
         !plat::file_exists(f.local.c_str()),
     "a missing local index was created\n");

  // A short index reads as padded with zeros and is written back whole; a
  // long one loses its extra bytes.
  std::string expected = local_index();
  set_record(&expected, 3, 7, 12, 7777, 'n');
  make_folder(&f, "index_short", local_index().substr(0, 1000),
              server_index().substr(0, record_offset(3, 7, 13)));
  ok(merge_part_record(&f.store, 8888) == 0, "part past a short server index\n");
  ok(merge_part_record(&f.store, 7777) == 1 && file_text(f.local) == expected, "short index\n");
  make_folder(&f, "index_long", local_index() + std::string(100, 'x'),
              server_index() + std::string(100, 'y'));
  ok(merge_part_record(&f.store, 7777) == 1 && file_text(f.local) == expected, "long index\n");
}

TEST(remove_clears_only_the_first_record) {
  Folder f;
  std::string local = local_index();
  set_record(&local, 3, 7, 12, 7777);
  set_record(&local, 9, 9, 9, 7777);
  make_folder(&f, "remove", local, "");
  ok(remove_part_record(&f.store, 4242) == 0 && remove_part_record(&f.store, 0) == 0 &&
         untouched(f, local),
     "a part not indexed changed the file\n");
  ok(remove_part_record(&f.store, 7777) == 1, "remove reported no change\n");
  local.replace(record_offset(3, 7, 12), 28, 28, '\0');
  ok(file_text(f.local) == local, "record not cleared, or subgroup touched\n");
}

TEST(one_write_per_operation) {
  Folder f;
  std::string local = local_index();
  make_folder(&f, "batch", local, server_index());
  begin_index_changes(&f.store);
  ok(merge_part_record(&f.store, 7777) == 1, "first merge\n");
  begin_index_changes(&f.store);  // a report handled inside the run
  ok(merge_part_record(&f.store, 8888) == 1 && end_index_changes(&f.store) == 1, "nested merge\n");
  ok(remove_part_record(&f.store, 7777) == 1 && merge_part_record(&f.store, 7777) == 1,
     "remove and merge again in the run\n");
  ok(untouched(f, local), "written before the end\n");
  ok(end_index_changes(&f.store) == 1, "end of the run\n");
  set_record(&local, 3, 7, 12, 7777, 'n');
  set_record(&local, 3, 7, 13, 8888, 'm');
  ok(file_text(f.local) == local, "run's changes not written\n");
  // A run that changes nothing writes nothing.
  plat::set_file_write_time(f.local.c_str(), kLongAgo);
  begin_index_changes(&f.store);
  merge_part_record(&f.store, 7777);
  remove_part_record(&f.store, 4242);
  ok(end_index_changes(&f.store) == 1 && untouched(f, local), "idle run wrote\n");

  // Same size, new contents and a new time: the cached server index goes.
  std::string server = server_index();
  set_record(&server, 3, 7, 14, 9999, 'q');
  put_file(f.downloaded, server);
  plat::set_file_write_time(f.downloaded.c_str(), kLongAgo + 10000000);
  set_record(&local, 3, 7, 14, 9999, 'q');
  ok(merge_part_record(&f.store, 9999) == 1 && file_text(f.local) == local,
     "new server index not read\n");
}

#ifndef _WIN32
#include <thread>

TEST(an_index_held_for_a_moment_is_waited_for) {
  Folder f;
  make_folder(&f, "held", local_index(), server_index());
  // The unpacker still holds the downloaded index for a tenth of a second.
  plat::File* held = plat::open_file(f.downloaded.c_str(), plat::kWrite, plat::kShareNone,
                                     plat::Disposition::OpenExisting);
  std::thread release([held] {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    plat::close_file(held);
  });
  int merged = merge_part_record(&f.store, 7777);
  release.join();
  ok(merged == 1, "the merge waits for the index, got %d\n", merged);

  Folder none;
  make_folder(&none, "absent", local_index(), "");
  ok(merge_part_record(&none.store, 7777) == 0, "a missing index is not waited for\n");
}
#endif
