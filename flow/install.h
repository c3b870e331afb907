// The reports of part and archive downloads; the rest is in run.h.
#pragma once

#include <cstdint>

#include "flow/run.h"

namespace flow {

// A part's data arrived or failed, for registration (DL_TAG_PART) or for
// preview (DL_TAG_VIEW): installed, and the parts it refers to asked for
// with the same purpose, each at most once per purpose in a run.
void on_part_report(Run* run, bool done, bool preview, int32_t part);
// A registration answered by a preview download of the same part: the
// preview's file is installed as the registration's.
void install_from_view(Run* run, int32_t part);
// The parts archive arrived (unpacked, and the Add carried on) or failed.
void on_archive_report(Run* run, bool done);

}  // namespace flow
