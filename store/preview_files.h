// The preview's stand-ins: while the preview dialog is open, the preview
// copies of a maker's parts (HDTMP\VIEW%07d.DAT), and of every part they
// refer to, stand in the parts store in place of the part files, which wait
// beside them as RE%07d.BHN; closing puts the part files back.
#pragma once

#include <cstdint>
#include <unordered_map>
#include <vector>

#include "store/recovery_log.h"

namespace store {

// The parts whose part files stand replaced, in the order of replacement.
struct PreviewSet {
  std::vector<int32_t> parts;
  std::unordered_map<int32_t, bool> members;  // true: the part file waits as RE
};

// Extends the work list in place with the parts named by the section 7
// records of its parts' preview copies, the new ones walked too, each
// number once; numbers outside 1001-60000 are never downloaded and are
// left out. A preview copy that is no part data, or whose header keeps
// its sections closed, is skipped.
void collect_referenced_parts(const char* program_directory, std::vector<int32_t>* work);

// Puts the preview copy of every part of the work list (and of the parts
// they refer to) in place of its part file, each part once, numbers
// outside 1001-60000 left out; a preview copy that is no part data stands
// in for nothing. Each replacement is written to the run's
// log first; one that cannot be is not made. 1, or -1 when a part has
// neither a part file nor a preview copy (those replaced so far stay in
// the set).
int prepare_preview_files(const char* program_directory, std::vector<int32_t> work, PreviewSet* set,
                          RecoveryLog* log);

// Puts back every part of the set, each leaving it. False when a part file
// could not be put back: it stays in the set, to be tried again.
bool restore_preview_files(const char* program_directory, PreviewSet* set);
// The same for one part, which leaves the set; false when it is not in it.
bool restore_preview_file(const char* program_directory, PreviewSet* set, int32_t part);

}  // namespace store
