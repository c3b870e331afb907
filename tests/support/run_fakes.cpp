#include "tests/support/run_fakes.h"

#include <algorithm>

#include "tests/support/scratch.h"

namespace oktest {

void RecordingView::show_category_list(int level, const std::vector<std::string>* rows,
                                       int selected) {
  shown.push_back("list " + std::to_string(level) + (rows ? " rows" : " keep") + " sel " +
                  std::to_string(selected));
}

void RecordingView::tell(const char* text, const char* caption_text) {
  told = std::string(caption_text) + ": " + text;
  told_captions.push_back(caption_text);
  if (pump) pump();
}

int RecordingView::confirm_overwrite(const char* name, int state) {
  asked.push_back(std::to_string(state) + " " + name);
  if (pump) pump();
  int answer = answers.empty() ? -1 : answers.front();
  if (!answers.empty()) answers.erase(answers.begin());
  return answer;
}

int RecordingView::run_list_selection() {
  ++selections;
  std::vector<std::string> titles;
  int selected;
  if (!flow::list_selection_lines(run, &titles, &selected)) return 0;
  if (pump) pump();
  flow::choose_listed_file(run, std::min(choose_line, static_cast<int>(titles.size()) - 1));
  return 1;
}

flow::Downloader::Handed FakeWorker::request(const char* remote, const char* local, int32_t tag,
                                             int32_t value) {
  if (dropped.count(remote)) return dropped[remote];
  if (queued == room) return kNoRoom;
  handed.push_back({remote, local, tag, value});
  most_queued = std::max(most_queued, ++queued);
  return kQueued;
}

bool FakeArchiveLibrary::unlha(const char* text) {
  command = text;
  return put_file(index_dir + "HDTMP\\TRBHN.DAT", "");
}

}  // namespace oktest
