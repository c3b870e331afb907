// A run of the main dialog, driven as the dialog drives it, with a view that
// records what it is shown: opening, the category lists, the list walk,
// adopting a list file, 追加, 削除 and ﾌﾟﾚﾋﾞｭｰ. That 中止, 初期化 and a
// restart bring back the opening is checked after every file operation in
// recovery_test.cpp and tests/scenario/.
#include <string>
#include <vector>

#include "download/download.h"
#include "download/list_dates.h"
#include "download/maintenance.h"
#include "flow/run.h"
#include "platform/clock.h"
#include "platform/byte_fields.h"
#include "platform/files.h"
#include "store/classification.h"
#include "store/part_files.h"
#include "store/parts_index.h"
#include "tests/support/ok.h"
#include "tests/support/part_data_file.h"
#include "tests/support/run_fakes.h"
#include "tests/support/scratch.h"

using namespace oktest;

namespace {

std::string today_text() {
  plat::LocalDate t = plat::today();
  return download::list_date_text(download::list_date(t.year, t.month, t.day));
}

std::string program_folder(const char* name) {
  std::string dir = oktest::scratch_folder(name);
  for (const char* sub : {"HDINI", "HDTMP", "HDPARTS"}) plat::create_directory((dir + sub).c_str());
  return dir;
}

struct Opened {
  std::string dir;
  RecordingView view;
  FakeWorker worker;
  flow::Run run;
};

// A program folder with a parts index, the sheets destination's file and
// LASTDATE today, and a run opened on it.
void open(Opened* o, const char* name, const char* list_file = "") {
  o->dir = program_folder(name);
  put_file(o->dir + "HDPARTS\\TRBHN.DAT", "index at opening");
  put_file(o->dir + "HDINI\\VGZLST4.INI", "sheets at opening");
  put_file(o->dir + "HDINI\\bhnmente.dat", "[日付]\r\nLASTDATE=" + today_text() + "\r\n");
  o->view.run = &o->run;
  flow::open_run(&o->run, &o->view, &o->worker, o->dir.c_str(), list_file);
}

}  // namespace

TEST(a_run_opens_on_3dcad_and_choices_refill_the_lists_below_them) {
  Opened o;
  open(&o, "open");
  ok(o.view.status == "部品リストファイルをダウンロード中です。", "status %s\n",
     o.view.status.c_str());
  ok(o.run.destination_code == 0, "3DCAD first\n");
  ok(o.view.shown ==
         std::vector<std::string>({"list 1 rows sel 0", "list 2 rows sel 0", "list 3 rows sel 0"}),
     "the three category lists, from a file created for them\n");
  ok(o.run.list_download_mode == 1 && !o.view.enabled && o.view.progress_open,
     "without a list file the walk runs behind the progress dialog\n");

  // Destinations and items refill the lists below them.
  o.view.shown.clear();
  flow::choose_destination(&o.run, 3);
  ok(o.run.destination_code == 4, "the fourth button is 仕様書, code 4\n");
  ok(o.view.shown == std::vector<std::string>(
                         {"clear", "list 1 keep sel 0", "list 2 keep sel 0", "list 3 keep sel 0"}),
     "a file that is no classification file fills no rows\n");
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
  ok(o.view.added == std::vector<std::string>({"棚"}) && o.view.deleted.empty(), "another maker\n");

  std::string too_long(flow::kListFilePathSize, 'x');
  ok(!flow::adopt_list_file(&o.run, too_long.c_str()) &&
         std::string(o.run.current_list_file) == list,
     "a path that does not fit changes nothing\n");
}

