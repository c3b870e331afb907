// The safety copies a run keeps of the suite's files: the five
// classification files and the parts index, copied into HDTMP\ when the
// main dialog opens, brought back by 初期化 and 中止, deleted when it closes.
#pragma once

namespace store {

// Copies the five classification files and HDPARTS\TRBHN.DAT into HDTMP\,
// creating HDTMP\ when it is missing. Copies left by an earlier run are
// deleted first, so HDTMP\ holds only this run's copies: a file that did
// not exist at opening, or whose copy failed twice, has no copy to bring
// back. Each copy is made beside its name and put in place whole, so no
// copy is ever a cut one.
void take_backups(const char* program_directory);

// Brings back every file that has a copy: GLZSLCT.INI, VGZLST0, 2, 3, 4,
// then the parts index. Each copy goes beside its file first and is put in
// its place whole, so a copy that stops part way leaves the file as it
// was. Files without a copy are left alone. False when any file that has a
// copy could not be brought back. The counts of classification files and
// of parts indexes brought back go to the counters given.
bool restore_backups(const char* program_directory, int* classification_files = nullptr,
                     int* parts_index = nullptr);

// Deletes the five classification copies, then HDTMP\TRBHN.DAT,
// HDTMP\TRBHNBAK.DAT and HDTMP\TRBHN.LZH.
void delete_backups(const char* program_directory);

}  // namespace store
