// The program killed during an Add with downloads in flight, a Delete and an
// open preview: the next start tells of the recovery in one box and the
// library is again that of the killed run's opening. Seeded sessions of Add
// (the question answered at random), Delete, preview, 初期化 and list
// changes against failing, broken and slow parts of the stand-in server,
// ended with 了解 or 中止. Every message names the seed that replays it.
#include <cstdio>
#include <cstdlib>
#include <random>

#include "resources/resource.h"
#include "tests/e2e/cases.h"
#include "tools/sample_catalogue.h"

using namespace gui;

namespace {

using State = std::map<std::string, std::string>;

const char kRecoveryCaption[] = "部品データの復元";
const char kRecovered[] =
    "前回の部品ダウンロードが途中で終了していたため、部品データを開始前の状態に戻しました。\n"
    "(分類ファイル %d 個、部品管理ファイル %d 個、部品ファイル %d 個)";
const char kNotBroughtBack[] = "元に戻せなかった";  // in the boxes of 中止 and 初期化

// Every part the sample's lists name, and those they refer to.
const int32_t kParts[] = {1001, 1002, 1003, 1004, 1005, 1010, 1011, 2001, 2002, 2003, 2004, 2010,
                          3001, 3002, 3003, 3004, 3011, 3012, 4001, 4002, 5000, 6000, 7002};
// Server faults a session puts on a few parts: refused, broken, not part
// data, broken once and then served, slow enough to be in flight later.
const char* const kFaults[] = {"{\"status\": 404}",
                               "{\"status\": 500}",
                               "{\"html_error\": true}",
                               "{\"empty_body\": true}",
                               "{\"reset\": true}",
                               "{\"fail_first\": 1}",
                               "{\"fail_first\": 1, \"fail_rule\": {\"cut_after\": 60}}",
                               "{\"chunk_size\": 64, \"pause_ms\": 150}"};
constexpr unsigned kPartCount = sizeof kParts / sizeof kParts[0];
constexpr unsigned kFaultCount = sizeof kFaults / sizeof kFaults[0];
const char kArchive[] = "/newdownload/K-VAL/HDPARTS/TRBHN.LZH";

struct Session {
  const Folder& folder;
  std::mt19937 rng;
  std::string how;  // "seed N", in every message
  Program program;
  Session(const Folder& f, unsigned seed)
      : folder(f), rng(seed), how("seed " + std::to_string(seed)) {}
  unsigned pick(unsigned n) { return static_cast<unsigned>(rng() % n); }
  const char* at(const char* step) {
    last = how + " " + step;
    return last.c_str();
  }
  std::string last;
};

// Each part file holds its opening bytes or the server's; with `stand_ins`
// (after a kill) so may an RE file, the part file a preview moved aside.
void parts_whole(const Folder& folder, const State& opening, const char* how, bool stand_ins) {
  for (const std::string& name : part_files(folder)) {
    const std::string file = name.substr(name.rfind('\\') + 1);
    const bool saved = stand_ins && file.compare(0, 2, "RE") == 0;
    const int32_t part = std::atoi(file.c_str() + (saved ? 2 : 1));
    using store::PartFileVariant;
    const std::string bytes = read_file(folder.file(name.c_str()));
    auto was = opening.find(store::part_file_path("", PartFileVariant::Current, part));
    ok(name == store::part_file_path("", saved ? PartFileVariant::Saved : PartFileVariant::Current,
                                     part) &&
           ((was != opening.end() && was->second == bytes) ||
            bytes == sample::sample_part_data(part)),
       "%s: %s holds neither its opening bytes nor the server's\n", how, name.c_str());
  }
}

// Answers what the program asks until its main dialog takes input again:
// "DLUPDATE" at random, message boxes with OK, the progress dialog waited
// out. An open preview dialog is handed back as it is.
HWND settle(Session* s, const Program& program) {
  const DWORD pid = program.pid();
  // Idle twice, a sync apart: a handler that began meanwhile has ended.
  for (int idle = 0, rounds = 0; rounds < 1000; ++rounds) {
    sync(program.dialog);
    if (HWND view = wait_dialog_with(pid, IDC_PREVIEW_ROTATE, 0)) return view;
    HWND question = wait_dialog_with(pid, IDC_OVERWRITE_YES, 0);
    HWND box = question ? nullptr : wait_message_box(pid, 0);
    if (question) {
      const int answers[] = {IDC_OVERWRITE_YES, IDC_OVERWRITE_ALL, IDC_OVERWRITE_NO, IDCANCEL};
      post_click(question, answers[s->pick(4)]);
    } else if (box) {
      ok(message_box_text(box).find(kNotBroughtBack) == std::string::npos, "%s: box \"%s\"\n",
         s->how.c_str(), readable(message_box_text(box)).c_str());
      answer_ok(box);
    }
    if (question || box)
      closes(question ? question : box);
    else if (!IsWindowEnabled(program.dialog) || progress_dialog(program))
      pause_ms(20);
    else if (idle++)
      return nullptr;
    if (question || box) idle = 0;
  }
  ok(false, "%s: the program does not settle\n", s->how.c_str());
  return nullptr;
}

// No download under way: no transfer's file and no new request for
// `still_ms` (longer than a retry's pause when parts fail).
void quiet(const Folder& folder, DWORD still_ms = 1200) {
  std::string seen;
  DWORD since = GetTickCount();
  wait_until(20000, [&] {
    std::string now = read_file(server_path("DLTEST_LOG"));
    for (const char* pattern : {"HDTMP\\BH*", "HDTMP\\~partsdl\\*"})
      for (const std::string& name : files_matching(folder.file(pattern))) now += name;
    if (now != seen) seen = now, since = GetTickCount();
    return GetTickCount() - since >= still_ms;
  });
}

// テキスト読込 of the sample list or the delete list, みらい住設 selected.
bool import_either_list(Session* s) {
  const bool sample_list = s->pick(2);
  return import_list(s->program, sample_list ? sample::kSampleListName : sample::kDeleteListName,
                     sample_list ? 4 : 3, sample::kHomeMaker);
}

void preview(Session* s, HWND view) {
  for (unsigned turns = s->pick(4); turns > 0; --turns) click(view, IDC_PREVIEW_ROTATE);
  post_click(view, IDOK);
  closes(view);
}

void empty_work_folder(const Folder& folder) {
  for (const char* left : {"HDTMP\\", "HDTMP\\~partsdl\\"})
    for (const std::string& name : files_matching(folder.file(left) + "*"))
      DeleteFileA((folder.file(left) + name).c_str());
}

// The library a session opens: the sample's, with a few parts in an older
// version, and at times after a first run that added みらい住設's parts.
bool prepare(Session* s, const State& sample) {
  empty_work_folder(s->folder);
  for (const std::string& name : part_files(s->folder))
    DeleteFileA(s->folder.file(name.c_str()).c_str());
  for (const auto& file : sample) write_file(s->folder.file(file.first.c_str()), file.second);
  set_last_date(s->folder, 0);
  for (unsigned n = s->pick(4); n > 0; --n) put_older_part(s->folder, kParts[s->pick(kPartCount)]);
  if (s->pick(2)) return true;
  Program first;
  if (!open_sample_list(&first, s->folder, sample::kHomeMaker)) return false;
  settled_click(first.dialog, IDC_ADD);
  settle(s, first);
  quiet(s->folder, 300);
  close_with(&first, IDOK);
  return true;
}

// One session: faults on the server, the list from a walk or from
// テキスト読込, three to seven random steps, then 了解 or 中止.
void session(const Folder& folder, const State& sample, unsigned seed) {
  Session s(folder, seed);
  if (!prepare(&s, sample)) return;
  std::string rules = "{";
  for (unsigned n = s.pick(4); n > 0; --n)
    rules += "\"" + part_remote(kParts[s.pick(kPartCount)]) +
             "\": " + kFaults[s.pick(kFaultCount)] + ", ";
  if (s.pick(5) == 0) rules += std::string("\"") + kArchive + "\": " + kFaults[s.pick(6)] + ", ";
  set_rules(rules + "\"-\": {}}");
  const State opening = store_state(folder);
  if (s.pick(3) == 0 ? !open_newest_list(&s.program, folder)
                     : !open_dialog(&s.program, folder) || !import_either_list(&s))
    return;
  HWND dialog = s.program.dialog;
  for (unsigned steps = 3 + s.pick(5); steps > 0; --steps) {
    switch (s.pick(8)) {
      case 0: select_row(dialog, IDC_MAKERS, s.pick(list_rows(dialog, IDC_MAKERS).size())); break;
      case 1:
        select_row(dialog, IDC_MAJOR_ITEMS, s.pick(3));
        select_row(dialog, IDC_CLASS_ITEMS, s.pick(3));
        break;
      case 2:
      case 3: settled_click(dialog, IDC_ADD), settle(&s, s.program); break;
      case 4: settled_click(dialog, IDC_DELETE), settle(&s, s.program); break;
      case 5:
        settled_click(dialog, IDC_PREVIEW);
        if (HWND view = settle(&s, s.program)) preview(&s, view), settle(&s, s.program);
        break;
      case 6:
        quiet(folder);  // a download landing later would change the store again
        settled_click(dialog, IDC_INITIALISE), settle(&s, s.program);
        same_state(store_state(folder), opening, s.at("初期化"));
        break;
      case 7: import_either_list(&s); break;
    }
  }
  const bool keep = s.pick(2);
  close_with(&s.program, keep ? IDOK : IDCANCEL);
  if (keep)
    parts_whole(folder, opening, s.at("了解"), false);
  else
    same_state(store_state(folder), opening, s.at("中止"));
  work_folder_empty(folder, s.at(keep ? "了解" : "中止"));
  set_rules("{}");
}

// The start after a kill: one box tells of the recovery, the library is
// that of the killed run's opening, and 了解 leaves HDTMP\ empty. What the
// counts add up to is checked natively (tests/unit/recovery_test.cpp).
void recovered(const Folder& folder, const State& opening, Session* s) {
  parts_whole(folder, opening, s->at("killed"), true);
  set_last_date(folder, 0);
  Program program;
  if (!ok(start(&program, folder.path), "%s: cannot start\n", s->how.c_str())) return;
  HWND box = wait_message_box(program.pid());
  // Five classification files and the index from their copies.
  const std::string told = box ? message_box_text(box) : "", count = "部品ファイル ";
  const size_t at = told.rfind(count);
  const int parts = at == std::string::npos ? -1 : std::atoi(told.c_str() + at + count.size());
  char expected[512];
  std::snprintf(expected, sizeof expected, kRecovered, 5, 1, parts);
  ok(box && text(box) == kRecoveryCaption && told == expected && parts >= 0,
     "%s: box \"%s\" \"%s\"\n", s->how.c_str(), box ? readable(text(box)).c_str() : "none",
     readable(told).c_str());
  dismiss(box);
  ok(!wait_message_box(program.pid(), 300), "%s: a second box\n", s->how.c_str());
  if (!ok(wait_windows(&program), "%s: no main dialog after the recovery\n", s->how.c_str()))
    return;
  same_state(store_state(folder), opening, s->at("recovered"));
  close_with(&program, IDOK);
  work_folder_empty(folder, s->at("after the recovery"));
}

// The program killed at a seeded moment within `range_ms`, then started again.
void kill_and_recover(Session* s, const State& opening, unsigned range_ms) {
  pause_ms(s->pick(range_ms));
  ok(kill_program(&s->program), "%s: not running when killed\n", s->how.c_str());
  recovered(s->folder, opening, s);
}

void sessions(const char* name, const std::vector<unsigned>& seeds) {
  Folder folder(name);
  if (!lay_out(folder)) return;
  const State sample = store_state(folder);
  for (unsigned seed : seeds) session(folder, sample, seed);
}

}  // namespace