// Another program holds a changed file and lets nobody write it: 初期化 and
// 中止 tell so and leave it and its copy, and the dialog stays open.
TEST(a_restore_that_fails_is_told_and_keeps_the_dialog_open) {
  Opened o;
  open(&o, "restore_fails");
  std::string sheets = o.dir + "HDINI\\VGZLST4.INI";
  put_file(sheets, "sheets changed in the run");
  plat::File* held = plat::open_file(sheets.c_str(), plat::kRead, plat::kShareRead,
                                     plat::Disposition::OpenExisting);
  flow::initialise(&o.run);
  ok(o.view.told.rfind("初期化: 元に戻せなかったファイルがあります。", 0) == 0, "told: %s\n",
     o.view.told.c_str());
  ok(!flow::cancel(&o.run), "中止 stays open\n");
  ok(o.view.told.rfind("中止: 元に戻せなかったファイルがあります。", 0) == 0, "told: %s\n",
     o.view.told.c_str());
  plat::close_file(held);
  ok(file_text(sheets) == "sheets changed in the run" &&
         file_text(o.dir + "HDTMP\\VGZLST4.INI") == "sheets at opening",
     "the file is as it was, the copy stays\n");
  ok(flow::cancel(&o.run) && file_text(sheets) == "sheets at opening", "a second 中止 succeeds\n");
}

TEST(list_dates_step_back_over_month_and_year_ends) {
  static const struct {
    int today, last;
    const char* days;
  } walks[] = {
      {60301, 60226, "060301 060228 060227 060226"},
      {80301, 80228, "080301 080229 080228"},
      {70102, 61230, "070102 070101 061231 061230"},
      {61129, 61129, "061129"},
  };
  for (const auto& w : walks) {
    std::string days;
    for (int day = w.today;; day = download::day_before(day)) {
      days += (days.empty() ? "" : " ") + download::list_date_text(day);
      if (day == w.last) break;
    }
    ok(days == w.days, "%06d back to %06d: %s\n", w.today, w.last, days.c_str());
  }
  ok(download::days_in_month(2000, 2) == 29 && download::days_in_month(2100, 2) == 28 &&
         download::days_in_month(2008, 13) == 0,
     "leap years by the Gregorian rule\n");
}

TEST(lastdate_is_put_right_where_the_walk_could_not_reach_it) {
  static const struct {
    const char* stored;
    int last;
    bool rewritten;
  } cases[] = {
      {"061129", 61129, false}, {"", 50608, true},       {"+061129x", 61129, true},
      {"061131", 50608, true},  {"-61129", 50608, true}, {"991231", 70102, true},  // after today
  };
  for (const auto& c : cases) {
    std::string stored;
    bool rewritten = false;
    int last = download::walk_last_day(c.stored, 70102, &stored, &rewritten);
    ok(last == c.last && rewritten == c.rewritten && stored == download::list_date_text(last),
       "'%s' gives %06d (%s)\n", c.stored, last, stored.c_str());
  }
}

TEST(list_reports_record_arrivals_and_end_on_lastdate) {
  Opened o;
  open(&o, "reports");
  o.run.walk_last_day = "061129";
  const std::string lists = o.dir + "HDTMP\\pvnbhn_lst";
  put_file(lists + "061201.dat", "[INFO]\r\nTITLE=十二月一日\r\n[M]\r\n1001,0=ドア\r\n");
  put_file(lists + "061129.dat", "[INFO]\r\nTITLE=十一月二十九日\r\n");
  o.view.choose_line = 0;

  flow::on_download_report(&o.run, true, DL_TAG_LIST, 61201);
  ok(o.view.progress == "部品リストファイルをダウンロード中です。(06年12月01日ﾁｪｯｸ中)",
     "progress %s\n", o.view.progress.c_str());
  flow::on_download_report(&o.run, false, DL_TAG_LIST, 61130);
  ok(!o.view.enabled && o.view.selections == 0, "another day leaves the walk running\n");
  flow::on_download_report(&o.run, true, DL_TAG_LIST, 61129);
  download::MaintenanceState state(o.dir.c_str());
  ok(state.list_count() == 2 && state.list_date(1) == "061201" && state.list_date(2) == "061129",
     "DATSUU=2, TMPDATE01=061201, TMPDATE02=061129\n");
  ok(o.view.enabled && !o.view.progress_open && o.view.selections == 1,
     "LASTDATE's report ends the walk and opens the selection\n");
  ok(state.last_date() == "061129" && o.view.caption == "部品テーブルダウンロード [十二月一日]",
     "the newest list is shown; LASTDATE is the oldest\n");
  ok(o.worker.handed.size() == 2 &&
         o.worker.handed[1].remote == "/k-val/HDPARTS\\PARTS000\\P0001001.BHN" &&
         o.worker.handed[1].local == o.dir + "HDTMP\\VIEW0001001.DAT" &&
         o.worker.handed[1].tag == DL_TAG_VIEW,
     "one preview request per key\n");
  o.run.walk = flow::WalkState::Running;
  flow::on_download_report(&o.run, false, DL_TAG_LIST, 61129);
  ok(o.run.walk == flow::WalkState::Complete, "LASTDATE's failed report ends the walk too\n");

  flow::close_run(&o.run);
  ok(!plat::file_exists((lists + "061201.dat").c_str()) &&
         !plat::file_exists((lists + "061129.dat").c_str()),
     "closing deletes the walk's list files\n");
}

