// A run of the main dialog, driven as the dialog drives it, with a view that
// records what it is shown: opening, the category lists, adopting a list
// file, and bringing the suite's files back on 初期化 and 中止.
#include <string>
#include <vector>

#include "flow/run.h"
#include "platform/files.h"
#include "tests/support/ok.h"
#include "tests/support/scratch.h"

using oktest::get_file;
using oktest::put_file;

namespace {

struct RecordingView : flow::View {
  std::vector<std::string> shown;  // "list L rows|keep sel S", "status ...", ...
  std::vector<std::string> makers, added, deleted;
  std::string caption, status, told;

  void show_category_list(int level, const std::vector<std::string>* rows,
                          int selected) override {
    shown.push_back("list " + std::to_string(level) + (rows ? " rows" : " keep") + " sel " +
                    std::to_string(selected));
  }
  void clear_category_lists() override { shown.push_back("clear"); }
  void show_caption(const std::string& text) override { caption = text; }
  void show_status(const char* text) override { status = text; }
  void show_makers(const std::vector<std::string>& rows) override { makers = rows; }
  void show_part_lists(const std::vector<std::string>& a,
                       const std::vector<std::string>& d) override {
    added = a;
    deleted = d;
  }
  void tell(const char* text, const char* caption_text) override {
    told = std::string(caption_text) + ": " + text;
  }
};

struct NoDownloads : flow::Downloader {
  bool request(const char*, const char*, int32_t, int32_t) override { return false; }
};

std::string program_folder(const char* name) {
  std::string dir = oktest::scratch_folder(name);
  for (const char* sub : {"HDINI", "HDTMP", "HDPARTS"}) plat::create_directory((dir + sub).c_str());
  return dir;
}

std::string content(const std::string& path) {
  std::string bytes;
  return get_file(path, &bytes) ? bytes : std::string("<missing>");
}

struct Opened {
  std::string dir;
  RecordingView view;
  NoDownloads downloads;
  flow::Run run;
};

// A program folder with a parts index and the sheets destination's file,
// and a run opened on it.
void open(Opened* o, const char* name, const char* list_file = "") {
  o->dir = program_folder(name);
  put_file(o->dir + "HDPARTS\\TRBHN.DAT", "index at opening");
  put_file(o->dir + "HDINI\\VGZLST4.INI", "sheets at opening");
  flow::open_run(&o->run, &o->view, &o->downloads, o->dir.c_str(), list_file);
}

}  // namespace

TEST(a_run_opens_on_3dcad_with_copies_of_the_suite_files) {
  Opened o;
  open(&o, "open");
  ok(o.view.status == "部品リストファイルをダウンロード中です。", "status %s\n", o.view.status.c_str());
  ok(o.run.destination_code == 0, "3DCAD first\n");
  ok(o.view.shown == std::vector<std::string>({"list 1 rows sel 0", "list 2 rows sel 0",
                                               "list 3 rows sel 0"}),
     "the three category lists, from a file created for them\n");
  ok(plat::file_exists((o.dir + "HDINI\\VGZLST0.INI").c_str()), "a missing file is created\n");
  ok(content(o.dir + "HDTMP\\TRBHNBAK.DAT") == "index at opening" &&
         content(o.dir + "HDTMP\\VGZLST4.INI") == "sheets at opening",
     "copies taken\n");
  ok(o.run.list_download_mode == 1, "without a list file the walk is due\n");

  Opened given;
  open(&given, "open_with_list", "C:\\LST\\pvnbhn_lst240401.dat");
  ok(given.run.list_download_mode == 0 &&
         std::string(given.run.current_list_file) == "C:\\LST\\pvnbhn_lst240401.dat",
     "the command line's list file is taken as it is\n");
}

TEST(destinations_and_items_refill_the_lists_below_them) {
  Opened o;
  open(&o, "items");
  o.view.shown.clear();
  flow::choose_destination(&o.run, 3);
  ok(o.run.destination_code == 4, "the fourth button is 仕様書, code 4\n");
  ok(o.view.shown == std::vector<std::string>({"clear", "list 1 keep sel 0", "list 2 keep sel 0",
                                               "list 3 keep sel 0"}),
     "a file that is no classification file fills no rows\n");
  flow::choose_destination(&o.run, 7);
  ok(o.run.destination_code == 4, "no such button keeps the destination\n");

  flow::choose_destination(&o.run, 1);
  ok(o.run.destination_code == 2, "屋根図 is code 2\n");
  o.view.shown.clear();
  flow::choose_major_item(&o.run, 5);
  flow::choose_major_item(&o.run, 5);
  flow::choose_major_item(&o.run, 12);
  ok(o.view.shown == std::vector<std::string>({"list 2 rows sel 0", "list 3 rows sel 0"}),
     "a new major item refills 402 and 403 once; the same row or one past 11 nothing\n");
  flow::choose_class_item(&o.run, 39);
  ok(o.run.class_item == 39 && o.view.shown.back() == "list 3 rows sel 0", "class item 39\n");
}

