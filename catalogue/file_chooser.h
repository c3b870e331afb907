// The portable half of choosing a file with the common open or save dialog:
// the filter text, the remembered directory and the error messages. The
// dialog itself is choose_file_win.cpp.
#pragma once

#include <cstddef>
#include <string>

namespace catalogue {

// Buffers of the file dialog and of the directory it remembers for the run.
constexpr size_t kChooserPathSize = 512;

// The string table entry of the list file filter.
constexpr int kListFilterStringId = 33;

// A filter as stored in the string table, "description|pattern|": its last
// character is the separator, and each occurrence of it becomes a NUL. The
// result keeps the text's length; an empty text stays empty.
std::string filter_from_text(const std::string& text);

// The folder part of a full path: the path cut just before the backslash
// that precedes the file name (read by character, so the second byte of 表
// or ソ is not taken for one). A path without a backslash gives "".
std::string directory_part(const char* path);

// The caption and text shown for an extended error code of the common
// dialogs; null for 0 (a plain cancel) and for codes without a message.
const char* common_dialog_error_caption();
const char* common_dialog_error_text(unsigned long code);

}  // namespace catalogue
