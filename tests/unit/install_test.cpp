// Installing received part data and the journal that undoes it: what each
// install leaves in the store and in HDTMP\, what 中止 brings back and what
// closing deletes, and the parts a received part refers to.
#include <string>
#include <vector>

#include "platform/files.h"
#include "store/install_journal.h"
#include "store/part_files.h"
#include "tests/support/ok.h"
#include "tests/support/part_data_file.h"
#include "tests/support/scratch.h"

using namespace oktest;
using store::WorkFile;

namespace {

struct Store {
  std::string dir;
  store::InstallJournal journal;
  explicit Store(const char* name) : dir(oktest::scratch_folder(name)) {
    plat::create_directory((dir + "HDTMP").c_str());
  }
  std::string work(WorkFile file, int32_t n) const {
    return store::work_file_path(dir.c_str(), file, n);
  }
  bool receive(int32_t n, const std::string& bytes) {
    put_file(work(WorkFile::Downloaded, n), bytes);
    return store::install_downloaded_part(dir.c_str(), &journal, n);
  }
};

}  // namespace

TEST(installs_are_journalled_and_rolled_back_to_the_opening) {
  Store s("install");
  // 1001 is new to a store without its folder; 3001 replaces an older
  // version; 5001 is installed twice; 7001 lies there as a broken file.
  put_part_file(s.dir, 3001, part_data("old 3001"));
  put_part_file(s.dir, 7001, "broken");
  ok(s.receive(1001, part_data("new 1001")), "installed into a store without its folder\n");
  ok(s.receive(3001, part_data("new 3001")) && s.receive(5001, part_data("first 5001")) &&
         s.receive(5001, part_data("second 5001")) && s.receive(7001, part_data("new 7001")),
     "installs\n");
  ok(!s.receive(9001, "<html>error</html>") && file_text(part_file(s.dir, 9001)) == "<missing>",
     "an error page is not installed\n");
  ok(file_text(part_file(s.dir, 1001)) == part_data("new 1001") &&
         file_text(part_file(s.dir, 5001)) == part_data("second 5001") &&
         file_text(s.work(WorkFile::SavedPrevious, 3001)) == part_data("old 3001") &&
         file_text(s.work(WorkFile::SavedPrevious, 7001)) == "broken",
     "what was replaced is saved\n");

  for (int round = 0; round < 2; ++round) {
    ok(store::roll_back_part_files(s.dir.c_str(), s.journal), "rollback %d\n", round);
    ok(file_text(part_file(s.dir, 1001)) == "<missing>" &&
           file_text(part_file(s.dir, 5001)) == "<missing>" &&
           file_text(part_file(s.dir, 3001)) == part_data("old 3001") &&
           file_text(part_file(s.dir, 7001)) == "broken",
       "rollback %d: the store as it was\n", round);
    s.receive(1001, part_data("again"));
  }
  put_file(s.work(WorkFile::View, 4002), "<html>");
  put_file(s.dir + "HDTMP\\VIEW0004002.DAT.keep", "not a work file");
  store::delete_work_files(s.dir.c_str());
  ok(!plat::file_exists(s.work(WorkFile::SavedPrevious, 3001).c_str()) &&
         !plat::file_exists(s.work(WorkFile::SavedPrevious, 7001).c_str()) &&
         !plat::file_exists(s.work(WorkFile::View, 4002).c_str()) &&
         plat::file_exists((s.dir + "HDTMP\\VIEW0004002.DAT.keep").c_str()),
     "closing deletes the saved files and every view file, and nothing else\n");
}

TEST(a_deleted_part_installed_again) {
  Store s("journal");
  // A deletion saved 3001 first: the install records nothing new.
  put_part_file(s.dir, 3001, part_data("old"));
  ok(store::record_in_journal(&s.journal, store::JournalAction::SavedPrevious, 3001) &&
         plat::move_file(part_file(s.dir, 3001).c_str(),
                         s.work(WorkFile::SavedPrevious, 3001).c_str()),
     "deleted\n");
  s.receive(3001, part_data("new"));
  ok(store::roll_back_part_files(s.dir.c_str(), s.journal) &&
         file_text(part_file(s.dir, 3001)) == part_data("old"),
     "the version from before the run\n");
}

TEST(referenced_parts_from_the_part_file_or_its_view_file) {
  Store s("references");
  std::vector<int32_t> parts;
  put_part_file(s.dir, 5000, part_data("", 6000, 70000));
  store::referenced_parts(s.dir.c_str(), 5000, nullptr, &parts);
  ok(parts == std::vector<int32_t>({6000, 70000}), "element first, then section 7\n");
  put_file(s.work(WorkFile::View, 5001), part_data("", 0, 5002));
  store::referenced_parts(s.dir.c_str(), 5001, nullptr, &parts);
  ok(parts == std::vector<int32_t>({5002}), "the view file without a part file\n");
  put_part_file(s.dir, 5003, "V4-1 older data");
  put_file(s.work(WorkFile::View, 5003), part_data("", 1500));
  store::referenced_parts(s.dir.c_str(), 5003, nullptr, &parts);
  ok(parts == std::vector<int32_t>({1500}), "an older part file gives way to the view file\n");
}
