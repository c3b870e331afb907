// Extracting an archive into a folder, through the platform's file seam.
// Each member goes to a new file beside its target and is put in place only
// when its size and CRC are right, so a bad member never leaves a file and
// never spoils one that was there.
#pragma once
#include <string>

namespace lzh {

// `folder` may end with a separator or not. Appends the report to *report and
// returns one of the UnlhaResult codes (archive/unlha32.h).
int extract_archive(const char* archive, const char* folder, std::string* report);

// Lists the members (method, sizes, CRC, stored name) into *listing; returns
// an UnlhaResult code as extraction would for the archive's structure.
int list_archive(const char* archive, std::string* listing);

}  // namespace lzh
