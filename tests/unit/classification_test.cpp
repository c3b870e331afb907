#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/notice.h"
#include "store/classification.h"
#include "tests/support/ok.h"
#include "tests/support/scratch.h"

using store::OpenMode;

namespace {

// Older layout, as the previous version of the suite wrote it.
constexpr size_t kOldMajor = 20, kOldClass = 250, kOldFigure = 2550, kOldTriple = 117550,
                 kOldReserved = 147550;

void put_u16(std::string* image, size_t at, unsigned value) {
  (*image)[at] = (char)(value & 0xFF);
  (*image)[at + 1] = (char)(value >> 8);
}

// Every name is distinct and told apart by its indices; figure names fill all
// 23 bytes so that nothing ends them but the byte after the field.
std::string old_major_name(int m) {
  return m == 4 ? std::string("表ソ項目") : "MAJOR" + std::to_string(m);
}
std::string old_class_name(int m, int i) { return "CLASS" + std::to_string(m * 10 + i); }
std::string old_figure_name(int m, int i, int f) {
  char name[32];
  std::snprintf(name, sizeof name, "FIG-%d-%d-%02d", m, i, f);
  std::string text = name;
  text.resize(23, 'z');
  return text;
}
unsigned old_part(int figure) { return 1001 + figure; }
unsigned old_value(int figure, int which) { return 0x8000 + 2 * figure + which; }

std::string old_layout_image() {
  std::string image(store::kOldFileSize, '\0');
  // The header's rest is not carried over.
  image.replace(0, 17, std::string("PVN-VTZ-V01\0OLDHD", 17));
  for (int item = 0; item < 100; ++item) {
    int m = item / 10, i = item % 10;
    if (i == 0) image.replace(kOldMajor + 23 * m, old_major_name(m).size(), old_major_name(m));
    image.replace(kOldClass + 23 * item, old_class_name(m, i).size(), old_class_name(m, i));
    for (int f = 0; f < 50; ++f) {
      int figure = item * 50 + f;
      image.replace(kOldFigure + 23 * figure, 23, old_figure_name(m, i, f));
      put_u16(&image, kOldTriple + 6 * figure, old_part(figure));
      put_u16(&image, kOldTriple + 6 * figure + 2, old_value(figure, 0));
      put_u16(&image, kOldTriple + 6 * figure + 4, old_value(figure, 1));
    }
  }
  for (size_t n = 0; n < store::kReservedSize; ++n)
    image[kOldReserved + n] = (char)(n * 7 % 251 + 1);
  return image;
}

std::string category_entry(const std::string& name) {
  std::string entry(28, '\0');
  return entry.replace(4, name.size(), name);
}
std::string figure_entry(int m, int i, int f) {
  int figure = (10 * m + i) * 50 + f;
  std::string entry(32, '\0');
  put_u16(&entry, 2, old_part(figure));
  put_u16(&entry, 4, old_value(figure, 0));
  put_u16(&entry, 6, old_value(figure, 1));
  return entry.replace(8, 23, old_figure_name(m, i, f));
}

// A program directory with its HDINI\ and HDTMP\ folders.
std::string program_folder(const char* test_name) {
  std::string dir = oktest::scratch_folder(test_name);
  plat::create_directory((dir + "HDINI").c_str());
  plat::create_directory((dir + "HDTMP").c_str());
  return dir;
}

bool all_zero(const std::string& bytes, size_t from, size_t count) {
  for (size_t n = from; n < from + count; ++n)
    if (bytes[n] != 0) return false;
  return true;
}

bool rows_blank(const std::vector<std::string>& rows, size_t from, size_t to) {
  for (size_t n = from; n < to; ++n)
    if (rows[n] != "   ") return false;
  return true;
}

int read_open(const std::string& dir, int code) {
  plat::File* file = nullptr;
  int result = store::open_classification_file(dir.c_str(), code, OpenMode::Read, &file);
  if (file) plat::close_file(file);
  return result;
}

}  // namespace

