// Part file names, kinds and versions.
#include <cstdint>
#include <string>

#include "platform/files.h"
#include "store/part_files.h"
#include "tests/support/ok.h"
#include "tests/support/scratch.h"

using oktest::put_file;
using store::PartFileVariant;
using store::WorkFile;

namespace {

std::string padded(const std::string& head, size_t size) {
  std::string bytes = head;
  bytes.resize(size, 'x');
  return bytes;
}

int kind_of_file(const std::string& dir, const std::string& name, const std::string& bytes) {
  put_file(dir + name, bytes);
  return store::detect_file_kind((dir + name).c_str());
}

}  // namespace

TEST(part_and_work_file_names) {
  static const struct {
    PartFileVariant variant;
    int32_t part;
    const char* path;
  } cases[] = {
      {PartFileVariant::Current, 1001, "D:\\APP\\HDPARTS\\PARTS000\\P0001001.BHN"},
      {PartFileVariant::Current, 3000, "D:\\APP\\HDPARTS\\PARTS000\\P0003000.BHN"},
      {PartFileVariant::Current, 3001, "D:\\APP\\HDPARTS\\PARTS001\\P0003001.BHN"},
      {PartFileVariant::Current, 60000, "D:\\APP\\HDPARTS\\PARTS029\\P0060000.BHN"},
      {PartFileVariant::Saved, 3001, "D:\\APP\\HDPARTS\\PARTS001\\RE0003001.BHN"},
      {PartFileVariant::Saved, 59001, "D:\\APP\\HDPARTS\\PARTS029\\RE0059001.BHN"},
  };
  for (const auto& c : cases) {
    std::string path = store::part_file_path("D:\\APP\\", c.variant, c.part);
    ok(path == c.path, "part %d: got %s\n", c.part, path.c_str());
  }
  ok(store::work_file_path("D:\\表\\", WorkFile::Downloaded, 1234) == "D:\\表\\HDTMP\\BH0001234.DAT",
     "downloaded data name\n");
  ok(store::work_file_path("D:\\", WorkFile::View, 60000) == "D:\\HDTMP\\VIEW0060000.DAT",
     "view file name\n");
  ok(store::work_file_path("D:\\", WorkFile::SavedPrevious, 1001) == "D:\\HDTMP\\DELBH0001001.DAT",
     "saved previous name\n");
}

TEST(kinds_by_header_win_over_names) {
  std::string dir = oktest::scratch_folder("kind_head");
  static const struct {
    const char* head;
    int kind;
  } cases[] = {
      {"PVN-FMZ-V", 20},  {"PVN-WCAD-V", 2}, {"PVN-MHZ-V", 3},  {"PVN-WSIT-V", 4},
      {"PVN-KOZO-V", 6},  {"PVN-FORM-V", 10}, {"PVN-FMRD-V", 11}, {"PVN-KSIN-V", 12},
      {"V3-1", 13}, {"V4-1", 13}, {"GZK-V1", 13}, {"PT-V01", 13},
  };
  for (const auto& c : cases) {
    // A file exactly as long as the header still matches it; a name whose
    // ending is in the table does not override it.
    ok(kind_of_file(dir, "a.bmp", c.head) == c.kind, "%s alone\n", c.head);
    ok(kind_of_file(dir, "BH0001234.DAT", padded(c.head, 300)) == c.kind, "%s padded\n", c.head);
    std::string cut(c.head, std::string(c.head).size() - 1);
    ok(kind_of_file(dir, "BH0001234.DAT", cut) == -1, "%s cut short matched\n", c.head);
  }
  ok(kind_of_file(dir, "z.dat", " PT-V01") == -1, "header not at the start\n");
  ok(kind_of_file(dir, "z.dat", "pt-v01") == -1, "headers are case-sensitive\n");
  // Headers only look at the first 40 bytes.
  ok(kind_of_file(dir, "z.txt", std::string(40, ' ') + "PT-V01") == 0, "header after byte 40\n");
}

TEST(jw_cad_decided_by_byte_22) {
  std::string dir = oktest::scratch_folder("kind_jw");
  std::string head = "jw_cad(c)data";
  ok(kind_of_file(dir, "a.DAT", padded(head, 22) + "f") == 18, "f at 22\n");
  ok(kind_of_file(dir, "a.txt", padded(head, 22) + "F") == 8, "F at 22\n");
  ok(kind_of_file(dir, "a.jpg", padded(head, 21) + "f") == 8, "f at 21\n");
  ok(kind_of_file(dir, "a.csv", head) == 8, "file ending before byte 22\n");
}

TEST(kinds_by_name_ending) {
  std::string dir = oktest::scratch_folder("kind_name");
  std::string page = "<html><body>503</body></html>";
  static const struct {
    const char* name;
    int kind;
  } cases[] = {
      {"a.htm", 23},  {"a.HTML", 23}, {"a.Csv", 22}, {"a.hud", 21},  {"a.BMP", 1},
      {"a.jpg", 7},   {"a.JPEG", 7},  {"a.dxf", 9},  {"a.bat", 0},   {"a.TXT", 0},
      {"a.doc", 0},   {"a.ini", 0},   {"a.log", 0},  {"表.txt", 0},  {"BH0001234.DAT", -1},
      {"a.phtml", -1}, {"ajpeg", -1}, {"a.tx", -1}, {"txt", -1},
  };
  for (const auto& c : cases)
    ok(kind_of_file(dir, c.name, page) == c.kind, "%s\n", c.name);
  ok(kind_of_file(dir, "empty.TXT", "") == 0, "empty .TXT\n");
  ok(kind_of_file(dir, "empty.DAT", "") == -1, "empty .DAT\n");
}

TEST(unreadable_files_have_no_kind) {
  std::string dir = oktest::scratch_folder("kind_locked");
  std::string path = dir + "a.txt";
  ok(store::detect_file_kind(path.c_str()) == -1, "missing file\n");
  put_file(path, "PT-V01");
  // Another handle that does not share reading keeps the file from us.
  plat::File* held =
      plat::open_file(path.c_str(), plat::kRead, plat::kShareNone, plat::Disposition::OpenExisting);
  ok(held != nullptr, "could not hold the file\n");
  ok(store::detect_file_kind(path.c_str()) == -1, "a file held by another opener\n");
  ok(store::part_data_version(path.c_str()) == -1, "version of a held file\n");
  plat::close_file(held);
  ok(store::detect_file_kind(path.c_str()) == 13, "released file\n");
}

TEST(part_data_versions) {
  std::string dir = oktest::scratch_folder("version");
  std::string path = dir + "P.BHN";
  std::string old(20, '\0');
  old[12] = (char)(830 & 0xFF);
  old[13] = (char)(830 >> 8);
  static const struct {
    std::string bytes;
    int version;
  } cases[] = {{"PT-V01", 6}, {"GZK-V1xx", 5}, {"V4-1", 4}, {"V3-1", 3}, {old, 2},
               {old.substr(0, 13), 1}, {"PT-V0", 1}};
  for (const auto& c : cases) {
    put_file(path, c.bytes);
    ok(store::part_data_version(path.c_str()) == c.version, "%u bytes: version %d\n",
       (unsigned)c.bytes.size(), store::part_data_version(path.c_str()));
  }
  ok(store::part_data_version((dir + "none").c_str()) == -1, "missing file\n");
}
