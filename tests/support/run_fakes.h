// Stand-ins for what a run of the main dialog talks to (flow/run.h): a view
// that records what it is shown and answers its modal dialogs, the download
// worker's queue, the archive library and the figure drawing library.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "flow/run.h"

namespace oktest {

struct RecordingView : flow::View {
  std::vector<std::string> shown;  // "list L rows|keep sel S", "clear"
  std::vector<std::string> makers, added, deleted;
  std::string caption, status, told, progress;
  std::vector<std::string> told_captions;  // of every message box, in turn
  bool enabled = true, progress_open = false;
  int selections = 0;
  int choose_line = 0;  // what the user picks in the list selection (the last line at most)
  flow::Run* run = nullptr;
  std::vector<std::string> figure_rows;  // "row name"
  std::vector<int> answers;              // the user's DLUPDATE answers, in turn; then -1
  std::vector<std::string> asked;        // "state name" of each confirmation
  // Runs while a modal dialog is up, as the dialog's message loop lets the
  // main window's messages (download reports) through.
  std::function<void()> pump;

  void show_category_list(int level, const std::vector<std::string>* rows, int selected) override;
  void clear_category_lists() override { shown.push_back("clear"); }
  void show_caption(const std::string& text) override { caption = text; }
  void show_status(const char* text) override { status = text; }
  void show_makers(const std::vector<std::string>& rows) override { makers = rows; }
  void show_part_lists(const std::vector<std::string>& a,
                       const std::vector<std::string>& d) override {
    added = a;
    deleted = d;
  }
  void tell(const char* text, const char* caption_text) override;
  void set_enabled(bool on) override { enabled = on; }
  void open_progress() override { progress_open = true; }
  void close_progress() override { progress_open = false; }
  void show_progress(const char* text) override { progress = status = text; }
  void show_figure_row(int row, const std::string& name) override {
    figure_rows.push_back(std::to_string(row) + " " + name);
  }
  int confirm_overwrite(const char* name, int state) override;
  void show_wait_cursor(bool) override {}
  int run_list_selection() override;
};

// The worker's queue, holding `room` requests; finished ones leave it.
struct FakeWorker : flow::Downloader {
  struct Request {
    std::string remote, local;
    int32_t tag, value;
  };
  std::vector<Request> handed;  // every request queued, in order
  size_t room = 1000000, queued = 0, most_queued = 0;
  std::map<std::string, Handed> dropped;  // remote paths the worker drops, and how

  Handed request(const char* remote, const char* local, int32_t tag, int32_t value) override;
  void forget_recent(const char*) override {}
};

// UNLHA32.DLL that writes an empty downloaded parts index.
struct FakeArchiveLibrary : flow::ArchiveLibrary {
  std::string command;
  std::string index_dir;  // where the unpacked index appears
  bool unlha(const char* text) override;
};

// FIGDRAW.dll's calls, as "begin P B", "load P", "draw A B", "end".
struct RecordingLibrary : flow::FigureLibrary {
  std::vector<std::string> calls;
  void begin(uint16_t part, int background) override {
    calls.push_back("begin " + std::to_string(part) + " " + std::to_string(background));
  }
  void load(uint16_t part, int) override { calls.push_back("load " + std::to_string(part)); }
  void draw(int angle, int background) override {
    calls.push_back("draw " + std::to_string(angle) + " " + std::to_string(background));
  }
  void end() override { calls.push_back("end"); }
};

}  // namespace oktest
