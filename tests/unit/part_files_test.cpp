// Part file names, and a file's kind and version by its header or name.
#include <cstdint>
#include <string>
#include <utility>

#include "platform/files.h"
#include "store/part_files.h"
#include "tests/support/ok.h"
#include "tests/support/scratch.h"

using oktest::put_file;
using store::PartFileVariant;

TEST(part_file_folders_hold_2000_parts_counted_from_1001) {
  using store::part_file_path;
  ok(part_file_path("D:\\表\\", PartFileVariant::Current, 3000) ==
             "D:\\表\\HDPARTS\\PARTS000\\P0003000.BHN" &&
         part_file_path("D:\\", PartFileVariant::Current, 3001) ==
             "D:\\HDPARTS\\PARTS001\\P0003001.BHN" &&
         part_file_path("D:\\", PartFileVariant::Saved, 60000) ==
             "D:\\HDPARTS\\PARTS029\\RE0060000.BHN",
     "part file paths\n");
}

TEST(kinds_by_header_then_by_name_and_versions_by_header) {
  std::string dir = oktest::scratch_folder("kind");
  std::string jw = "jw_cad(c)data" + std::string(9, 'x');  // byte 22 decides
  static const struct {
    const char* name;
    std::string bytes;
    int kind;
  } cases[] = {
      // A header wins over a name whose ending is known, even when the file
      // is no longer than the header; cut short it is no header.
      {"a.bmp", "PT-V01", 13},
      {"a.txt", "PVN-FMZ-V" + std::string(300, 'x'), 20},
      {"a.DAT", "PT-V0", -1},
      {"z.dat", " PT-V01", -1},
      {"z.txt", std::string(40, ' ') + "PT-V01", 0},
      {"a.DAT", jw + "f", 18},
      {"a.txt", jw + "F", 8},
      {"a.jpg", jw.substr(0, 21) + "f", 8},
      {"a.HTML", "<html>503</html>", 23},
      {"a.JPEG", "<html>", 7},
      {"表.TXT", "", 0},
      {"BH0001234.DAT", "<html>", -1},
      {"a.phtml", "<html>", -1},
  };
  for (const auto& c : cases) {
    put_file(dir + c.name, c.bytes);
    ok(store::detect_file_kind((dir + c.name).c_str()) == c.kind, "%s [%.12s]: %d\n", c.name,
       c.bytes.c_str(), store::detect_file_kind((dir + c.name).c_str()));
  }
  // Another handle that does not share reading keeps the file from us.
  std::string path = dir + "held.txt";
  put_file(path, "PT-V01");
  plat::File* held =
      plat::open_file(path.c_str(), plat::kRead, plat::kShareNone, plat::Disposition::OpenExisting);
  ok(store::detect_file_kind(path.c_str()) == -1 && store::part_data_version(path.c_str()) == -1,
     "a held file\n");
  plat::close_file(held);
  ok(store::detect_file_kind(path.c_str()) == 13 &&
         store::detect_file_kind((dir + "none").c_str()) == -1 &&
         store::part_data_version((dir + "none").c_str()) == -1,
     "released and missing files\n");

  // Versions of part data files by their headers.
  std::string old(20, '\0');
  old[12] = (char)(830 & 0xFF), old[13] = (char)(830 >> 8);
  const std::pair<std::string, int> versions[] = {
      {"PT-V01", 6}, {"GZK-V1xx", 5},        {"V4-1", 4}, {"V3-1", 3},
      {old, 2},      {old.substr(0, 13), 1}, {"PT-V0", 1}};
  for (const auto& [bytes, version] : versions) {
    put_file(dir + "P.BHN", bytes);
    ok(store::part_data_version((dir + "P.BHN").c_str()) == version, "%u bytes [%.6s]\n",
       (unsigned)bytes.size(), bytes.c_str());
  }
}
