// The parts index HDPARTS\TRBHN.DAT and its copies in HDTMP\.
#pragma once

namespace store {

extern const char kPartsIndexName[];        // "TRBHN.DAT"
extern const char kPartsIndexBackupName[];  // "TRBHNBAK.DAT"

// Copies HDTMP\TRBHNBAK.DAT back over HDPARTS\TRBHN.DAT. Without a backup
// copy nothing changes.
void restore_parts_index(const char* program_directory);

}  // namespace store
