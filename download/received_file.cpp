#include "download/received_file.h"

#include "platform/files.h"

namespace download {

bool begin_file(ReceivedFile* received, const char* target) {
  drop_file(received);
  received->target = target;
  received->fresh = received->target + ".new";
  received->length = 0;
  received->file = plat::open_file(received->fresh.c_str(), plat::kWrite, plat::kShareNone,
                                   plat::Disposition::CreateAlways);
  received->failed = received->file == nullptr;
  return !received->failed;
}

bool append_file(ReceivedFile* received, const void* data, size_t size) {
  if (received->failed) return false;
  const char* bytes = static_cast<const char*>(data);
  while (size > 0) {
    int64_t put = plat::write_at(received->file, received->length, bytes, size);
    if (put <= 0) {
      received->failed = true;
      return false;
    }
    received->length += (uint64_t)put;
    bytes += put;
    size -= (size_t)put;
  }
  return true;
}

bool finish_file(ReceivedFile* received, const uint64_t* filetime) {
  if (received->failed || !received->file) {
    drop_file(received);
    return false;
  }
  // No flush to the disk: downloads land in the work folder and can be
  // fetched again, and a flush per file costs more than the transfer of a
  // small one. The rename alone keeps a cut file from taking the target's
  // place.
  // The time is a courtesy to the reader; a file without it is still whole.
  if (filetime) plat::set_write_time(received->file, *filetime);
  plat::close_file(received->file);
  received->file = nullptr;
  bool placed = plat::replace_file(received->fresh.c_str(), received->target.c_str());
  if (!placed) plat::delete_file(received->fresh.c_str());
  received->fresh.clear();  // nothing is left beside the target to drop
  return placed;
}

void drop_file(ReceivedFile* received) {
  if (received->file) plat::close_file(received->file);
  received->file = nullptr;
  if (!received->fresh.empty()) plat::delete_file(received->fresh.c_str());
  received->fresh.clear();
}

}  // namespace download
