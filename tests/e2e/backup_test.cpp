// The run's safety copies: 中止 (or Escape) and 初期化 return the suite's
// files to their state at opening whatever happened to them on disk
// meanwhile, 了解 keeps what is on disk; either way no copy is left.
#include "resources/resource.h"
#include "tests/e2e/cases.h"

using namespace gui;

namespace {

// Each file of the suite beside its copy in HDTMP\.
const char* const kFiles[][2] = {
    {"HDINI\\GLZSLCT.INI", "HDTMP\\GLZSLCT.INI"}, {"HDINI\\VGZLST0.INI", "HDTMP\\VGZLST0.INI"},
    {"HDINI\\VGZLST2.INI", "HDTMP\\VGZLST2.INI"}, {"HDINI\\VGZLST3.INI", "HDTMP\\VGZLST3.INI"},
    {"HDINI\\VGZLST4.INI", "HDTMP\\VGZLST4.INI"}, {"HDPARTS\\TRBHN.DAT", "HDTMP\\TRBHNBAK.DAT"}};
using Files = std::vector<std::string>;  // in the order of kFiles; empty: absent

// The files at opening (VGZLST4.INI absent), and as another program of the
// suite might change them while the dialog is open.
Files at_opening() {
  return {current_file("他"),    current_file("三"), current_file("屋"), current_file("二"), "",
          std::string(5000, 'k')};
}

void write_files(const Folder& folder, const Files& files) {
  for (size_t k = 0; k < files.size(); ++k)
    ok(files[k].empty() || write_file(folder.file(kFiles[k][0]), files[k]), "cannot write %s\n",
       kFiles[k][0]);
}

// The files are as expected (absent ones not looked at) and no copy is left.
void check_files(const Folder& folder, const Files& expected, const char* how) {
  for (size_t k = 0; k < expected.size(); ++k) {
    ok(expected[k].empty() || read_file(folder.file(kFiles[k][0])) == expected[k],
       "%s: %s differs\n", how, kFiles[k][0]);
    ok(!file_exists(folder.file(kFiles[k][1])), "%s: %s stays\n", how, kFiles[k][1]);
  }
}

}  // namespace

// For each way of ending the run: the dialog opened over the suite's files,
// every file changed on disk, then the files back at opening or, for 了解,
// as changed.
TEST(the_run_ends_restore_the_files_of_the_opening_or_keep_them) {
  const struct {
    const char* how;
    bool kept;
    void (*end)(Program*);
  } ends[] = {
      {"cancel", false, [](Program* program) { close_with(program, IDCANCEL); }},
      {"escape", false,
       [](Program* program) {
         DWORD code = 99;
         press_escape(*program);
         ok(wait_exit(program, &code) && code == 0, "Escape did not end the program with 0\n");
       }},
      {"ok", true, [](Program* program) { close_with(program, IDOK); }},
      {"initialise", false,
       [](Program* program) {
         click(program->dialog, IDC_INITIALISE);
         // The lists are filled again from the restored file.
         rows_are(program->dialog, 401, rows_of(current_file("三"), 1), "initialise");
         close_with(program, IDOK);
       }},
  };
  for (const auto& end : ends) {
    Folder folder(end.how);
    Files opening = at_opening(),
          later = {current_file("甲"), current_file("乙"), current_file("丙"),
                   current_file("丁"), current_file("戊"), std::string(3000, 'Z')};
    write_files(folder, opening);
    Program program;
    if (!open_dialog(&program, folder)) return;
    write_files(folder, later);
    end.end(&program);
    check_files(folder, end.kept ? later : opening, end.how);
  }
}

TEST(stale_copies_not_restored) {
  Folder folder("stale");
  Files opening = at_opening();
  opening[5].clear();  // no parts index either
  write_files(folder, opening);
  // Copies left in HDTMP\ by an earlier run that did not end, of files that
  // do not exist now.
  std::string stale = current_file("古"), stale_index(2000, 'S');
  ok(write_file(folder.file(kFiles[4][1]), stale) &&
         write_file(folder.file(kFiles[5][1]), stale_index),
     "cannot write the stale copies\n");
  Program program;
  if (!open_dialog(&program, folder)) return;
  close_with(&program, IDCANCEL);
  ok(read_file(folder.file(kFiles[4][0])) != stale &&
         read_file(folder.file(kFiles[5][0])) != stale_index,
     "stale copies copied back\n");
  check_files(folder, opening, "cancel after an earlier run");
}
