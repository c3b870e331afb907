// File kinds over any contents and name endings. The first byte picks the
// name, the rest is the file.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz/file_fuzz.h"
#include "store/part_files.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const char* kNames[] = {"K.DAT", "K.htm",   "K.HTML", "K.csv", "K.hud", "K.bmp",
                                 "K.jpg", "K.JPEG",  "K.dxf",  "K.txt", "K.log", "html",
                                 "K.",    "K.phtml", "K.ini",  "K.doc"};
  if (!data || size == 0) return 0;
  const std::string contents(reinterpret_cast<const char*>(data) + 1, size - 1);
  const std::string path = fuzzing::scratch_file(kNames[data[0] % 16], contents);

  int kind = store::detect_file_kind(path.c_str());
  std::vector<uint8_t> head(contents.begin(), contents.end());  // exactly sized
  fuzzing::expect(kind == store::file_kind_of(head.data(), head.size(), path.c_str()));
  static const int kKnown[] = {-1, 0, 1, 2, 3, 4, 6, 7, 8, 9, 10, 11, 12, 13, 18, 20, 21, 22, 23};
  bool known = false;
  for (int k : kKnown) known = known || k == kind;
  fuzzing::expect(known);
  int version = store::part_data_version(path.c_str());
  fuzzing::expect(version >= 1 && version <= 6);
  if (version >= 3) fuzzing::expect(kind == store::kKindPartData);
  return 0;
}