TEST(a_walk_longer_than_the_queue_is_fed_as_the_worker_finishes) {
  Opened o;
  open(&o, "long_walk");
  plat::LocalDate t = plat::today();
  int day = download::list_date(t.year, t.month, t.day);
  for (int n = 1; n < 7850; ++n) day = download::day_before(day);
  put_file(o.dir + "HDINI\\bhnmente.dat",
           "[日付]\r\nLASTDATE=" + download::list_date_text(day) + "\r\n");
  flow::close_run(&o.run);
  o.worker = FakeWorker();
  o.worker.room = 700;
  flow::open_run(&o.run, &o.view, &o.worker, o.dir.c_str(), "");
  for (size_t finished = 0; finished < o.worker.handed.size(); ++finished) {
    --o.worker.queued;
    flow::on_download_pending(&o.run);
  }
  bool in_order = true;
  for (size_t n = 1; n < o.worker.handed.size(); ++n)
    in_order &= o.worker.handed[n].value == download::day_before(o.worker.handed[n - 1].value);
  ok(o.worker.handed.size() == 7850 && in_order && o.worker.handed.back().value == day,
     "7,850 days in order down to LASTDATE (%d)\n", (int)o.worker.handed.size());
  ok(o.worker.most_queued == 700, "never more than the queue holds\n");
}

TEST(a_walk_cut_short_keeps_lastdate_for_the_days_never_checked) {
  Opened o;
  open(&o, "cut");
  o.run.walk_last_day = "050608";
  put_file(o.dir + "HDTMP\\pvnbhn_lst061201.dat", "[INFO]\r\nTITLE=a\r\n");
  flow::on_download_report(&o.run, true, DL_TAG_LIST, 61201);
  flow::on_download_report(&o.run, false, DL_TAG_LIST | DL_FAILED_UNREACHABLE, 61130);
  download::MaintenanceState state(o.dir.c_str());
  ok(o.run.walk == flow::WalkState::Cut && o.view.enabled && o.view.selections == 1,
     "an unreachable server ends the walk at once\n");
  ok(state.last_date() == today_text(), "LASTDATE stays: %s\n", state.last_date().c_str());
}

TEST(a_command_line_list_file_is_adopted_only_by_its_name) {
  std::string source = program_folder("cmdline_src") + "pvnbhn_lst240401.dat";
  put_file(source, "[INFO]\r\nTITLE=四月\r\n[M]\r\n1001,0=ドア\r\n");
  Opened o;
  open(&o, "cmdline", source.c_str());
  download::MaintenanceState state(o.dir.c_str());
  ok(o.run.list_download_mode == 0 && o.view.enabled && o.view.selections == 1,
     "no walk; the selection opens during opening\n");
  ok(state.list_count() == 1 && state.list_date(1) == "240401" && state.last_date() == "240401",
     "DATSUU, TMPDATE01 and LASTDATE\n");
  ok(o.view.caption == "部品テーブルダウンロード [四月]" &&
         std::string(o.run.current_list_file) == o.dir + "HDTMP\\pvnbhn_lst240401.dat",
     "the copy in HDTMP\\ is shown\n");

  Opened refused;
  open(&refused, "cmdline_bad", "C:\\LST\\list240401.dat");
  flow::on_download_report(&refused.run, false, DL_TAG_LIST, 61130);
  ok(refused.run.list_download_mode == 1 && !refused.view.enabled &&
         refused.view.status.find("名前が正しくありません") != std::string::npos,
     "another name is refused in the status line, which keeps it while the walk runs\n");
}