TEST(killed_during_an_add_with_downloads_in_flight) {
  Folder folder("kill_add");
  if (!lay_out(folder) || !put_older_part(folder, 6000)) return;
  // Slow parts, 3003 stalled after a few bytes.
  set_rules("{\"" + part_remote(3003) +
            "\": {\"stall\": true, \"stall_after\": 50}, "
            "\"/newdownload/k-val/*\": {\"chunk_size\": 64, \"pause_ms\": 100}}");
  for (unsigned seed = 1; seed <= 4; ++seed) {
    Session s(folder, seed);
    const State opening = store_state(folder);
    if (!open_sample_list(&s.program, folder, sample::kHomeMaker)) return;
    post_click(s.program.dialog, IDC_ADD);
    kill_and_recover(&s, opening, 2500);
  }
}

TEST(killed_during_a_delete) {
  Folder folder("kill_delete");
  if (!lay_out(folder)) return;
  {
    Program first;
    if (!open_sample_list(&first, folder, sample::kHomeMaker) || !add_home_parts(first, folder))
      return;
    close_with(&first, IDOK);
  }
  for (unsigned seed = 1; seed <= 5; ++seed) {
    Session s(folder, seed);
    const State opening = store_state(folder);
    if (!open_dialog(&s.program, folder) ||
        !import_list(s.program, sample::kDeleteListName, 3,
                     s.pick(2) ? sample::kHomeMaker : sample::kHomeRelatedMaker))
      return;
    post_click(s.program.dialog, IDC_DELETE);
    kill_and_recover(&s, opening, 120);
  }
}

