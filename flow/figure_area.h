// The figure area of the current destination's classification file, as an
// add or a delete run holds it: read once at the start, changed in memory,
// written back whole at the end.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "flow/run.h"

namespace flow {

struct FigureArea {
  std::vector<uint8_t> file;  // the whole classification file
};

// Opens the destination's file as the category lists do (creating or
// converting it), and takes its bytes. False when it cannot be read.
bool read_figure_area(const Run& run, FigureArea* area);
// Written beside the file and put in its place, so the file is either the
// old or the new one.
bool write_figure_area(const Run& run, const FigureArea& area);

// The 32-byte figure entry (major item m, classification item c, slot f).
uint8_t* figure_entry(FigureArea* area, int m, int c, int f);
// Its part number field.
uint16_t figure_part(const FigureArea& area, int m, int c, int f);

}  // namespace flow