TEST(part_data_requests) {
  Opened o;
  open(&o, "parts");
  o.worker.handed.clear();
  ok(flow::request_part_data(&o.run, 1001, false) && flow::request_part_data(&o.run, 3001, true) &&
         flow::request_part_data(&o.run, 60000, true),
     "three parts\n");
  ok(o.worker.handed.size() == 3 &&
         o.worker.handed[0].remote == "/k-val/HDPARTS\\PARTS000\\P0001001.BHN" &&
         o.worker.handed[0].local == o.dir + "HDTMP\\BH0001001.DAT" &&
         o.worker.handed[0].tag == DL_TAG_PART &&
         o.worker.handed[1].remote == "/k-val/HDPARTS\\PARTS001\\P0003001.BHN" &&
         o.worker.handed[2].remote == "/k-val/HDPARTS\\PARTS029\\P0060000.BHN",
     "paths\n");
  put_file(o.dir + "HDTMP\\VIEW0002000.DAT", "fetched earlier");
  ok(!flow::request_part_data(&o.run, 1000, true) &&
         !flow::request_part_data(&o.run, 60001, false) &&
         !flow::request_part_data(&o.run, 2000, true) && o.worker.handed.size() == 3,
     "out of range or already there: nothing\n");

  std::string list = o.dir + "HDPARTS\\big.dat";
  std::string text = "[INFO]\r\nTITLE=x\r\n[M]\r\n";
  for (int part = 10001; part <= 12600; ++part) text += std::to_string(part) + ",0=p\r\n";
  put_file(list, text);
  o.worker.handed.clear();
  flow::request_list_previews(&o.run, list.c_str());
  ok(o.worker.handed.size() == 2600 && o.worker.handed.back().value == 12600,
     "a maker of 2,600 keys has all of them fetched (%d)\n", (int)o.worker.handed.size());
}

namespace {

// A current-layout classification file holding the given parts at the
// given places: slot f of classification item c of major item m is place
// (m * 40 + c) * 50 + f, so slots 0-49 are those of the first item.
size_t slot_at(int slot) { return store::figure_entry_offset(0, 0, slot); }

std::string figures(const std::vector<std::pair<int, int>>& slots) {
  std::string bytes = store::kMagicCurrent + std::string(store::kClassFileSize - 11, '\0');
  for (const auto& slot : slots) {
    uint8_t* entry = reinterpret_cast<uint8_t*>(&bytes[slot_at(slot.first)]);
    plat::put_u16(entry + 2, static_cast<uint16_t>(slot.second));
    entry[8] = 'F';
  }
  return bytes;
}

int slot_part(const std::string& file, int slot) {
  return plat::get_u16(reinterpret_cast<const uint8_t*>(&file[slot_at(slot) + 2]));
}

// A run with the list of one maker "M" chosen, 3DCAD's file as given and,
// unless told otherwise, the downloaded parts index there.
void open_adding(Opened* o, const char* name, const std::string& entries,
                 const std::string& class_file, bool index = true) {
  o->view = RecordingView();
  o->worker = FakeWorker();
  open(o, name);
  put_file(o->dir + "HDINI\\VGZLST0.INI", class_file);
  if (index) put_file(o->dir + "HDTMP\\TRBHN.DAT", "");
  put_file(o->dir + "HDTMP\\list.dat", "[INFO]\r\nTITLE=t\r\n[M]\r\n" + entries);
  flow::adopt_list_file(&o->run, (o->dir + "HDTMP\\list.dat").c_str());
  o->worker.handed.clear();
}

std::vector<int32_t> requested(const FakeWorker& worker, int32_t tag) {
  std::vector<int32_t> values;
  for (const auto& r : worker.handed)
    if (r.tag == tag) values.push_back(r.value);
  return values;
}

const char kAdded[] = "追加: 部品リストの追加が終了しました。";
const char kFittings[] = "追加: 建具部品のダウンロードが完了しました。";

}  // namespace

