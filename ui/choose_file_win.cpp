#include "ui/choose_file_win.h"

#include <commdlg.h>

#include <cstring>
#include <string>

namespace ui {

using catalogue::kChooserPathSize;
namespace {

void copy_text(char* destination, size_t size, const std::string& text) {
  size_t take = text.size() < size - 1 ? text.size() : size - 1;
  std::memcpy(destination, text.data(), take);
  destination[take] = '\0';
}

void report_failure(HWND owner) {
  const char* message = catalogue::common_dialog_error_text(CommDlgExtendedError());
  if (message) MessageBoxA(owner, message, catalogue::common_dialog_error_caption(), MB_OK);
}

}  // namespace

bool choose_file(HWND owner, char* path, size_t path_size, char* remembered, char* directory,
                 int filter_string_id, int filter_index, const char* title, bool save,
                 DWORD flags) {
  if (directory) copy_text(remembered, kChooserPathSize, directory);
  char initial_directory[kChooserPathSize];
  copy_text(initial_directory, kChooserPathSize, remembered);
  if (!initial_directory[0]) GetWindowsDirectoryA(initial_directory, kChooserPathSize);

  char text[kChooserPathSize] = {};
  HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(owner, GWLP_HINSTANCE));
  int length = LoadStringA(instance, filter_string_id, text, kChooserPathSize);
  std::string filter = catalogue::filter_from_text(std::string(text, length > 0 ? length : 0));
  filter.append(2, '\0');  // the list of filters ends with an empty one

  char file_name[kChooserPathSize] = {};
  char file_title[kChooserPathSize] = {};
  copy_text(file_name, kChooserPathSize, path);

  OPENFILENAMEA dialog = {};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;
  dialog.lpstrFilter = filter.c_str();
  dialog.nFilterIndex = filter_index;
  dialog.lpstrFile = file_name;
  dialog.nMaxFile = kChooserPathSize;
  dialog.lpstrFileTitle = file_title;
  dialog.nMaxFileTitle = kChooserPathSize;
  dialog.lpstrInitialDir = initial_directory;
  dialog.lpstrTitle = title;
  dialog.Flags = flags ? flags : OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
  BOOL chosen = save ? GetSaveFileNameA(&dialog) : GetOpenFileNameA(&dialog);
  if (!chosen) {
    report_failure(owner);
    return false;
  }
  // A path that the caller cannot hold whole would name another file.
  if (std::strlen(file_name) >= path_size) return false;
  std::strcpy(path, file_name);
  copy_text(remembered, kChooserPathSize, catalogue::directory_part(file_name));
  if (directory) std::strcpy(directory, remembered);
  return true;
}

}  // namespace ui
