#include "archive/create_command.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "archive/crc16.h"
#include "archive/lzh_encoder.h"
#include "archive/names.h"
#include "platform/file_time.h"
#include "platform/files.h"

namespace {

const char kUsage[] = "usage: lzhtool a [-lh5|-lh6|-lh7] <archive> <files...>\n";

uint32_t unix_time_of(const char* path) {
  uint64_t filetime = 0;
  return plat::file_write_time(path, &filetime) ? plat::unix_from_filetime(filetime) : 0;
}

struct ArchiveWriter {
  plat::File* file;
  uint64_t offset;
};

bool write_out(void* context, const uint8_t* data, size_t size) {
  ArchiveWriter* out = static_cast<ArchiveWriter*>(context);
  if (plat::write_at(out->file, out->offset, data, size) != static_cast<int64_t>(size))
    return false;
  out->offset += size;
  return true;
}

// Writes one member at *offset: header placeholder, data, final header.
// The compressed stream is never allowed to grow past the original size,
// so a stored copy written over it covers every byte it left behind.
bool add_member(plat::File* file, uint64_t* offset, const char* path, lzh::Method method) {
  std::string contents;
  if (!plat::read_file(path, &contents)) {
    std::fprintf(stderr, "lzhtool: cannot read %s\n", path);
    return false;
  }
  if (contents.size() >= 0xFFFFFFFFu) {
    std::fprintf(stderr, "lzhtool: %s is too large for an LZH member\n", path);
    return false;
  }
  const uint8_t* data = reinterpret_cast<const uint8_t*>(contents.data());
  lzh::MemberHeader header;
  header.name = lzh::last_path_element(path);
  header.method = method;
  header.original_size = static_cast<uint32_t>(contents.size());
  header.unix_time = unix_time_of(path);
  header.data_crc = lzh::crc16_update(0, data, contents.size());
  std::string bytes = lzh::level2_header(header);
  if (bytes.empty()) {
    std::fprintf(stderr, "lzhtool: %s has no name that fits a header\n", path);
    return false;
  }
  if (plat::write_at(file, *offset, bytes.data(), bytes.size()) !=
      static_cast<int64_t>(bytes.size())) {
    std::fprintf(stderr, "lzhtool: cannot write the archive\n");
    return false;
  }

  const uint64_t data_offset = *offset + bytes.size();
  ArchiveWriter out = {file, data_offset};
  uint64_t packed = 0;
  int done = 0;
  if (!contents.empty())
    done = lzh::compress(method, data, contents.size(), contents.size() - 1,
                         lzh::Output{write_out, &out}, &packed);
  if (done < 0) {
    std::fprintf(stderr, "lzhtool: cannot write the archive\n");
    return false;
  }
  if (done == 0) {
    header.method = lzh::Method::Stored;
    packed = contents.size();
    out.offset = data_offset;
    if (!contents.empty() && !write_out(&out, data, contents.size())) {
      std::fprintf(stderr, "lzhtool: cannot write the archive\n");
      return false;
    }
  }
  header.packed_size = static_cast<uint32_t>(packed);
  bytes = lzh::level2_header(header);
  if (plat::write_at(file, *offset, bytes.data(), bytes.size()) !=
      static_cast<int64_t>(bytes.size())) {
    std::fprintf(stderr, "lzhtool: cannot write the archive\n");
    return false;
  }
  *offset = data_offset + packed;
  return true;
}

bool parse_method(const char* option, lzh::Method* method) {
  if (std::strcmp(option, "-lh5") == 0 || std::strcmp(option, "-lh5-") == 0)
    *method = lzh::Method::Lh5;
  else if (std::strcmp(option, "-lh6") == 0 || std::strcmp(option, "-lh6-") == 0)
    *method = lzh::Method::Lh6;
  else if (std::strcmp(option, "-lh7") == 0 || std::strcmp(option, "-lh7-") == 0)
    *method = lzh::Method::Lh7;
  else
    return false;
  return true;
}

}  // namespace

int run_create_command(int argc, char** argv) {
  lzh::Method method = lzh::Method::Lh5;
  int arg = 1;
  for (; arg < argc && argv[arg][0] == '-'; ++arg) {
    if (!parse_method(argv[arg], &method)) {
      std::fprintf(stderr, "lzhtool: unknown option %s\n%s", argv[arg], kUsage);
      return 2;
    }
  }
  if (argc - arg < 2) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  const std::string archive = argv[arg++];
  // Built beside the target and put in its place only when complete, so a
  // failure never leaves a cut archive under the real name.
  plat::NewFile out;
  if (!plat::begin_new_file(&out, archive.c_str())) {
    std::fprintf(stderr, "lzhtool: cannot create %s.new\n", archive.c_str());
    return 1;
  }
  plat::File* file = out.file;
  uint64_t offset = 0;
  bool good = true;
  for (; arg < argc && good; ++arg) good = add_member(file, &offset, argv[arg], method);
  const uint8_t end_mark = 0;
  if (good && plat::write_at(file, offset, &end_mark, 1) != 1) {
    std::fprintf(stderr, "lzhtool: cannot write the archive\n");
    good = false;
  }
  if (!good) {
    plat::drop_new_file(&out);
    return 1;
  }
  if (!plat::finish_new_file(&out, true)) {
    std::fprintf(stderr, "lzhtool: cannot put %s in place\n", archive.c_str());
    return 1;
  }
  return 0;
}