TEST(path_rule) {
  static const struct {
    int code;
    const char* path;
  } cases[] = {
      {0, "D:\\APP\\HDINI\\VGZLST0.INI"},   {2, "D:\\APP\\HDINI\\VGZLST2.INI"},
      {3, "D:\\APP\\HDINI\\VGZLST3.INI"},   {4, "D:\\APP\\HDINI\\VGZLST4.INI"},
      {10, "D:\\APP\\HDINI\\GLZSLCT.INI"},  {100, "D:\\APP\\HDTMP\\VGZLST0.INI"},
      {110, "D:\\APP\\HDTMP\\GLZSLCT.INI"}, {103, "D:\\APP\\HDTMP\\VGZLST3.INI"},
  };
  for (const auto& c : cases) {
    std::string path = store::classification_file_path("D:\\APP\\", c.code);
    ok(path == c.path, "code %d: got %s\n", c.code, path.c_str());
  }
}

TEST(missing_file_is_created_empty) {
  std::string dir = program_folder("created");
  plat::clear_error_box();
  std::vector<std::string> rows;
  ok(store::read_category_rows(dir.c_str(), 2, 1, 0, 0, &rows) == 1, "level 1 must read\n");
  ok(rows.size() == 12 && rows_blank(rows, 0, rows.size()), "%u major rows\n",
     (unsigned)rows.size());

  std::string bytes;
  ok(oktest::get_file(dir + "HDINI\\VGZLST2.INI", &bytes), "the file must exist\n");
  ok(bytes.size() == store::kClassFileSize, "size %u\n", (unsigned)bytes.size());
  if (bytes.size() != store::kClassFileSize) return;
  ok(std::memcmp(bytes.data(), "PVN-VTZ-V02", 11) == 0, "magic\n");
  ok(all_zero(bytes, 11, bytes.size() - 11), "everything after the magic must be zero\n");

  ok(store::read_category_rows(dir.c_str(), 2, 2, 11, 0, &rows) == 1 && rows.size() == 40 &&
         rows_blank(rows, 0, 40),
     "40 blank classification rows, got %u\n", (unsigned)rows.size());
  ok(store::read_category_rows(dir.c_str(), 2, 3, 11, 39, &rows) == 1 && rows.size() == 50 &&
         rows_blank(rows, 0, 50),
     "50 blank figure rows, got %u\n", (unsigned)rows.size());
  ok(plat::last_error_box()[0] == '\0', "no error box: %s\n", plat::last_error_box());
}

TEST(older_layout_is_converted) {
  std::string dir = program_folder("convert");
  std::string path = dir + "HDINI\\GLZSLCT.INI";
  std::string old = old_layout_image();
  ok(oktest::put_file(path, old), "writing the old file\n");

  ok(read_open(dir, 10) == 1, "the old file must open after conversion\n");
  std::string now;
  oktest::get_file(path, &now);
  ok(now.size() == store::kClassFileSize, "size %u\n", (unsigned)now.size());
  if (now.size() != store::kClassFileSize) return;
  ok(!plat::file_exists((path + ".new").c_str()), "no work file may stay beside it\n");

  ok(std::memcmp(now.data(), "PVN-VTZ-V02", 11) == 0 && all_zero(now, 11, 501),
     "header is the new magic and zeros\n");
  ok(now.compare(store::kReservedOffset, store::kReservedSize, old, kOldReserved,
                 store::kReservedSize) == 0,
     "reserved block carried over\n");

  // Entries as the new layout must hold them; all beyond the old 10 x 10 are zero.
  int bad_items = 0, bad_figures = 0;
  for (int m = 0; m < store::kMajorItems; ++m) {
    std::string name = m < 10 ? old_major_name(m) : "";
    bad_items += now.compare(store::major_item_offset(m), 28, category_entry(name)) != 0;
    for (int i = 0; i < store::kClassItems; ++i) {
      name = m < 10 && i < 10 ? old_class_name(m, i) : "";
      bad_items += now.compare(store::class_item_offset(m, i), 28, category_entry(name)) != 0;
      for (int f = 0; f < store::kFigureSlots; ++f) {
        std::string entry = m < 10 && i < 10 ? figure_entry(m, i, f) : std::string(32, 0);
        bad_figures += now.compare(store::figure_entry_offset(m, i, f), 32, entry) != 0;
      }
    }
  }
  ok(bad_items == 0, "%d category entries wrong\n", bad_items);
  ok(bad_figures == 0, "%d figure entries wrong\n", bad_figures);

  std::vector<std::string> rows;
  store::read_category_rows(dir.c_str(), 10, 1, 0, 0, &rows);
  ok(rows.size() == 12 && rows[4] == "表ソ項目" && rows[9] == "MAJOR9" &&
         rows_blank(rows, 10, 12),
     "major rows at their indices\n");
  store::read_category_rows(dir.c_str(), 10, 2, 9, 0, &rows);
  ok(rows.size() == 40 && rows[0] == "CLASS90" && rows[9] == "CLASS99" && rows_blank(rows, 10, 40),
     "classification rows at their indices\n");
  store::read_category_rows(dir.c_str(), 10, 3, 9, 9, &rows);
  ok(rows.size() == 50 && rows[49] == old_figure_name(9, 9, 49),
     "a 23-byte name ends with its field\n");

  ok(read_open(dir, 10) == 1, "a converted file opens again\n");
  std::string again;
  oktest::get_file(path, &again);
  ok(again == now, "a second open must not convert again\n");
}

