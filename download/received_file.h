// A downloaded file is written as it arrives into a work folder beside its
// target's ("~partsdl\<name>.new") and put in place only when complete, so
// a broken transfer or a full disk leaves the previous file (or none) where
// the callers look.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/files.h"

namespace download {

extern const char kWorkFolderName[];  // "~partsdl\", beside the target

struct ReceivedFile {
  plat::NewFile out;
  uint64_t length = 0;
  bool failed = false;
};

// Creates the fresh file, truncating one left by an earlier run.
bool begin_file(ReceivedFile* received, const char* target);
bool append_file(ReceivedFile* received, const void* data, size_t size);
// Flushes, gives the file its time when `filetime` is set, and puts it in
// place of the target. On failure the fresh file is deleted and the target
// left as it was.
bool finish_file(ReceivedFile* received, const uint64_t* filetime);
// Abandons the transfer: the fresh file goes, the target stays.
void drop_file(ReceivedFile* received);

}  // namespace download
