#include "download/received_file.h"

#include <string>

#include "platform/shift_jis.h"

namespace download {

const char kWorkFolderName[] = "~partsdl\\";

bool begin_file(ReceivedFile* received, const char* target) {
  received->length = 0;
  // The work file goes into a small folder beside the target's: the work
  // folder holds thousands of list and preview files, and under Wine every
  // new name made there costs a look through all of them.
  std::string folder = target;
  size_t separator = plat::last_char_of(folder.data(), folder.size(), "\\/");
  folder = separator == folder.size() ? std::string() : folder.substr(0, separator + 1);
  received->failed =
      !plat::begin_new_file_in(&received->out, target, (folder + kWorkFolderName).c_str());
  return !received->failed;
}

bool append_file(ReceivedFile* received, const void* data, size_t size) {
  if (received->failed) return false;
  const char* bytes = static_cast<const char*>(data);
  while (size > 0) {
    int64_t put = plat::write_at(received->out.file, received->length, bytes, size);
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
  if (received->failed || !received->out.file) {
    drop_file(received);
    return false;
  }
  // The time is a courtesy to the reader; a file without it is still whole.
  if (filetime) plat::set_write_time(received->out.file, *filetime);
  // No flush to the disk: downloads land in the work folder and can be
  // fetched again, and a flush per file costs more than the transfer of a
  // small one. The rename alone keeps a cut file from taking the target's
  // place.
  return plat::finish_new_file(&received->out, false);
}

void drop_file(ReceivedFile* received) { plat::drop_new_file(&received->out); }

}  // namespace download
