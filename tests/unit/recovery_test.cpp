// Every file operation of each step that changes the library made to fail
// in turn, and the process made to die at each of them: the library stays
// whole, 中止 brings back the opening, and the next start brings back the
// opening of a run that died.
#include <cstdio>
#include <filesystem>
#include <map>

#include "download/download.h"
#include "flow/run.h"
#include "platform/files.h"
#include "platform/native_path.h"
#include "store/part_files.h"
#include "tests/support/classification_files.h"
#include "tests/support/ok.h"
#include "tests/support/run_fakes.h"
#include "tests/support/scratch.h"
#include "tools/sample_catalogue.h"

using namespace oktest;

namespace {

using Files = std::map<std::string, std::string>;

// Classification files, the parts index and every file of the parts store.
Files library_of(const std::string& dir) {
  namespace fs = std::filesystem;
  Files files;
  const std::string root = plat::native_path(dir.c_str());
  auto take = [&](const fs::path& path) {
    std::string bytes;
    get_file(path.string(), &bytes);
    files[fs::relative(path, root).string()] = bytes;
  };
  for (const auto& entry : fs::directory_iterator(root + "HDINI"))
    if (entry.path().extension() == ".INI") take(entry.path());
  for (const auto& entry : fs::recursive_directory_iterator(root + "HDPARTS"))
    if (entry.is_regular_file() && entry.path().string().find("LST") == std::string::npos)
      take(entry.path());
  return files;
}

// Whole files only: every part file holds its opening bytes or the
// server's, every classification file and the index their full size.
bool whole(const Files& now, const Files& opening) {
  for (const auto& [name, bytes] : now) {
    auto was = opening.find(name);
    if (was != opening.end() && was->second == bytes) continue;
    std::string file = std::filesystem::path(name).filename().string();
    if (file.size() > 4 && file.compare(file.size() - 4, 4, ".BHN") == 0) {
      // A part file, or one waiting as RE while a preview copy stands in.
      int32_t part = std::atoi(file.c_str() + (file[0] == 'R' ? 2 : 1));
      if (bytes != sample::sample_part_data(part)) return false;
    } else if (bytes.size() != (name.find("TRBHN") != std::string::npos ? 6783440 : kCurrentSize)) {
      return false;
    }
  }
  return true;
}

struct Program {
  std::string dir, server;
  Files opening;
  RecordingView view;
  FakeWorker worker;
  RecordingLibrary figures;
  flow::Run run;
  size_t delivered = 0;
};

// Hands every request the worker was given to the run, fetched from the
// server's tree through the seam as the worker writes it; lists never come.
void deliver(Program* p) {
  while (p->delivered < p->worker.handed.size()) {
    FakeWorker::Request r = p->worker.handed[p->delivered++];
    if (r.tag == DL_TAG_LIST) continue;
    std::string bytes;
    bool fetched =
        get_file(plat::native_path((p->server + "newdownload" + r.remote).c_str()), &bytes) &&
        plat::replace_whole_file(r.local.c_str(), bytes.data(), bytes.size());
    flow::on_download_report(&p->run, fetched, static_cast<uint32_t>(r.tag), r.value);
  }
}

// A run opened on the program folder with `list` chosen and its maker "M"
// selected; the run a death left behind is recovered first.
bool open(Program* p, const char* list) {
  p->view = RecordingView();
  p->worker = FakeWorker();
  p->delivered = 0;
  p->view.run = &p->run;
  p->view.answers.assign(8, 2);  // すべて上書き
  if (!flow::open_run(&p->run, &p->view, &p->worker, p->dir.c_str(), "")) return false;
  flow::adopt_list_file(&p->run, (p->dir + "HDPARTS\\LST\\" + list).c_str());
  flow::choose_maker(&p->run, "M");
  return true;
}

// Two parts of maker "M", one referring to a third; 3001 is in the store
// at opening in an older version.
const char kAddList[] = "add.dat", kDeleteList[] = "delete.dat";

void put_previews(const Program& p) {
  for (int32_t part : {3001, 5000, 6000})
    put_file(p.dir + "HDTMP\\VIEW000" + std::to_string(part) + ".DAT",
             sample::sample_part_data(part));
}

enum class Step { Add, Delete, Preview, Cancel };

void run_step(Program* p, Step step) {
  switch (step) {
    case Step::Add:
      flow::add(&p->run);
      deliver(p);
      break;
    case Step::Delete: flow::delete_parts(&p->run); break;
    case Step::Preview: {
      flow::Preview preview;
      if (flow::open_preview(&p->run, &preview, &p->figures)) {
        flow::preview_rotate(&preview, &p->figures);
        flow::close_preview(&p->run, &p->figures);
      }
      break;
    }
    case Step::Cancel: flow::cancel(&p->run); break;
  }
}

// The library as it was at `p->opening`, told or not.
bool back_at_opening(const Program& p, const char* how, int64_t n) {
  Files now = library_of(p.dir);
  std::string differ;
  for (const auto& [name, bytes] : now)
    if (!p.opening.count(name) || p.opening.at(name) != bytes) differ += " " + name;
  for (const auto& [name, bytes] : p.opening)
    if (!now.count(name)) differ += " -" + name;
  return ok(differ.empty(), "%s at operation %lld:%s\n", how, (long long)n, differ.c_str());
}

// The process dies: its journal's handle goes with it.
void die(Program* p) {
  plat::fail_file_operation(0);
  store::drop_recovery_log(&p->run.journal.log);
}

// Runs `region` with each of its file operations made to fail in turn,
// alone and then as a death, after `prepare` each time; `check` looks at
// what it left, and stops the runs when it finds it wrong. A first run
// without a fault counts the operations; returns their number.
template <typename Prepare, typename Region, typename Check>
int64_t at_every_operation(Prepare prepare, Region region, Check check) {
  int64_t count = 0;
  for (int64_t n = 0; n <= count; ++n) {
    for (bool dies : {false, true}) {
      if (n == 0 && dies) continue;
      prepare();
      int64_t start = plat::file_operation_count();
      plat::fail_file_operation(n == 0 ? 0 : start + n, dies);
      region();
      if (n == 0) count = plat::file_operation_count() - start;
      if (!check(n, dies)) return count;
    }
  }
  return count;
}

// Prints how many fault points a case ran, and checks there were enough.
void fault_points(const char* what, int64_t count, int64_t least) {
  std::printf("fault points: %s %lld, each failed alone and as a death\n", what, (long long)count);
  ok(count > least, "operations of %s: %lld\n", what, (long long)count);
}

// Each operation of the step fails alone, then the process dies there: a
// failure leaves whole files and 中止 brings back the opening, a death the
// next start. Returns the number of operations the step made.
int64_t fail_every_operation(Program* p, Step step, const char* list) {
  auto prepare = [&] {
    put_previews(*p);
    open(p, list);
    if (step == Step::Cancel) run_step(p, Step::Add);
  };
  return at_every_operation(
      prepare, [&] { run_step(p, step); },
      [&](int64_t n, bool dies) {
        if (!dies) {
          plat::fail_file_operation(0);
          ok(whole(library_of(p->dir), p->opening), "a cut file at operation %lld\n", (long long)n);
          if (!flow::cancel(&p->run)) ok(flow::cancel(&p->run), "中止 again\n");
          flow::close_run(&p->run);
          return back_at_opening(*p, "中止 after a failure", n);
        }
        die(p);
        open(p, list);
        ok(p->view.told_captions == std::vector<std::string>({"部品データの復元"}),
           "the user is told once\n");
        flow::close_run(&p->run);
        return back_at_opening(*p, "the next start after a death", n);
      });
}

// The sample library with its catalogue; the server's parts index already
// downloaded, so that an add needs no archive.
void lay_out(Program* p, const char* name) {
  p->dir = scratch_folder(name);
  p->server = p->dir + "server\\";
  p->dir += "program\\";
  sample::make_program_folder(p->dir);
  sample::make_catalogue(p->dir, p->server);
  std::vector<uint8_t> index = sample::sample_parts_index();
  plat::write_file((p->dir + "HDTMP\\TRBHN.DAT").c_str(), index.data(), index.size());
  const std::string lists = p->dir + "HDPARTS\\LST\\", head = "[INFO]\r\nTITLE=t\r\n[M]\r\n";
  put_file(lists + kAddList, head + "5000,0=A,3\r\n3001,0=B,3\r\n");
  put_file(lists + kDeleteList, head + "5000,2=A,3\r\n3001,2=B,3\r\n");
  put_file(p->dir + "HDPARTS\\PARTS001\\P0003001.BHN", "an older 3001");
}

}  // namespace

