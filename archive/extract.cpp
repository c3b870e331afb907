#include "archive/extract.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <set>

#include "archive/crc16.h"
#include "archive/decode.h"
#include "archive/header.h"
#include "archive/macbinary.h"
#include "archive/names.h"
#include "archive/unlha32.h"
#include "platform/files.h"
#include "platform/shift_jis.h"

namespace lzh {
namespace {

int64_t read_archive(void* context, uint64_t offset, void* buffer, size_t count) {
  return plat::read_at(static_cast<plat::File*>(context), offset, buffer, count);
}

// The packed data of one member, read in order and never past its end.
struct PackedData {
  plat::File* file;
  uint64_t offset, left;
};

size_t read_packed(void* context, uint8_t* buffer, size_t count) {
  auto* data = static_cast<PackedData*>(context);
  if (count > data->left) count = static_cast<size_t>(data->left);
  if (count == 0) return 0;
  int64_t got = plat::read_at(data->file, data->offset, buffer, count);
  if (got <= 0) return 0;
  data->offset += static_cast<uint64_t>(got);
  data->left -= static_cast<uint64_t>(got);
  return static_cast<size_t>(got);
}

// The new file a member is decoded into. Size and CRC run over every
// decoded byte; the file receives those in [keep_from, keep_to). A member
// that may hold a MacBinary image holds back its first 128 bytes until
// they show whether only one fork goes to the file.
struct Unpacked {
  plat::File* file;
  uint64_t size = 0, written = 0;
  uint16_t crc = 0;
  uint64_t keep_from = 0, keep_to = UINT64_MAX;
  const Header* macbinary = nullptr;  // the member while its first bytes are held
  const std::string* name = nullptr;
  uint8_t head[kMacBinaryHeader];
};

// Writes the decoded bytes that start at decoded offset `at` and fall in
// the kept range.
bool keep(Unpacked* out, uint64_t at, const uint8_t* data, size_t count) {
  uint64_t from = at > out->keep_from ? at : out->keep_from;
  uint64_t to = at + count < out->keep_to ? at + count : out->keep_to;
  if (from >= to) return true;
  size_t n = static_cast<size_t>(to - from);
  if (plat::write_at(out->file, out->written, data + (from - at), n) != static_cast<int64_t>(n))
    return false;
  out->written += n;
  return true;
}

bool write_unpacked(void* context, const uint8_t* data, size_t count) {
  auto* out = static_cast<Unpacked*>(context);
  uint64_t at = out->size;
  out->size += count;
  out->crc = crc16_update(out->crc, data, count);
  if (out->macbinary) {
    size_t held = at < kMacBinaryHeader ? static_cast<size_t>(kMacBinaryHeader - at) : 0;
    if (held > count) held = count;
    std::memcpy(out->head + at, data, held);
    if (out->size < kMacBinaryHeader) return true;
    uint64_t fork = 0;
    if (macbinary_fork(out->head, *out->macbinary, *out->name, &fork)) {
      out->keep_from = kMacBinaryHeader;
      out->keep_to = kMacBinaryHeader + fork;
    }
    out->macbinary = nullptr;
    if (!keep(out, 0, out->head, kMacBinaryHeader)) return false;
    data += held;
    count -= held;
    at += held;
  }
  return keep(out, at, data, count);
}

// A name as Windows compares names: single-byte letters in upper case, the
// bytes of double-byte characters as they are (their second byte may be a
// letter).
std::string folded(const std::string& name) {
  std::string key = name;
  for (size_t i = 0; i < key.size(); i += plat::char_width(key.data(), i, key.size()))
    if (key[i] >= 'a' && key[i] <= 'z') key[i] = static_cast<char>(key[i] - 'a' + 'A');
  return key;
}

// A fresh file in the folder that is not the member's own name.
plat::File* create_work_file(const std::string& folder, const std::string& name,
                             std::string* path) {
  for (unsigned n = 0; n < 1000; ++n) {
    char work[32];
    std::snprintf(work, sizeof work, "~unlha%u.tmp", n);
    if (folded(work) == folded(name)) continue;
    *path = folder + work;
    plat::File* file = plat::open_file(path->c_str(), plat::kRead | plat::kWrite, plat::kShareNone,
                                       plat::Disposition::CreateNew);
    if (file) return file;
  }
  return nullptr;
}

// Names in the report: control characters (a terminal escape in a hostile
// name) are shown as '?'.
std::string printable(const std::string& name) {
  std::string shown = name;
  for (char& c : shown)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
  return shown;
}

void report_line(std::string* report, const std::string& name, const char* what) {
  *report += printable(name);
  *report += ": ";
  *report += what;
  *report += "\r\n";
}

// The stored path, directory and name, with '\\' separators.
std::string stored_path(const Header& header) {
  std::string dir = header.directory;
  for (char& c : dir)
    if (static_cast<unsigned char>(c) == 0xFF) c = '\\';
  if (!dir.empty() && dir.back() != '\\') dir += '\\';
  return dir + header.name;
}

std::string method_text(const Header& header) {
  std::string id(reinterpret_cast<const char*>(header.method_id), 5);
  return printable(id);
}

// Extracts one member; kUnlhaDone or the member's refusal code.
int extract_member(plat::File* archive, const Header& header, const std::string& folder,
                   const std::string& name, const char* done, std::string* report) {
  if (header.method == Method::Unknown) {
    report_line(report, name,
                ("refused, method " + method_text(header) + " not supported").c_str());
    return kUnlhaUnknownMethod;
  }
  if (header.original_size > 0xFFFFFFFFull) {
    report_line(report, name, "refused, 4 GiB or larger");
    return kUnlhaTooLarge;
  }
  std::string work;
  plat::File* file = create_work_file(folder, name, &work);
  if (!file) {
    report_line(report, name, "refused, cannot create a file in the folder");
    return kUnlhaWriteFailed;
  }
  PackedData packed = {archive, header.data_offset, header.packed_size};
  Unpacked unpacked;
  unpacked.file = file;
  if (header.os == 'm' && header.original_size >= kMacBinaryHeader) {
    unpacked.macbinary = &header;
    unpacked.name = &name;
  }
  int decoded = decode(header.method, Input{read_packed, &packed}, header.original_size,
                       Output{write_unpacked, &unpacked});
  bool flushed = decoded == kDecoded && plat::flush_file(file);
  plat::close_file(file);

  int result = kUnlhaDone;
  if (decoded == kCorrupt) {
    report_line(report, name, "refused, data truncated or corrupt");
    result = kUnlhaCorrupt;
  } else if (decoded != kDecoded || !flushed) {
    report_line(report, name, "refused, cannot write its file");
    result = kUnlhaWriteFailed;
  } else if (unpacked.size != header.original_size ||
             (header.has_crc && unpacked.crc != header.crc)) {
    report_line(report, name, "refused, CRC mismatch");
    result = kUnlhaCrcMismatch;
  } else {
    // A time that cannot be set is no reason to refuse the member.
    if (uint64_t time = write_filetime(header)) plat::set_file_write_time(work.c_str(), time);
    if (plat::replace_file(work.c_str(), (folder + name).c_str())) {
      report_line(report, name, done);
      return kUnlhaDone;
    }
    report_line(report, name, "refused, cannot put its file in place");
    result = kUnlhaWriteFailed;
  }
  plat::delete_file(work.c_str());
  return result;
}

struct OpenArchive {
  plat::File* file = nullptr;
  Source source{};
  ~OpenArchive() {
    if (file) plat::close_file(file);
  }
  bool open(const char* path) {
    file = plat::open_file(path, plat::kRead, plat::kShareRead, plat::Disposition::OpenExisting);
    if (!file) return false;
    int64_t length = plat::file_length(file);
    if (length < 0) return false;
    source = Source{read_archive, file, static_cast<uint64_t>(length)};
    return true;
  }
};

// Calls visit(header) for each member; returns the archive's structural code.
template <typename Visit>
int walk(const Source& source, Visit visit) {
  Header header;
  uint64_t offset = 0;
  for (int members = 0;; ++members) {
    int read = read_header(source, offset, &header);
    if (read == kEnd) return kUnlhaDone;
    if (read != kHeader) return members == 0 ? kUnlhaNotArchive : kUnlhaBrokenArchive;
    visit(header);
    offset = header.next_offset;
  }
}

}  // namespace

int extract_archive(const char* archive_path, const char* folder_path, std::string* report) {
  std::string folder = folder_path;
  if (folder.empty()) folder = ".";
  // A last backslash may be the second byte of a character (表\ ends "\x95\x5C").
  if (plat::last_char_of(folder.data(), folder.size(), "\\/") + 1 != folder.size()) folder += '\\';

  OpenArchive archive;
  if (!archive.open(archive_path)) {
    *report += "cannot open the archive\r\n";
    return kUnlhaCannotOpen;
  }
  int first_refusal = kUnlhaDone;
  unsigned extracted = 0, refused = 0;
  std::set<std::string> extracted_names;
  int structure = walk(archive.source, [&](const Header& header) {
    std::string name = last_path_element(header.name);
    if (is_directory_or_link(header)) {
      report_line(report, name.empty() ? stored_path(header) : name, "not a file, skipped");
      return;
    }
    int result;
    if (const char* reason = unsafe_name_reason(name)) {
      report_line(report, header.name, (std::string("refused, ") + reason).c_str());
      result = kUnlhaUnsafeName;
    } else {
      // Members whose names reduce to the same file name are written in
      // archive order: the last one extracted is the file that stays.
      bool again = extracted_names.count(folded(name)) != 0;
      result = extract_member(archive.file, header, folder, name,
                              again ? "extracted, replacing an earlier member's file" : "extracted",
                              report);
      if (result == kUnlhaDone) extracted_names.insert(folded(name));
    }
    if (result == kUnlhaDone) {
      ++extracted;
    } else {
      ++refused;
      if (first_refusal == kUnlhaDone) first_refusal = result;
    }
  });
  if (structure == kUnlhaNotArchive) *report += "not an LZH archive\r\n";
  if (structure == kUnlhaBrokenArchive) *report += "archive ends with a broken header\r\n";
  char counts[64];
  std::snprintf(counts, sizeof counts, "%u extracted, %u refused\r\n", extracted, refused);
  *report += counts;
  return first_refusal != kUnlhaDone ? first_refusal : structure;
}

int list_archive(const char* archive_path, std::string* listing) {
  OpenArchive archive;
  if (!archive.open(archive_path)) return kUnlhaCannotOpen;
  return walk(archive.source, [&](const Header& header) {
    char line[128];
    std::snprintf(line, sizeof line, "%s %d %10llu %10llu %04X ", method_text(header).c_str(),
                  header.level, static_cast<unsigned long long>(header.packed_size),
                  static_cast<unsigned long long>(header.original_size), header.crc);
    *listing += line;
    *listing += printable(stored_path(header));
    *listing += "\n";
  });
}

}  // namespace lzh