TEST(an_adopted_list_file_shows_its_makers_and_parts) {
  Opened o;
  open(&o, "adopt");
  std::string list = o.dir + "HDPARTS\\pvnbhn_lst240401.dat";
  put_file(list,
           "[INFO]\r\nTITLE=四月分\r\n[メーカーA]\r\n1001,0=ドア,8\r\n1002,1=窓,9\r\n"
           "[メーカーB]\r\n2001,0=棚,1\r\n");
  ok(flow::adopt_list_file(&o.run, list.c_str()), "adopted\n");
  ok(o.view.caption == "部品テーブルダウンロード [四月分]", "caption %s\n", o.view.caption.c_str());
  ok(o.view.makers == std::vector<std::string>({"メーカーA", "メーカーB"}), "makers\n");
  ok(o.view.added == std::vector<std::string>({"ドア"}) &&
         o.view.deleted == std::vector<std::string>({"窓"}),
     "the first maker's parts\n");
  ok(o.view.status == "ダウンロード先の分類項目を指定して部品の追加、削除をして下さい。",
     "status asks for a destination\n");
  flow::choose_maker(&o.run, "メーカーB");
  ok(o.view.added == std::vector<std::string>({"棚"}) && o.view.deleted.empty() &&
         std::string(o.run.maker_name) == "メーカーB",
     "another maker\n");

  std::string too_long(flow::kListFilePathSize, 'x');
  ok(!flow::adopt_list_file(&o.run, too_long.c_str()) &&
         std::string(o.run.current_list_file) == list,
     "a path that does not fit changes nothing\n");
}

TEST(initialise_and_cancel_bring_back_the_files_of_the_opening) {
  Opened o;
  open(&o, "restore");
  put_file(o.dir + "HDPARTS\\TRBHN.DAT", "index changed");
  put_file(o.dir + "HDINI\\VGZLST4.INI", "sheets changed");
  put_file(o.dir + "HDINI\\VGZLST2.INI", "roof made in the run");
  flow::initialise(&o.run);
  ok(content(o.dir + "HDPARTS\\TRBHN.DAT") == "index at opening" &&
         content(o.dir + "HDINI\\VGZLST4.INI") == "sheets at opening",
     "初期化 brings both back\n");
  ok(content(o.dir + "HDINI\\VGZLST2.INI") == "roof made in the run",
     "a file without a copy is left alone\n");
  ok(o.view.told.empty(), "nothing to tell\n");

  put_file(o.dir + "HDINI\\VGZLST4.INI", "sheets changed again");
  ok(flow::cancel(&o.run), "中止 closes\n");
  ok(content(o.dir + "HDINI\\VGZLST4.INI") == "sheets at opening", "中止 brings it back\n");
  flow::close_run(&o.run);
  ok(!plat::file_exists((o.dir + "HDTMP\\VGZLST4.INI").c_str()) &&
         !plat::file_exists((o.dir + "HDTMP\\TRBHNBAK.DAT").c_str()),
     "closing deletes the copies\n");
}

TEST(a_restore_that_fails_keeps_the_file_whole_and_the_dialog_open) {
  Opened o;
  open(&o, "restore_fails");
  std::string sheets = o.dir + "HDINI\\VGZLST4.INI";
  put_file(sheets, "sheets changed in the run");

  // Another program holds the file and lets nobody write it.
  plat::File* held = plat::open_file(sheets.c_str(), plat::kRead, plat::kShareRead,
                                     plat::Disposition::OpenExisting);
  ok(!flow::cancel(&o.run), "中止 stays open\n");
  ok(o.view.told.rfind("中止: 元に戻せなかったファイルがあります。", 0) == 0, "told: %s\n",
     o.view.told.c_str());
  plat::close_file(held);
  ok(content(sheets) == "sheets changed in the run", "the file is as it was\n");
  ok(content(o.dir + "HDTMP\\VGZLST4.INI") == "sheets at opening", "the copy stays\n");

#ifndef _WIN32
  // The disk fills part way through the copy: the file must not be cut.
  o.view.told.clear();
  plat::fail_writes_after(4);
  flow::initialise(&o.run);
  plat::fail_writes_after(-1);
  ok(content(sheets) == "sheets changed in the run", "a cut copy never replaces the file\n");
  ok(!o.view.told.empty(), "初期化 tells the failure\n");
#endif
  ok(flow::cancel(&o.run) && content(sheets) == "sheets at opening", "a second 中止 succeeds\n");
}
