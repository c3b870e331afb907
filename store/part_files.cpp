#include "store/part_files.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/files.h"
#include "suite/data_path.h"
#include "platform/byte_fields.h"

namespace store {

namespace {

struct HeaderKind {
  const char* text;
  int kind;
};

// First match wins, so the order matters.
const HeaderKind kHeaderKinds[] = {
    {"PVN-FMZ-V", 20},       {"PVN-WCAD-V", 2},         {"PVN-MHZ-V", 3},
    {"PVN-WSIT-V", 4},       {"PVN-KOZO-V", 6},         {"PVN-FORM-V", 10},
    {"PVN-FMRD-V", 11},      {"PVN-KSIN-V", 12},        {"V3-1", kKindPartData},
    {"V4-1", kKindPartData}, {"GZK-V1", kKindPartData}, {"PT-V01", kKindPartData},
};

const char kJwCadHeader[] = "jw_cad(c)data";
constexpr size_t kJwCadFlagOffset = 22;

struct ExtensionKind {
  const char* ending;
  int kind;
};

const ExtensionKind kExtensionKinds[] = {
    {".htm", 23}, {".html", 23}, {".csv", 22}, {".hud", 21}, {".bmp", 1}, {".jpg", 7}, {".jpeg", 7},
    {".dxf", 9},  {".bat", 0},   {".txt", 0},  {".doc", 0},  {".ini", 0}, {".log", 0},
};

bool begins_with(const uint8_t* bytes, size_t size, const char* text) {
  size_t length = std::strlen(text);
  return size >= length && std::memcmp(bytes, text, length) == 0;
}

// ASCII case only: the endings are ASCII, and neither '.' nor a letter can be
// the lead byte of a Shift-JIS character, so a byte comparison cannot match
// half of one.
bool ends_with_nocase(const char* path, const char* ending) {
  size_t path_length = std::strlen(path), length = std::strlen(ending);
  if (path_length < length) return false;
  const char* tail = path + path_length - length;
  for (size_t n = 0; n < length; ++n) {
    char c = tail[n];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != ending[n]) return false;
  }
  return true;
}

}  // namespace

int store_directory_number(int32_t part) { return (part - kFirstPartNumber) / 2000; }

std::string part_file_path(const char* program_directory, PartFileVariant variant, int32_t part) {
  const char* pattern = variant == PartFileVariant::Saved ? "HDPARTS\\PARTS%03d\\RE%07d.BHN"
                                                          : "HDPARTS\\PARTS%03d\\P%07d.BHN";
  char name[64];
  std::snprintf(name, sizeof name, pattern, store_directory_number(part), part);
  return std::string(program_directory) + name;
}

void create_part_folder(const char* program_directory, int32_t part) {
  std::string path = part_file_path(program_directory, PartFileVariant::Current, part);
  size_t parts_folder = path.rfind('\\');
  size_t store_folder = path.rfind('\\', parts_folder - 1);
  plat::create_directory(path.substr(0, store_folder).c_str());
  plat::create_directory(path.substr(0, parts_folder).c_str());
}

std::string work_file_path(const char* program_directory, WorkFile file, int32_t part) {
  const char* pattern = file == WorkFile::Downloaded ? "HDTMP\\BH%07d.DAT"
                        : file == WorkFile::View     ? "HDTMP\\VIEW%07d.DAT"
                                                     : "HDTMP\\DELBH%07d.DAT";
  char name[64];
  std::snprintf(name, sizeof name, pattern, part);
  return std::string(program_directory) + name;
}

namespace {

// "<prefix>" and seven digits, then ".DAT" in any case.
bool is_work_file_name(const std::string& name, size_t prefix) {
  if (name.size() != prefix + 11) return false;
  for (size_t n = prefix; n < prefix + 7; ++n)
    if (name[n] < '0' || name[n] > '9') return false;
  return ends_with_nocase(name.c_str(), ".dat");
}

}  // namespace

void delete_work_files(const char* program_directory) {
  const std::string folder = std::string(program_directory) + suite::kWorkFolder;
  for (const char* prefix : {"BH", "VIEW", "DELBH"}) {
    std::vector<std::string> names;
    plat::list_files((folder + prefix + "*.DAT").c_str(), &names);
    for (const std::string& name : names)
      if (is_work_file_name(name, std::strlen(prefix))) plat::delete_file((folder + name).c_str());
  }
}

int part_file_exists(const char* path) { return plat::file_exists(path) ? 1 : -1; }

int part_file_size(const char* path, int64_t* size) {
  int64_t measured = plat::file_size(path);
  if (measured < 0) return -1;
  *size = measured;
  return 1;
}

int file_kind_of(const uint8_t* head, size_t head_size, const char* path) {
  if (head_size > kKindHeadBytes) head_size = kKindHeadBytes;
  for (const HeaderKind& entry : kHeaderKinds)
    if (begins_with(head, head_size, entry.text)) return entry.kind;
  if (begins_with(head, head_size, kJwCadHeader))
    return head_size > kJwCadFlagOffset && head[kJwCadFlagOffset] == 'f' ? 18 : 8;
  for (const ExtensionKind& entry : kExtensionKinds)
    if (ends_with_nocase(path, entry.ending)) return entry.kind;
  return kKindUnknown;
}

int detect_file_kind(const char* path) {
  plat::File* file =
      plat::open_file(path, plat::kRead, plat::kShareNone, plat::Disposition::OpenExisting);
  if (!file) return kKindUnknown;
  uint8_t head[kKindHeadBytes];
  int64_t got = plat::read_at(file, 0, head, sizeof head);
  plat::close_file(file);
  return file_kind_of(head, got > 0 ? static_cast<size_t>(got) : 0, path);
}

int part_data_version_of(const uint8_t* head, size_t head_size) {
  if (begins_with(head, head_size, "PT-V01")) return 6;
  if (begins_with(head, head_size, "GZK-V1")) return 5;
  if (begins_with(head, head_size, "V4-1")) return 4;
  if (begins_with(head, head_size, "V3-1")) return 3;
  if (head_size >= 14 && plat::get_u16(head + 12) == 830) return 2;
  return 1;
}

int part_data_version(const char* path) {
  plat::File* file =
      plat::open_file(path, plat::kRead, plat::kShareRead, plat::Disposition::OpenExisting);
  if (!file) return -1;
  uint8_t head[20];
  int64_t got = plat::read_at(file, 0, head, sizeof head);
  plat::close_file(file);
  return part_data_version_of(head, got > 0 ? static_cast<size_t>(got) : 0);
}

}  // namespace store
