// Every download a run asks for goes through send_request: a request the
// worker has no room for waits here, in order, and is offered again as
// the worker reports, so that no request is lost to a full queue.
#include <cstring>

#include "catalogue/list_file.h"
#include "download/download.h"
#include "flow/install.h"
#include "flow/run.h"
#include "platform/files.h"
#include "store/part_files.h"

namespace flow {
namespace {

// A request the worker dropped for the same remote path: a registration
// must still end up installed. When a preview download of the part is
// queued, its file is installed as it arrives; when one arrived in this
// run, it is installed now. A dropped registration that met a registration
// download leaves nothing to do.
void note_dropped(Run* run, const WaitingRequest& request, Downloader::Handed handed) {
  if (request.tag != DL_TAG_PART) return;
  if (handed == Downloader::kAlreadyQueued) run->registration_via_view.insert(request.value);
  if (handed == Downloader::kRecentlyDone && run->view_arrived.count(request.value))
    install_from_view(run, request.value);
}

// Hands one request to the worker; false when the worker has no room.
bool hand(Run* run, const WaitingRequest& request, bool* reported) {
  Downloader::Handed handed = run->downloader->request(
      request.remote.c_str(), request.local.c_str(), request.tag, request.value);
  if (handed == Downloader::kNoRoom) return false;
  *reported = handed == Downloader::kQueued;
  // A waiting registration that ends without a report of its own.
  if (!*reported && request.tag == DL_TAG_PART) run->registrations_on_the_way.erase(request.value);
  if (handed == Downloader::kAlreadyQueued || handed == Downloader::kRecentlyDone)
    note_dropped(run, request, handed);
  return true;
}

}  // namespace

bool send_request(Run* run, const std::string& remote, const std::string& local, int32_t tag,
                  int32_t value) {
  WaitingRequest request{remote, local, tag, value};
  bool reported = true;
  if (run->waiting.empty() && hand(run, request, &reported)) return reported;
  run->waiting.push_back(std::move(request));
  return true;
}

// The worker has room again: the waiting requests go from the head until it
// has none.
void on_download_pending(Run* run) {
  while (!run->waiting.empty()) {
    WaitingRequest head = run->waiting.front();
    bool reported;
    if (!hand(run, head, &reported)) return;
    run->waiting.pop_front();
  }
}

bool request_part_data(Run* run, int32_t part, bool preview) {
  if (part < store::kFirstPartNumber || part > store::kLastPartNumber) return false;
  const char* dir = run->program_directory.c_str();
  std::string local = store::work_file_path(
      dir, preview ? store::WorkFile::View : store::WorkFile::Downloaded, part);
  // A registration already on its way is not asked for twice; its file in
  // HDTMP\ lives only until its report, so one left there by an earlier
  // run blocks nothing. A preview copy stays for the run's previews.
  if (!preview && run->registrations_undone.erase(part)) {
    // Asked for again while a report from before 初期化 is still to come:
    // that report now serves this request.
    run->requested[0].insert(part);
    store::merge_part_record(&run->index, part);
    return true;
  }
  if (preview ? plat::file_exists(local.c_str()) : run->registrations_on_the_way.count(part) != 0)
    return false;
  // The server keeps a part where the store does: the part file's path
  // from HDPARTS\ on, under /k-val/.
  std::string store_path = store::part_file_path(dir, store::PartFileVariant::Current, part);
  std::string remote = "/k-val/" + store_path.substr(run->program_directory.size());
  run->requested[preview].insert(part);
  bool reported = send_request(run, remote, local, preview ? DL_TAG_VIEW : DL_TAG_PART, part);
  if (!preview && reported) run->registrations_on_the_way.insert(part);
  if (!preview) store::merge_part_record(&run->index, part);
  return true;
}

void request_list_previews(Run* run, const char* list_file) {
  std::vector<int32_t> parts;
  catalogue::read_list_part_numbers(list_file, &parts);
  for (int32_t part : parts) request_part_data(run, part, true);
}

}  // namespace flow
