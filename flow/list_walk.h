// The list walk's steps that the run calls; the rest is in run.h.
#pragma once

#include <cstdint>

#include "flow/run.h"

namespace flow {

// Queues one list-file request per day from today back to LASTDATE,
// newest first, after putting right a LASTDATE the walk could not reach.
void start_list_walk(Run* run);
// A list report: progress text, DATSUU and TMPDATE for an arrival, and the
// end of the walk on LASTDATE's day or when the server cannot be reached.
void on_list_report(Run* run, bool done, int32_t value, bool unreachable);
// The command-line list file, when it ends in a list file name: copied
// into HDTMP\, recorded as the one list file, then the list selection.
// False, with nothing done, for any other name.
bool adopt_command_line_list(Run* run);
// The list files named by DATSUU and TMPDATE in HDTMP\.
void delete_walk_list_files(Run* run);

}  // namespace flow
