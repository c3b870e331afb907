// Classification files: created when missing, older-layout files converted
// whole or not at all, unknown files left alone, rows as the lists show them.
#include <cstring>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/notice.h"
#include "store/classification.h"
#include "tests/support/classification_files.h"
#include "tests/support/ok.h"
#include "tests/support/scratch.h"

using oktest::file_text;

namespace {

using Rows = std::vector<std::string>;

std::string program_folder(const char* test_name) {
  std::string dir = oktest::scratch_folder(test_name);
  plat::create_directory((dir + "HDINI").c_str());
  plat::create_directory((dir + "HDTMP").c_str());
  return dir;
}

Rows rows(const std::string& dir, int code, int level, int a = 0, int b = 0) {
  Rows out;
  if (store::read_category_rows(dir.c_str(), code, level, a, b, &out) != 1)
    out.assign(1, "<failed>");
  return out;
}

bool blank_from(const Rows& list, size_t from) {
  for (size_t n = from; n < list.size(); ++n)
    if (list[n] != "   ") return false;
  return true;
}

int open_to_read(const std::string& dir, int code) {
  plat::File* file = nullptr;
  int result = store::open_classification_file(dir.c_str(), code, store::OpenMode::Read, &file);
  plat::close_file(file);
  return result;
}

}  // namespace

TEST(missing_file_is_created_empty) {
  const std::string created = "PVN-VTZ-V02" + std::string(kCurrentSize - 11, '\0'),
                    dir = program_folder("created");
  plat::clear_error_box();
  ok(rows(dir, 2, 3, 11, 39) == rows_of(created, 3, 11, 39), "50 blank rows\n");
  ok(file_text(dir + "HDINI\\VGZLST2.INI") == created, "a new file is the magic and zeros\n");
  ok(plat::last_error_box()[0] == '\0', "error box: %s\n", plat::last_error_box());
}

TEST(older_layout_is_converted) {
  std::string dir = program_folder("convert");
  std::string path = dir + "HDINI\\GLZSLCT.INI";
  const OldFile file = old_file();
  oktest::put_file(path, file.old);
  ok(open_to_read(dir, 10) == 1, "the old file must open after conversion\n");
  // Every field at its new place, the reserved block carried, the rest zero.
  ok(file_text(path) == file.converted && !plat::file_exists((path + ".new").c_str()),
     "converted file differs (%u bytes), or a work file stays\n", (unsigned)file_text(path).size());
  ok(rows(dir, 10, 2, 9) == rows_of(file.converted, 2, 9), "rows, names of 23 bytes among them\n");
  ok(open_to_read(dir, 10) == 1 && file_text(path) == file.converted,
     "a second open must not convert again\n");
}

TEST(write_mode_is_exclusive_and_a_name_without_nul_is_its_24_bytes) {
  std::string dir = program_folder("fullname"), path = dir + "HDINI\\VGZLST0.INI";
  plat::File* file = nullptr;
  ok(open_to_read(dir, 0) == 1, "creating the file\n");
  ok(store::open_classification_file(dir.c_str(), 0, store::OpenMode::Write, &file) == 1,
     "write open\n");
  if (!file) return;
  plat::File* reader =
      plat::open_file(path.c_str(), plat::kRead, plat::kShareRead | plat::kShareWrite,
                      plat::Disposition::OpenExisting);
  ok(!reader, "a reader must be refused while the writer holds the file\n");
  plat::close_file(reader);
  std::string full = "表" + std::string(22, 'A');
  plat::write_at(file, store::major_item_offset(0) + 4, full.data(), 24);
  plat::write_at(file, store::major_item_offset(1), "XXXXname", 8);
  plat::write_at(file, store::figure_entry_offset(5, 7, 0) + 8, full.data(), 24);
  plat::write_at(file, store::figure_entry_offset(5, 7, 1), "\x01\x02\x03\x04\x05\x06\x07\x08", 8);
  plat::close_file(file);
  ok(plat::file_size(path.c_str()) == store::kClassFileSize, "write open keeps the content\n");
  Rows major = rows(dir, 0, 1), figures = rows(dir, 0, 3, 5, 7);
  ok(major.size() == 12 && major[0] == full && major[1] == "name" && blank_from(major, 2),
     "major rows\n");
  ok(figures.size() == 50 && figures[0] == full && blank_from(figures, 1), "figure rows\n");
}

TEST(unknown_files_and_failed_conversions_leave_the_file) {
  std::string other(store::kClassFileSize, '\0');
  other.replace(0, 11, "PVN-VTZ-V03");
  const std::string cases[] = {old_file().old.substr(0, kOldSize - 1), other, "PVN-VTZ-V0", ""};
  for (const std::string& bytes : cases) {
    std::string dir = program_folder("unknown"), path = dir + "HDINI\\VGZLST4.INI";
    oktest::put_file(path, bytes);
    plat::clear_error_box();
    Rows list;
    ok(open_to_read(dir, 4) == -1 &&
           store::read_category_rows(dir.c_str(), 4, 1, 0, 0, &list) == -1 && list.empty() &&
           file_text(path) == bytes && !plat::file_exists((path + ".new").c_str()) &&
           !plat::last_error_box()[0],
       "%u bytes: open and rows must fail silently and leave the file\n", (unsigned)bytes.size());
  }

  std::string dir = program_folder("failconv");
  std::string path = dir + "HDINI\\VGZLST3.INI", old = old_file().old;
  oktest::put_file(path, old);
  // Held by another reader, the file cannot be written, so it is not
  // converted. (A conversion cut at any file operation: recovery_test.cpp.)
  plat::File* reader =
      plat::open_file(path.c_str(), plat::kRead, plat::kShareRead, plat::Disposition::OpenExisting);
  ok(open_to_read(dir, 3) == -1, "conversion of a file in use must fail\n");
  plat::close_file(reader);
  ok(file_text(path) == old && !plat::file_exists((path + ".new").c_str()),
     "a file in use stays as it was\n");
  // A stale work file from an interrupted run is no obstacle.
  oktest::put_file(path + ".new", "stale");
  ok(open_to_read(dir, 3) == 1 && file_text(path).size() == store::kClassFileSize &&
         !plat::file_exists((path + ".new").c_str()),
     "conversion after a stale work file, which goes\n");
}

// Natively only: under Wine the error box is a real message box that waits
// for a click.
#ifndef _WIN32
TEST(failed_creation_is_reported) {
  std::string dir = program_folder("nocreate"), path = dir + "HDINI\\VGZLST0.INI";
  plat::create_directory(path.c_str());
  plat::clear_error_box();
  ok(open_to_read(dir, 0) == -1, "a folder in place of the file must fail\n");
  ok(std::strncmp(plat::last_error_box(), (path + " ").c_str(), path.size() + 1) == 0 &&
         std::strlen(plat::last_error_box()) > path.size() + 1,
     "the box names the file: %s\n", plat::last_error_box());
  // Writing stops part way: no half file with a valid magic may be left.
  dir = program_folder("halfcreate");
  plat::fail_writes_after(1000);
  plat::clear_error_box();
  int result = open_to_read(dir, 0);
  plat::fail_writes_after(-1);
  ok(result == -1 && !plat::file_exists((dir + "HDINI\\VGZLST0.INI").c_str()),
     "a partial file remains\n");
  ok(plat::last_error_box()[0] != '\0', "the failed creation is reported\n");
}
#endif