TEST(name_without_nul_is_its_24_bytes) {
  std::string dir = program_folder("fullname");
  ok(read_open(dir, 0) == 1, "creating the file\n");
  plat::File* file = nullptr;
  ok(store::open_classification_file(dir.c_str(), 0, OpenMode::Write, &file) == 1, "write open\n");
  if (!file) return;
  std::string full = "表" + std::string(22, 'A');
  plat::write_at(file, store::major_item_offset(0) + 4, full.data(), 24);
  plat::write_at(file, store::major_item_offset(1), "XXXXname", 8);
  plat::write_at(file, store::figure_entry_offset(5, 7, 0) + 8, full.data(), 24);
  plat::write_at(file, store::figure_entry_offset(5, 7, 1), "\x01\x02\x03\x04\x05\x06\x07\x08", 8);
  plat::close_file(file);

  std::vector<std::string> rows;
  store::read_category_rows(dir.c_str(), 0, 1, 0, 0, &rows);
  ok(rows.size() == 12 && rows[0] == full && rows[1] == "name" && rows_blank(rows, 2, 12),
     "major rows: [%s]\n", rows.empty() ? "" : rows[0].c_str());
  store::read_category_rows(dir.c_str(), 0, 3, 5, 7, &rows);
  ok(rows.size() == 50 && rows[0] == full && rows_blank(rows, 1, 50),
     "figure rows: [%s]\n", rows.empty() ? "" : rows[0].c_str());
}

TEST(unknown_files_stay_untouched) {
  std::string short_old = old_layout_image();
  short_old.resize(store::kOldFileSize - 1);
  std::string other(store::kClassFileSize, '\0');
  std::memcpy(&other[0], "PVN-VTZ-V03", 11);
  const std::string cases[] = {short_old, other, std::string("PVN-VTZ-V0"), std::string()};

  int n = 0;
  for (const std::string& bytes : cases) {
    std::string dir = program_folder("unknown");
    std::string path = dir + "HDINI\\VGZLST4.INI";
    oktest::put_file(path, bytes);
    plat::clear_error_box();
    std::vector<std::string> rows;
    ok(read_open(dir, 4) == -1, "case %d: open must fail\n", n);
    ok(store::read_category_rows(dir.c_str(), 4, 1, 0, 0, &rows) == -1 && rows.empty(),
       "case %d: rows must fail\n", n);
    std::string now;
    ok(oktest::get_file(path, &now) && now == bytes, "case %d: the file changed\n", n);
    ok(!plat::file_exists((path + ".new").c_str()), "case %d: stray work file\n", n);
    ok(plat::last_error_box()[0] == '\0', "case %d: no error box: %s\n", n,
       plat::last_error_box());
    ++n;
  }
}