TEST(add_fills_free_slots_and_skips_what_it_cannot_register) {
  Opened o;
  open_adding(&o, "add_slots",
              "1001,0=A,3\r\n70000,0=Far,3\r\n0,0=Zero,3\r\n1002,1=Gone,3\r\n1003,0=B,3\r\n"
              "1004,0=Door,8\r\n1005,0=C,3\r\n",
              figures({{0, 2000}, {2, 2001}}));
  flow::add(&o.run);
  ok(o.view.figure_rows == std::vector<std::string>({"1 A", "3 B", "4 C"}),
     "the free slots in order; fittings are not listed under 3DCAD\n");
  std::string file = file_text(o.dir + "HDINI\\VGZLST0.INI");
  ok(slot_part(file, 1) == 1001 && slot_part(file, 3) == 1003 && slot_part(file, 4) == 1005 &&
         slot_part(file, 5) == 0 && file.compare(slot_at(1) + 8, 2, std::string("A\0", 2)) == 0,
     "written into the file\n");
  ok(requested(o.worker, DL_TAG_PART) == std::vector<int32_t>({1001, 1003, 1004, 1005}),
     "data of every added part, never of 70000\n");
  ok(o.view.told == kAdded, "told %s\n", o.view.told.c_str());

  // The same parts into 2DCAD: a door is listed like any part there.
  flow::choose_destination(&o.run, 2);
  o.view.figure_rows.clear();
  flow::add(&o.run);
  ok(o.view.figure_rows.size() == 4 && o.view.figure_rows[2] == "2 Door", "2DCAD lists doors\n");
}

TEST(add_into_a_full_item_or_of_fittings_only) {
  Opened o;
  std::vector<std::pair<int, int>> full;
  for (int slot = 0; slot < 50; ++slot) full.push_back({slot, 2000 + slot});
  open_adding(&o, "add_full", "1001,0=A,3\r\n1002,0=B,3\r\n", figures(full));
  flow::add(&o.run);
  ok(o.view.told == kFittings && o.view.figure_rows.empty() && o.worker.handed.empty(),
     "a full item stops at the first part: %s\n", o.view.told.c_str());

  open_adding(&o, "add_fittings", "1004,0=Door,56\r\n", figures({}));
  flow::add(&o.run);
  ok(o.view.told == kFittings && o.view.figure_rows.empty() &&
         requested(o.worker, DL_TAG_PART) == std::vector<int32_t>({1004}),
     "fittings under 3DCAD: data only\n");

  open_adding(&o, "add_nothing", "1004,1=Door,56\r\n", figures({}));
  flow::add(&o.run);
  ok(o.view.told ==
         "追加: "
         "ダウンロードリストの追加部品リストが存在しません。リストのあるメーカーを選択して下さい。",
     "no added parts\n");
}

TEST(parts_already_there_are_confirmed_one_by_one_or_all_at_once) {
  Opened o;
  open_adding(&o, "add_confirm", "1001,0=A,3\r\n1002,0=B,3\r\n1003,0=C,3\r\n1004,0=D,3\r\n",
              figures({{0, 1001}}));
  for (int part : {1002, 1003, 1004}) put_part_file(o.dir, part, "present");
  // いいえ for the registered part, すべて上書き for the first present one.
  o.view.answers = {3, 2};
  flow::add(&o.run);
  ok(o.view.asked == std::vector<std::string>({"0 A", "-1 B"}), "asked twice\n");
  ok(o.view.figure_rows == std::vector<std::string>({"1 B", "2 C", "3 D"}) &&
         requested(o.worker, DL_TAG_PART) == std::vector<int32_t>({1002, 1003, 1004}) &&
         o.view.told == kAdded,
     "present parts registered without asking again\n");

  o.view.asked.clear();
  o.worker.handed.clear();
  o.view.answers = {1, -1};  // はい, then 中止: the next run asks again
  flow::add(&o.run);
  ok(o.view.asked == std::vector<std::string>({"0 A", "0 B"}) &&
         requested(o.worker, DL_TAG_PART) == std::vector<int32_t>({1001}),
     "a registered part is fetched again, no entry added\n");

  o.view.told.clear();
  o.view.answers = {3, 3, 3, 3};
  flow::add(&o.run);
  ok(o.view.told.empty() && o.run.nothing_registered == 1, "every part declined: no message\n");
}

