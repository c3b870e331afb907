#include "flow/figure_area.h"

#include "platform/byte_fields.h"
#include "platform/files.h"
#include "store/classification.h"

namespace flow {

bool read_figure_area(const Run& run, FigureArea* area) {
  plat::File* file = nullptr;
  if (store::open_classification_file(run.program_directory.c_str(), run.destination_code,
                                      store::OpenMode::Read, &file) != 1)
    return false;
  int64_t length = plat::file_length(file);
  area->file.assign(
      length > store::kClassFileSize ? static_cast<size_t>(length) : store::kClassFileSize, 0);
  bool read = length >= 0 &&
              plat::read_at(file, 0, area->file.data(), static_cast<size_t>(length)) == length;
  plat::close_file(file);
  return read;
}

bool write_figure_area(const Run& run, const FigureArea& area) {
  std::string path =
      store::classification_file_path(run.program_directory.c_str(), run.destination_code);
  return plat::replace_whole_file(path.c_str(), area.file.data(), area.file.size());
}

uint8_t* figure_entry(FigureArea* area, int m, int c, int f) {
  return &area->file[store::figure_entry_offset(m, c, f)];
}

uint16_t figure_part(const FigureArea& area, int m, int c, int f) {
  return plat::get_u16(&area.file[store::figure_entry_offset(m, c, f) + 2]);
}

}  // namespace flow
