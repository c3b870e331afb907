// The shell's portable pieces: the program directory, the command-line
// argument and the data paths every subsystem forms.
#pragma once

#include <cstddef>

namespace app {

// The program directory, trailing backslash included, is at most 127
// characters: the original path buffer held 128.
constexpr size_t kProgramDirectoryMax = 127;
constexpr size_t kArgumentBuffer = 256;

// Cuts a module path just after its last backslash or colon (read by
// character, so the 0x5C second byte of 表 or ソ is no separator). A path
// without either stays as it is. Gives false, leaving directory empty, when
// the result would be longer than kProgramDirectoryMax.
bool program_directory_from_module_path(const char* module_path, char* directory,
                                        size_t directory_size);

// Drops one pair of enclosing double quotes: "C:\a b\x.dat" gives
// C:\a b\x.dat; a text that begins with a quote but does not end with one is
// kept whole. The result is cut to kArgumentBuffer - 1 bytes.
void strip_argument_quotes(const char* text, char* destination);

// destination := program directory + subdirectory (with its own trailing
// backslash, such as "HDTMP\\") + file name (may be empty). The caller's
// buffer must hold the result.
void join_data_path(const char* program_directory, const char* subdirectory,
                    const char* file_name, char* destination);

}  // namespace app
