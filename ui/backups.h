// The safety copies the main dialog keeps while it is open: the five
// classification files and the parts index, copied into HDTMP\ at opening,
// copied back by 初期化 and 中止, deleted when the dialog closes.
#pragma once

namespace ui {

// Copies the five classification files and HDPARTS\TRBHN.DAT into HDTMP\.
// Copies left by an earlier run that ended abnormally are deleted first, so
// that HDTMP\ holds only this run's copies: a file that did not exist at
// opening, or whose copy failed, then has no copy to bring back.
void take_backups(const char* program_directory);

// Copies each classification file's backup back over it (GLZSLCT.INI, then
// VGZLST0, 2, 3, 4). Files without a copy are left alone.
void restore_classification_files(const char* program_directory);

// Deletes the five classification copies, then HDTMP\TRBHN.DAT,
// HDTMP\TRBHNBAK.DAT and HDTMP\TRBHN.LZH.
void delete_backups(const char* program_directory);

}  // namespace ui
