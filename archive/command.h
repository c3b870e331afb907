// The command text UNLHA32.DLL takes:  e [-n] "<archive>" "<folder>"
#pragma once
#include <string>

namespace lzh {

// Runs the command, appending its report; returns an UnlhaResult code.
// Anything but the extract command with its two paths is refused unrun.
int run_command(const char* command, std::string* report);

// Copies the report into a caller's buffer of `size` bytes: NUL-terminated,
// cut at a character boundary when it does not fit.
void copy_report(const std::string& report, char* buffer, size_t size);

}  // namespace lzh
