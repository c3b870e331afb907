// The parts table download dialog "ZKLST": the whole of a working run. The
// dialog procedure translates messages and controls into calls on the run
// (flow/run.h) and shows what the run hands to its view.
#pragma once

#include <windows.h>

#include <cstdint>

struct DownloadWorker;

namespace ui {

struct MainDialogSetup {
  HINSTANCE instance;
  const char* program_directory;   // with its trailing backslash
  const char* list_file_argument;  // the command line's list file, or ""
  DownloadWorker* worker;          // receives the run's download requests
  int32_t* drawing_settings;       // the record handed to the figure drawing library
};

// Opens the main dialog modally, owned by the application window, and
// returns when it has closed.
void run_main_dialog(HWND owner, const MainDialogSetup& setup);

}  // namespace ui
