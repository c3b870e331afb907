// Every download a run asks for goes through send_request: a request the
// worker has no room for waits here, in order, and is offered again as
// the worker reports, so that no request is lost to a full queue.
#include <cstring>

#include "catalogue/list_file.h"
#include "download/download.h"
#include "flow/run.h"
#include "platform/files.h"
#include "store/part_files.h"

namespace flow {
namespace {

// Where a part file is looked for when it has none of its own.
constexpr int32_t kStandInPart = 24501;

}  // namespace

void send_request(Run* run, const std::string& remote, const std::string& local, int32_t tag,
                  int32_t value) {
  if (run->waiting.empty() &&
      run->downloader->request(remote.c_str(), local.c_str(), tag, value) != Downloader::kNoRoom)
    return;
  run->waiting.push_back(WaitingRequest{remote, local, tag, value});
}

// The worker has room again: the waiting requests go from the head until it
// has none.
void on_download_pending(Run* run) {
  while (!run->waiting.empty()) {
    const WaitingRequest& head = run->waiting.front();
    if (run->downloader->request(head.remote.c_str(), head.local.c_str(), head.tag, head.value) ==
        Downloader::kNoRoom)
      return;
    run->waiting.pop_front();
  }
}

bool request_part_data(Run* run, int32_t part, bool preview) {
  if (part < store::kFirstPartNumber || part > store::kLastPartNumber) return false;
  const char* dir = run->program_directory.c_str();
  std::string local = store::work_file_path(
      dir, preview ? store::WorkFile::View : store::WorkFile::Downloaded, part);
  if (plat::file_exists(local.c_str())) return false;
  // The server keeps a part where the store does: the part file's path
  // from HDPARTS\ on, under /k-val/.
  std::string store_path = store::part_file_path(dir, store::PartFileVariant::Current, part);
  std::string remote = "/k-val/" + store_path.substr(run->program_directory.size());
  send_request(run, remote, local, preview ? DL_TAG_VIEW : DL_TAG_PART, part);
  if (!preview) store::merge_part_record(&run->index, part);
  return true;
}

std::string request_part_file(Run* run, bool request, bool preview, int32_t part) {
  const char* dir = run->program_directory.c_str();
  std::string path = store::part_file_path(dir, store::PartFileVariant::Current, part);
  if (request) request_part_data(run, part, preview);
  if (!plat::file_exists(path.c_str()))
    path = store::part_file_path(dir, store::PartFileVariant::Current, kStandInPart);
  return path;
}

void request_list_previews(Run* run, const char* list_file) {
  std::vector<int32_t> parts;
  catalogue::read_list_part_numbers(list_file, &parts);
  for (int32_t part : parts) request_part_data(run, part, true);
}

}  // namespace flow