TEST(killed_with_the_preview_open) {
  Folder folder("kill_preview");
  if (!lay_out(folder) || !ok(put_older_part(folder, 1001) && put_older_part(folder, 3002),
                              "cannot store parts 1001 and 3002\n"))
    return;
  for (unsigned seed = 1; seed <= 3; ++seed) {
    Session s(folder, seed);
    const State opening = store_state(folder);
    const bool home = s.pick(2);
    if (!open_newest_list(&s.program, folder) ||
        !select_maker(s.program.dialog, home ? sample::kHomeMaker : "日本建材"))
      return;
    // みらい住設's parts added first, 3004 slowly: it arrives while the preview is open.
    if (home) {
      set_rules("{\"" + part_remote(3004) + "\": {\"chunk_size\": 100, \"pause_ms\": 300}}");
      settled_click(s.program.dialog, IDC_ADD);
      settle(&s, s.program);
    }
    HWND view = nullptr;
    wait_until(kWaitMs, [&] {
      settled_click(s.program.dialog, IDC_PREVIEW);
      view = settle(&s, s.program);
      return view != nullptr;
    });
    if (!ok(view != nullptr, "%s: the preview did not open\n", s.how.c_str())) return;
    for (unsigned turns = s.pick(3); turns > 0; --turns) click(view, IDC_PREVIEW_ROTATE);
    kill_and_recover(&s, opening, 1500);
    set_rules("{}");
  }
}

TEST(seeded_sessions) {
  std::vector<unsigned> seeds;
  for (unsigned seed = 1; seed <= 21; ++seed) seeds.push_back(seed);
  sessions("sessions", seeds);
}

// Seeds that found faults, each with what it found.
TEST(seeded_session_regressions) {
  sessions("regressions", {
                              28,  // 3004's preview data, an empty body, stays in HDTMP\ after 中止
                              29,  // 1001's preview data, an HTML page, stays after 了解
                              37,  // 中止 while 1004's preview data is retried: later copies stay
                              60,  // 中止 while 5000 comes slowly: the parts behind it stay as BH
                          });
}
