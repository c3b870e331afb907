// Process-wide values, created by the shell and living for the whole process.
#pragma once

#include <cstdint>

namespace app {

// The application context block: its address is all that the figure drawing
// library receives, and the drawing settings record must stay at its head.
struct ContextBlock {
  int32_t drawing_settings[3];  // 0, 0, 10 after start-up
  char program_directory[768];  // at most 127 characters used
  void* first_work_area;
  void* second_work_area;
  uint32_t reserved;
  void* instance;  // HINSTANCE on Windows
  void* window;    // the application window
};

// Work areas and the third drawing setting, before anything reads them.
void init_context_block(ContextBlock* context);

}  // namespace app
