// Texts that more than one step of a run shows.
#pragma once

namespace flow {

extern const char kStatusChooseDestination[];  // the guidance while the user works
// An add or delete whose classification file could not be written.
extern const char kStatusFigureFileNotWritten[];

}  // namespace flow