TEST(the_parts_archive_comes_first_and_once) {
  Opened o;
  FakeArchiveLibrary library;
  open_adding(&o, "add_archive", "1001,0=A,3\r\n", figures({}), false);
  library.index_dir = o.dir;
  o.run.archive = &library;
  flow::add(&o.run);
  flow::add(&o.run);
  ok(requested(o.worker, DL_TAG_ARCHIVE).size() == 1 &&
         o.worker.handed[0].remote == "/K-VAL/HDPARTS\\TRBHN.LZH" &&
         o.worker.handed[0].local == o.dir + "HDTMP\\TRBHN.LZH" && o.view.progress_open &&
         o.view.progress == "部品管理ファイルをダウンロードしてます。",
     "one archive download behind the progress dialog\n");
  flow::on_download_report(&o.run, false, DL_TAG_ARCHIVE, 0);
  ok(o.view.status == "部品管理ファイルのダウンロードを失敗しました。" && !o.view.progress_open,
     "a failed archive\n");
  flow::add(&o.run);
  ok(requested(o.worker, DL_TAG_ARCHIVE).size() == 2, "the next Add asks again\n");
  flow::on_download_report(&o.run, true, DL_TAG_ARCHIVE, 0);
  ok(library.command == "e -n \"" + o.dir + "HDTMP\\TRBHN.LZH\" \"" + o.dir + "HDTMP\\\"",
     "command %s\n", library.command.c_str());
  ok(o.view.figure_rows == std::vector<std::string>({"0 A"}) && o.view.told == kAdded,
     "the Add carries on\n");

  open_adding(&o, "add_no_library", "1001,0=A,3\r\n", figures({}), false);
  flow::add(&o.run);
  flow::on_download_report(&o.run, true, DL_TAG_ARCHIVE, 0);
  ok(o.view.told.find("UNLHA32.DLL") != std::string::npos && o.view.figure_rows.empty(),
     "without the library nothing is added\n");
}

TEST(received_parts_are_installed_with_their_references_once) {
  Opened o;
  open_adding(&o, "add_install", "7001,0=V,3\r\n", figures({}));
  auto receive = [&](int32_t part, const std::string& bytes, int32_t tag = DL_TAG_PART) {
    put_file(store::work_file_path(
                 o.dir.c_str(),
                 tag == DL_TAG_PART ? store::WorkFile::Downloaded : store::WorkFile::View, part),
             bytes);
    flow::on_download_report(&o.run, true, tag, part);
  };
  // 5000 refers to 6000 and 70000, 6000 back to 5000.
  receive(5000, part_data("5000", 6000, 70000));
  receive(6000, part_data("6000", 0, 5000));
  receive(5000, part_data("5000 again", 6000));
  ok(requested(o.worker, DL_TAG_PART) == std::vector<int32_t>({6000, 5000}),
     "each part of the cycle once, 70000 never\n");
  flow::on_download_report(&o.run, false, DL_TAG_PART, 12345);
  ok(o.view.status == "部品のダウンロードを失敗しました。(12345)", "failure shown\n");

  // The worker drops the registration of 7001 for its queued preview: the
  // preview's file is installed.
  o.worker.dropped["/k-val/HDPARTS\\PARTS003\\P0007001.BHN"] = flow::Downloader::kAlreadyQueued;
  flow::add(&o.run);
  receive(7001, part_data("7001"), DL_TAG_VIEW);
  ok(file_text(part_file(o.dir, 7001)) == part_data("7001"), "installed from the preview\n");

  // A registration on its way at 初期化 is not installed when it comes.
  o.worker.dropped.clear();
  flow::request_part_data(&o.run, 7002, false);
  flow::initialise(&o.run);
  receive(7002, part_data("7002"));
  ok(!plat::file_exists(part_file(o.dir, 7002).c_str()), "nothing installed after 初期化\n");
}

