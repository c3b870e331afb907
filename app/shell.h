// The shell's portable pieces: the program directory and the command-line
// argument.
#pragma once

#include <cstddef>

namespace app {

// The program directory, trailing backslash included, is at most 127
// characters: the suite's own programs keep it in 128 bytes.
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

}  // namespace app
