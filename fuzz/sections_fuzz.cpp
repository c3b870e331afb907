// Section tables of hostile part data files. The first byte picks the
// stream length (a few small values, 0, or negative) and whether the header
// lets the sections be read; the rest follows the header.
#include <cstdint>
#include <cstring>
#include <string>

#include "fuzz/file_fuzz.h"
#include "platform/byte_fields.h"
#include "store/part_data.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (!data || size == 0) return 0;
  uint8_t mode = data[0];
  std::string rest(reinterpret_cast<const char*>(data) + 1, size - 1);
  static const int32_t kLengths[] = {0, 1, 5, 49, -1, -2168, 0x7FFFFFFF, 64};
  int32_t length = kLengths[mode & 7];
  int32_t gate = (mode & 0x40) ? 19 : 20;
  uint16_t header_size = (mode & 0x80) ? 2161 : 2160;
  std::string file = fuzzing::part_head(length, gate, header_size) + rest;
  const std::string path = fuzzing::scratch_file("S.BHN", file);

  store::PartSections sections;
  int result = store::read_part_sections(path.c_str(), &sections);
  fuzzing::expect(result == 0 || result == 1);
  fuzzing::expect(result == 1 || (!sections.present && sections.part_references.empty()));
  if (mode & 0xC0) fuzzing::expect(result == 0);
  if (result == 1) {
    int64_t end = sections.start[7] + sections.size[7];
    fuzzing::expect(sections.start[0] >= 2200 && end <= static_cast<int64_t>(file.size()));
    fuzzing::expect(static_cast<int64_t>(sections.part_references.size()) == sections.size[7]);
    fuzzing::expect(sections.part_references.empty() ||
                    std::memcmp(sections.part_references.data(), file.data() + sections.start[7],
                                sections.part_references.size()) == 0);
    // Every record's number lies inside the section (ASan) and none beyond it.
    for (int64_t r = 0; r < sections.count[7]; ++r) store::referenced_part_number(sections, r);
    fuzzing::expect(store::referenced_part_number(sections, sections.count[7]) == 0);
  }

  // The table alone, in an exactly sized copy.
  if (rest.size() >= store::kSectionTableSize) {
    std::string table = rest.substr(0, store::kSectionTableSize);
    store::PartSections laid;
    if (store::lay_out_sections(reinterpret_cast<const uint8_t*>(table.data()), 0,
                                static_cast<int64_t>(rest.size() - table.size()), &laid))
      fuzzing::expect(laid.start[7] + laid.size[7] <= static_cast<int64_t>(rest.size()));
  }
  return 0;
}
