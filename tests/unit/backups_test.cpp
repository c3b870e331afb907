// The safety copies of the main dialog. What 中止 and 初期化 bring back is
// checked end to end (tests/e2e/backup_test.cpp); these are the corners.
#include <string>

#include "platform/files.h"
#include "store/parts_index.h"
#include "tests/support/ok.h"
#include "tests/support/scratch.h"
#include "ui/backups.h"
#include "ui/destinations.h"

using oktest::get_file;
using oktest::put_file;

namespace {

const char* kClassNames[] = {"GLZSLCT.INI", "VGZLST0.INI", "VGZLST2.INI", "VGZLST3.INI",
                             "VGZLST4.INI"};

std::string program_folder(const char* name) {
  std::string dir = oktest::scratch_folder(name);
  plat::create_directory((dir + "HDINI").c_str());
  plat::create_directory((dir + "HDTMP").c_str());
  plat::create_directory((dir + "HDPARTS").c_str());
  return dir;
}

std::string content(const std::string& path) {
  std::string bytes;
  return get_file(path, &bytes) ? bytes : std::string("<missing>");
}

}  // namespace

TEST(destination_codes_follow_the_radio_buttons) {
  const int codes[] = {0, 2, 3, 4, 10};
  for (int i = 0; i < 5; ++i) {
    ok(ui::destination_code_for_index(i, 99) == codes[i], "index %d\n", i);
    ok(ui::destination_index(codes[i]) == i, "code %d\n", codes[i]);
  }
  ok(ui::destination_code_for_index(5, 3) == 3, "index 5 keeps the current code\n");
  ok(ui::destination_code_for_index(-1, 4) == 4, "index -1 keeps the current code\n");
  ok(ui::destination_index(1) == 0 && ui::destination_index(100) == 0,
     "unknown codes give index 0\n");
}

TEST(missing_work_folder_is_created_for_the_copies) {
  std::string dir = oktest::scratch_folder("nohdtmp");
  plat::create_directory((dir + "HDINI").c_str());
  put_file(dir + "HDINI\\VGZLST2.INI", "roof plan");
  ui::take_backups(dir.c_str());
  ok(content(dir + "HDTMP\\VGZLST2.INI") == "roof plan", "copy taken into a new HDTMP\\\n");
}

TEST(closing_deletes_the_copies_and_the_downloaded_index_only) {
  std::string dir = program_folder("close");
  for (const char* name : kClassNames) put_file(dir + "HDINI\\" + name, name);
  put_file(dir + "HDPARTS\\TRBHN.DAT", "index");
  ui::take_backups(dir.c_str());
  put_file(dir + "HDTMP\\TRBHN.DAT", "downloaded index");
  put_file(dir + "HDTMP\\TRBHN.LZH", "archive");
  put_file(dir + "HDTMP\\pvnbhn_lst061201.dat", "[INFO]\r\n");

  ui::delete_backups(dir.c_str());
  for (const char* name : kClassNames) {
    ok(!plat::file_exists((dir + "HDTMP\\" + name).c_str()), "%s copy deleted\n", name);
    ok(content(dir + "HDINI\\" + name) == name, "%s itself kept\n", name);
  }
  ok(!plat::file_exists((dir + "HDTMP\\TRBHNBAK.DAT").c_str()), "index copy deleted\n");
  ok(!plat::file_exists((dir + "HDTMP\\TRBHN.DAT").c_str()), "downloaded index deleted\n");
  ok(!plat::file_exists((dir + "HDTMP\\TRBHN.LZH").c_str()), "archive deleted\n");
  ok(plat::file_exists((dir + "HDTMP\\pvnbhn_lst061201.dat").c_str()),
     "files not named stay\n");
  ok(content(dir + "HDPARTS\\TRBHN.DAT") == "index", "parts index kept\n");
}