namespace {

// A local parts index listing the parts in the first records.
std::string index_of(const std::vector<int>& parts) {
  std::string index(store::kPartsIndexSize, '\0');
  for (int k = 0; k < static_cast<int>(parts.size()); ++k)
    plat::put_u32(reinterpret_cast<uint8_t*>(&index[store::record_offset(0, 0, k)]), parts[k]);
  return index;
}

}  // namespace

TEST(delete_clears_the_makers_parts_and_takes_out_marked_files) {
  Opened o;
  const int later = (3 * 40 + 2) * 50 + 7;  // slot 7 of item 2 of major item 3
  open_adding(&o, "delete",
              "1001,1=A\r\n70000,2=Far\r\n1003,2=C\r\n1004,2=D\r\n1005,2=E\r\n1002,1=B\r\n"
              "1001,2=A\r\n",
              figures({{0, 1001}, {1, 1003}, {5, 1002}, {later, 1002}, {60, 4464}}));
  put_part_file(o.dir, 1003, "1003 before");
  put_part_file(o.dir, 1004, "1004 before");
  put_file(o.dir + "HDPARTS\\TRBHN.DAT", index_of({1004, 1003, 1005}));
  put_file(o.dir + "HDTMP\\BH0001005.DAT", part_data("1005 installed"));
  flow::on_download_report(&o.run, true, DL_TAG_PART, 1005);

  flow::delete_parts(&o.run);
  std::string file = file_text(o.dir + "HDINI\\VGZLST0.INI");
  ok(file.compare(slot_at(0), 32 * 6, std::string(32 * 6, '\0')) == 0 &&
         file.compare(slot_at(later), 32, std::string(32, '\0')) == 0 &&
         slot_part(file, 60) == 4464,
     "every entry of the maker cleared, 70000 not taken for 4464\n");
  ok(o.run.major_item == 3 && o.run.class_item == 2 && o.run.figure_entry == 7 &&
         o.view.figure_rows.back() == "7  ",
     "the later place in file order is selected\n");
  ok(file_text(o.dir + "HDTMP\\DELBH0001003.DAT") == "1003 before" &&
         file_text(o.dir + "HDTMP\\DELBH0001004.DAT") == "1004 before" &&
         !plat::file_exists(part_file(o.dir, 1003).c_str()) &&
         !plat::file_exists(part_file(o.dir, 1005).c_str()) &&
         !plat::file_exists((o.dir + "HDTMP\\DELBH0001005.DAT").c_str()),
     "files saved aside; one installed in this run is deleted\n");
  ok(file_text(o.dir + "HDPARTS\\TRBHN.DAT") == index_of({}), "their index records removed\n");
  ok(o.view.told == "削除: 部品リストの削除が終了しました。", "told %s\n", o.view.told.c_str());
}

TEST(delete_messages_and_a_part_file_that_stays) {
  Opened o;
  open_adding(&o, "delete_added_only", "1001,0=A\r\n", figures({{0, 1001}}));
  flow::delete_parts(&o.run);
  ok(o.view.told ==
             "削除: "
             "ダウンロードリストの削除部品リストが存在しません。リストのあるメーカーを選択して下さ"
             "い。" &&
         o.run.nothing_registered == 1,
     "only added entries\n");
  open_adding(&o, "delete_unregistered", "1002,1=B\r\n", figures({{0, 1001}}));
  flow::delete_parts(&o.run);
  ok(o.view.told == "削除: ダウンロードリストの削除部品は存在しません。", "nothing registered\n");

  open_adding(&o, "delete_data_only", "1003,2=C\r\n1004,2=D\r\n", figures({}));
  put_part_file(o.dir, 1003, "1003");
  put_part_file(o.dir, 1004, "1004");
  put_file(o.dir + "HDPARTS\\TRBHN.DAT", index_of({1003, 1004}));
  plat::File* held = plat::open_file(part_file(o.dir, 1004).c_str(), plat::kRead, plat::kShareRead,
                                     plat::Disposition::OpenExisting);
  flow::delete_parts(&o.run);
  plat::close_file(held);
  ok(o.view.told == "削除: 本体部品のみ削除しました。" &&
         plat::file_exists((o.dir + "HDTMP\\DELBH0001003.DAT").c_str()),
     "a part file alone\n");
  ok(o.view.status == "部品ファイルを削除できませんでした。(1004)" &&
         file_text(part_file(o.dir, 1004)) == "1004" &&
         file_text(o.dir + "HDPARTS\\TRBHN.DAT") == index_of({0, 1004}),
     "a file that cannot be moved keeps its record and is told\n");
}

