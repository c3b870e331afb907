// Scratch folders for tests that touch files, on either platform.
#pragma once

#include <string>

namespace oktest {

// A new empty folder for this test, ending with a backslash, so that data
// paths are formed as the program forms them. Removed at process exit when
// every test passed.
std::string scratch_folder(const char* test_name);

// Writes or reads a whole file through the C library (independent of the
// platform seam that the tests examine); file_text gives "<missing>" for a
// file it cannot read.
bool put_file(const std::string& path, const std::string& bytes);
bool get_file(const std::string& path, std::string* bytes);
std::string file_text(const std::string& path);

}  // namespace oktest
