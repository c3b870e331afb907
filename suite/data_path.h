// The suite's program folder and the data paths under it. Every file the
// program reads or writes is the program directory (with its trailing
// backslash), one of the folders below, and a file name.
#pragma once

#include <cstddef>
#include <string>

namespace suite {

constexpr char kWorkFolder[] = "HDTMP\\";      // work files and backups
constexpr char kSettingsFolder[] = "HDINI\\";  // classification files, maintenance state
constexpr char kPartsFolder[] = "HDPARTS\\";   // parts store, parts index, list files

// destination := program directory + subdirectory + file name (may be
// empty). Gives false, with destination empty, when the path does not fit
// in destination_size bytes with its NUL: a cut path would name another
// file. The destination may be the buffer that holds the directory.
bool join_data_path(const char* program_directory, const char* subdirectory, const char* file_name,
                    char* destination, size_t destination_size);

// The same as a string of at most 511 bytes; empty when it does not fit.
std::string data_path(const char* program_directory, const char* subdirectory,
                      const char* file_name);

}  // namespace suite
