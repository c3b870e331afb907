#include "flow/install.h"

#include <cstdio>
#include <vector>

#include "platform/files.h"
#include "store/install_journal.h"
#include "store/part_files.h"

namespace flow {
namespace {

const char kPartDownloadFailed[] = "部品のダウンロードを失敗しました。(%d)";

}  // namespace

void on_part_report(Run* run, bool done, bool preview, int32_t part) {
  const char* dir = run->program_directory.c_str();
  if (!preview) {
    run->registration_via_view.erase(part);
    run->registrations_on_the_way.erase(part);
    if (run->registrations_undone.erase(part)) {
      plat::delete_file(store::work_file_path(dir, store::WorkFile::Downloaded, part).c_str());
      return;
    }
  }
  if (!done) {
    if (preview) return;
    char text[96];
    std::snprintf(text, sizeof text, kPartDownloadFailed, part);
    run->view->show_status(text);
    return;
  }
  if (preview) run->view_arrived.insert(part);
  // A part the open preview stands in for gets its own file back first:
  // the install saves that one, and the preview leaves the new one alone.
  if (!preview) store::restore_preview_file(dir, &run->preview_set, part);
  run->view->show_wait_cursor(true);
  std::string installed;
  bool fresh = store::install_downloaded_part(dir, &run->journal, part, &installed);
  std::vector<int32_t> references;
  store::referenced_parts(dir, part, fresh ? &installed : nullptr, &references);
  // The index merges of a registration's references are written once.
  store::begin_index_changes(&run->index);
  for (int32_t referenced : references)
    if (!run->requested[preview].count(referenced)) request_part_data(run, referenced, preview);
  store::end_index_changes(&run->index);
  run->view->show_wait_cursor(false);
  if (preview && run->registration_via_view.erase(part)) install_from_view(run, part);
}

void install_from_view(Run* run, int32_t part) {
  const char* dir = run->program_directory.c_str();
  std::string view = store::work_file_path(dir, store::WorkFile::View, part);
  std::string received = store::work_file_path(dir, store::WorkFile::Downloaded, part);
  if (store::detect_file_kind(view.c_str()) != store::kKindPartData ||
      !plat::copy_file(view.c_str(), received.c_str(), false))
    return;
  on_part_report(run, true, false, part);
}

}  // namespace flow