TEST(adding_and_installing_survive_a_fault_or_a_death_at_every_operation) {
  Program p;
  lay_out(&p, "faults_add");
  p.opening = library_of(p.dir);
  fault_points("add and install", fail_every_operation(&p, Step::Add, kAddList), 50);
  fault_points("中止", fail_every_operation(&p, Step::Cancel, kAddList), 10);
}

TEST(deleting_and_the_preview_survive_a_fault_or_a_death_at_every_operation) {
  Program p;
  lay_out(&p, "faults_delete");
  open(&p, kAddList);
  run_step(&p, Step::Add);
  flow::close_run(&p.run);
  p.opening = library_of(p.dir);
  fault_points("delete", fail_every_operation(&p, Step::Delete, kDeleteList), 10);
  fault_points("preview", fail_every_operation(&p, Step::Preview, kAddList), 10);
}

TEST(recovery_survives_a_fault_or_a_death_at_every_operation) {
  Program p;
  lay_out(&p, "faults_recovery");
  p.opening = library_of(p.dir);
  bool opened = false;
  auto die_in_a_preview = [&] {
    put_previews(p);
    open(&p, kAddList);
    run_step(&p, Step::Add);
    flow::Preview preview;
    flow::open_preview(&p.run, &preview, &p.figures);
    die(&p);
  };
  int64_t count = at_every_operation(
      die_in_a_preview, [&] { opened = open(&p, kAddList); },
      [&](int64_t n, bool dies) {
        if (opened) flow::close_run(&p.run);
        die(&p);
        open(&p, kAddList);
        flow::close_run(&p.run);
        return back_at_opening(p, dies ? "a death during recovery" : "a fault during recovery", n);
      });
  fault_points("recovery and its opening", count, 20);
}

TEST(an_upgrade_cut_by_a_fault_or_a_death_leaves_the_old_file_or_the_new) {
  Program p;
  lay_out(&p, "faults_upgrade");
  OldFile old = old_file();
  const std::string path = p.dir + "HDINI\\VGZLST0.INI";
  bool opened = false;
  auto old_layout = [&] {
    put_file(path, old.old);
    p.view = RecordingView();
  };
  auto open_run = [&] { opened = flow::open_run(&p.run, &p.view, &p.worker, p.dir.c_str(), ""); };
  int64_t count = at_every_operation(old_layout, open_run, [&](int64_t n, bool) {
    die(&p);
    std::string now = file_text(path);
    if (opened) flow::close_run(&p.run);
    return ok(now == old.old || now == old.converted, "a cut file at operation %lld\n",
              (long long)n);
  });
  fault_points("an opening that upgrades", count, 5);
}