namespace {

std::string view_path(const Opened& o, int part) {
  return store::work_file_path(o.dir.c_str(), store::WorkFile::View, part);
}

}  // namespace

TEST(the_preview_stands_in_for_the_part_files_until_it_closes) {
  Opened o;
  // 1001 is in the store, 1002 is not; 1002's preview copy refers to 5000,
  // whose copy refers to 6000, which refers to 70000 (never downloaded);
  // 1001 stands under two keys.
  open_adding(&o, "preview", "1001,1=A\r\n1002,2=B\r\n1001,2=A\r\n", figures({}));
  put_part_file(o.dir, 1001, "1001 stored");
  put_file(view_path(o, 1001), part_data("1001 view"));
  put_file(view_path(o, 1002), part_data("1002 view", 0, 5000));
  put_file(view_path(o, 5000), part_data("5000 view", 0, 6000));
  put_file(view_path(o, 6000), part_data("6000 view", 0, 70000));
  RecordingLibrary library;
  flow::Preview preview;
  ok(flow::open_preview(&o.run, &preview, &library) && preview.first_list == 406 &&
         preview.part == 1001 && preview.deleted.size() == 3 && preview.deleted[0] == "  1001  A" &&
         library.calls == std::vector<std::string>({"begin 1001 1"}),
     "only deleted entries: the first of list 406\n");
  ok(file_text(part_file(o.dir, 1001)) == part_data("1001 view") &&
         file_text(part_file(o.dir, 6000)) == part_data("6000 view", 0, 70000) &&
         o.run.preview_set.parts == std::vector<int32_t>({1001, 1002, 5000, 6000}),
     "the chain's copies stand in, each part once\n");

  library.calls.clear();
  std::vector<int> angles;
  for (int n = 0; n < 7; ++n) {
    flow::preview_rotate(&preview, &library);
    angles.push_back(preview.angle);
  }
  ok(angles == std::vector<int>({210, 240, 270, 300, 330, 0, 30}), "the angles\n");
  ok(library.calls.size() == 28 && library.calls[3] == "draw 210 1", "each turn redraws\n");
  flow::preview_toggle_background(&preview, &library);
  flow::preview_choose_row(&preview, &library, preview.deleted[1]);
  ok(preview.part == 1002 && preview.angle == 180 && preview.background == 0 &&
         library.calls.back() == "draw 180 0",
     "another part from 180 degrees, the background kept\n");

  // 1002 is installed while the preview is open: the new file stays.
  put_file(o.dir + "HDTMP\\BH0001002.DAT", part_data("1002 installed"));
  flow::on_download_report(&o.run, true, DL_TAG_PART, 1002);
  flow::close_preview(&o.run, &library);
  ok(file_text(part_file(o.dir, 1001)) == "1001 stored" &&
         file_text(part_file(o.dir, 1002)) == part_data("1002 installed") &&
         !plat::file_exists(part_file(o.dir, 5000).c_str()) &&
         !plat::file_exists((o.dir + "HDPARTS\\PARTS000\\RE0001001.BHN").c_str()),
     "了 解: the store as before, the part installed meanwhile kept, no RE file\n");

  // A part with neither a part file nor a preview copy.
  open_adding(&o, "preview_unready", "1001,0=A\r\n1003,0=C\r\n", figures({}));
  put_file(view_path(o, 1001), part_data("1001 view"));
  ok(!flow::open_preview(&o.run, &preview, &library) &&
         !plat::file_exists(part_file(o.dir, 1001).c_str()) &&
         o.view.told ==
             "ﾌﾟﾚﾋﾞｭｰ: ﾌﾟﾚﾋﾞｭｰ用の部品がﾀﾞｳﾝﾛｰﾄﾞされていません。\nしばらく待って再試行して下さい。",
     "not ready: told, nothing left replaced\n");
}
