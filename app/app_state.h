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
  void* instance;               // HINSTANCE on Windows
  void* window;                 // the application window
};

extern ContextBlock g_context;

// Full path of the list file the main dialog shows; empty without one.
constexpr int kListFilePathSize = 260;
extern char g_current_list_file[kListFilePathSize];

inline const char* program_directory() { return g_context.program_directory; }

// Start-up step 3: work areas and the third drawing setting.
void init_context_block();

}  // namespace app
