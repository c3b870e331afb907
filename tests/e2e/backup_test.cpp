// The run's safety copies: 中止 and 初期化 return the suite's files to their
// state at opening, whatever happened to them on disk meanwhile.
#include "tests/e2e/checks.h"
#include "tests/e2e/class_files.h"
#include "tests/e2e/driver.h"
#include "tests/support/ok.h"

using namespace e2e;

namespace {

struct SuiteFile {
  const char* path;
  std::string at_opening;  // empty: absent at opening
};

// Four classification files and the parts index exist, VGZLST4.INI does not.
std::vector<SuiteFile> suite_at_opening() {
  std::string index;
  for (int k = 0; k < 5000; ++k) index += static_cast<char>((k * 13 + 1) & 0xFF);
  return {{"HDINI\\GLZSLCT.INI", current_file("他")},
          {"HDINI\\VGZLST0.INI", current_file("三")},
          {"HDINI\\VGZLST2.INI", current_file("屋")},
          {"HDINI\\VGZLST3.INI", current_file("二")},
          {"HDINI\\VGZLST4.INI", ""},
          {"HDPARTS\\TRBHN.DAT", index}};
}

const char* const kCopies[] = {"HDTMP\\GLZSLCT.INI", "HDTMP\\VGZLST0.INI", "HDTMP\\VGZLST2.INI",
                               "HDTMP\\VGZLST3.INI", "HDTMP\\VGZLST4.INI", "HDTMP\\TRBHNBAK.DAT"};

bool write_suite(const Folder& folder, const std::vector<SuiteFile>& suite) {
  bool written = true;
  for (const SuiteFile& file : suite)
    if (!file.at_opening.empty()) written &= write_file(folder.file(file.path), file.at_opening);
  return written;
}

// What another program of the suite might do while the dialog is open.
void change_everything(const Folder& folder) {
  const char* tags[] = {"甲", "乙", "丙", "丁", "戊"};
  const char* files[] = {"HDINI\\GLZSLCT.INI", "HDINI\\VGZLST0.INI", "HDINI\\VGZLST2.INI",
                         "HDINI\\VGZLST3.INI", "HDINI\\VGZLST4.INI"};
  for (int k = 0; k < 5; ++k)
    ok(write_file(folder.file(files[k]), current_file(tags[k])), "cannot change %s\n", files[k]);
  ok(write_file(folder.file("HDPARTS\\TRBHN.DAT"), std::string(3000, 'Z')),
     "cannot change TRBHN.DAT\n");
}

void check_back_at_opening(const Folder& folder, const std::vector<SuiteFile>& suite,
                           const char* how) {
  for (const SuiteFile& file : suite) {
    if (file.at_opening.empty()) continue;
    std::string path = folder.file(file.path);
    ok(file_equals(path, file.at_opening), "%s: %s: %s\n", how, file.path,
       difference(path, file.at_opening).c_str());
  }
  for (const char* copy : kCopies)
    ok(!file_exists(folder.file(copy)), "%s: %s stays\n", how, copy);
}

void end_with(Program* program, int button, const char* how) {
  click(program->dialog, button);
  DWORD code = 99;
  ok(wait_exit(program, kWaitMs, &code), "%s: program still runs\n", how);
  ok(code == 0, "%s: exit code %lu\n", how, code);
}

}  // namespace

TEST(cancel_restores) {
  Folder folder("cancel");
  std::vector<SuiteFile> suite = suite_at_opening();
  ok(write_suite(folder, suite), "cannot write the suite's files\n");
  Program program;
  if (!ok(start(&program, folder) && wait_windows(&program), "dialog did not open\n")) return;

  for (const SuiteFile& file : suite) {
    if (file.at_opening.empty()) continue;
    std::string name = file.path;
    name = name.substr(name.find('\\') + 1);
    if (name == "TRBHN.DAT") name = "TRBHNBAK.DAT";
    std::string copy = folder.path + "HDTMP\\" + name;
    ok(file_equals(copy, file.at_opening), "no copy of %s at opening: %s\n", file.path,
       difference(copy, file.at_opening).c_str());
  }
  change_everything(folder);
  end_with(&program, IDCANCEL, "cancel");
  check_back_at_opening(folder, suite, "cancel");
}

TEST(initialise_then_ok) {
  Folder folder("initialise");
  std::vector<SuiteFile> suite = suite_at_opening();
  ok(write_suite(folder, suite), "cannot write the suite's files\n");
  Program program;
  if (!ok(start(&program, folder) && wait_windows(&program), "dialog did not open\n")) return;

  change_everything(folder);
  click(program.dialog, 903);
  // 初期化 refills the lists from the restored file.
  rows_are(program.dialog, 401, expected_rows(current_file("三"), 1, 0, 0), "initialise");
  end_with(&program, IDOK, "initialise then OK");
  check_back_at_opening(folder, suite, "initialise then OK");
}

TEST(stale_copies_not_restored) {
  Folder folder("stale");
  std::vector<SuiteFile> suite = suite_at_opening();
  suite.back().at_opening.clear();  // no parts index either
  ok(write_suite(folder, suite), "cannot write the suite's files\n");
  // Copies left in HDTMP\ by an earlier run that did not end; the files they
  // were taken from do not exist now.
  std::string stale = current_file("古");
  ok(write_file(folder.file("HDTMP\\VGZLST4.INI"), stale), "cannot write stale copy\n");
  std::string stale_index(2000, 'S');
  ok(write_file(folder.file("HDTMP\\TRBHNBAK.DAT"), stale_index), "cannot write stale copy\n");
  Program program;
  if (!ok(start(&program, folder) && wait_windows(&program), "dialog did not open\n")) return;

  end_with(&program, IDCANCEL, "cancel");
  ok(!file_equals(folder.file("HDINI\\VGZLST4.INI"), stale), "stale VGZLST4.INI copied back\n");
  ok(!file_equals(folder.file("HDPARTS\\TRBHN.DAT"), stale_index), "stale TRBHN.DAT copied back\n");
  check_back_at_opening(folder, suite, "cancel after an earlier run");
}