TEST(failed_conversion_leaves_the_original) {
  std::string dir = program_folder("failconv");
  std::string path = dir + "HDINI\\VGZLST3.INI";
  std::string old = old_layout_image();
  oktest::put_file(path, old);

  const int64_t limits[] = {0, 100000, store::kClassFileSize - 1};
  for (int64_t limit : limits) {
    plat::fail_writes_after(limit);
    int result = read_open(dir, 3);
    plat::fail_writes_after(-1);
    ok(result == -1, "writes failing after %d bytes: open gave %d\n", (int)limit, result);
    std::string now;
    oktest::get_file(path, &now);
    ok(now == old, "writes failing after %d bytes: the original changed\n", (int)limit);
    ok(!plat::file_exists((path + ".new").c_str()), "writes failing after %d bytes: stray file\n",
       (int)limit);
  }

  // Held by another reader, the file cannot be written, so it is not converted.
  plat::File* reader = plat::open_file(path.c_str(), plat::kRead, plat::kShareRead,
                                       plat::Disposition::OpenExisting);
  ok(read_open(dir, 3) == -1, "conversion of a file in use must fail\n");
  plat::close_file(reader);
  std::string now;
  oktest::get_file(path, &now);
  ok(now == old && !plat::file_exists((path + ".new").c_str()), "a file in use stays as it was\n");

  // A stale work file from an interrupted run is no obstacle.
  oktest::put_file(path + ".new", "stale");
  ok(read_open(dir, 3) == 1, "once writes succeed the conversion goes through\n");
  oktest::get_file(path, &now);
  ok(now.size() == store::kClassFileSize, "converted size %u\n", (unsigned)now.size());
  ok(!plat::file_exists((path + ".new").c_str()), "the stale work file is gone\n");
}

TEST(failed_creation_is_reported) {
#ifdef _WIN32
  // The error box is a real message box there and would wait for a click.
  skip_test("needs the native error box");
  return;
#endif
  std::string dir = program_folder("nocreate");
  std::string path = dir + "HDINI\\VGZLST0.INI";
  plat::create_directory(path.c_str());
  plat::clear_error_box();
  ok(read_open(dir, 0) == -1, "a folder in place of the file must fail\n");
  std::string expected = path + " \x83\x74\x83\x40\x83\x43\x83\x8B\x82\xAA\x83\x49\x81\x5B\x83\x76"
                                "\x83\x93\x82\xC5\x82\xAB\x82\xDC\x82\xB9\x82\xF1\x82\xC5\x82\xB5"
                                "\x82\xBD\x81\x42";
  ok(expected == plat::last_error_box(), "error box text: %s\n", plat::last_error_box());

  // Writing stops part way: no half file with a valid magic may be left.
  std::string dir2 = program_folder("halfcreate");
  plat::fail_writes_after(1000);
  plat::clear_error_box();
  int result = read_open(dir2, 0);
  plat::fail_writes_after(-1);
  ok(result == -1, "creation on a full disk must fail\n");
  ok(!plat::file_exists((dir2 + "HDINI\\VGZLST0.INI").c_str()), "no partial file may remain\n");
  ok(plat::last_error_box()[0] != '\0', "the failed creation is reported\n");
}

TEST(write_mode_is_exclusive) {
  std::string dir = program_folder("exclusive");
  std::string path = dir + "HDINI\\VGZLST0.INI";
  ok(read_open(dir, 0) == 1, "creating the file\n");

  plat::File* writer = nullptr;
  ok(store::open_classification_file(dir.c_str(), 0, OpenMode::Write, &writer) == 1,
     "write open\n");
  plat::File* reader = plat::open_file(path.c_str(), plat::kRead,
                                       plat::kShareRead | plat::kShareWrite,
                                       plat::Disposition::OpenExisting);
  ok(reader == nullptr, "a reader must be refused while the writer holds the file\n");
  if (reader) plat::close_file(reader);
  plat::close_file(writer);
  ok(plat::file_size(path.c_str()) == store::kClassFileSize, "write open keeps the content\n");
}
