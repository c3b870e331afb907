// Entry, single instance and the application window that owns the main
// dialog. The process lives exactly as long as the main dialog.
#include <windows.h>

#include <cstring>

#include "app/app_state.h"
#include "app/shell.h"
#include "ui/main_dialog.h"

namespace {

const char kMutexName[] = "GBHNMENTE";
const char kClassName[] = "GzmlsdlClass";
const char kWindowTitle[] = "図形登録";
const char kFolderTooLong[] =
    "プログラムのフォルダのパスが長すぎます。\n127文字以内のフォルダに置いて起動して下さい。";
const WPARAM kOpenMainDialog = 1;

LRESULT CALLBACK application_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_CREATE:
      // The main dialog opens as soon as the message loop runs.
      PostMessageA(window, WM_COMMAND, kOpenMainDialog, 0);
      return 0;
    case WM_COMMAND:
      if (LOWORD(wparam) == kOpenMainDialog) ui::run_main_dialog(window);
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcA(window, message, wparam, lparam);
}

// Raises the running copy: its window, and the dialog it is showing.
void hand_over_to_first_copy() {
  HWND first = FindWindowA(kClassName, nullptr);
  if (!first) return;
  ShowWindow(first, SW_SHOW);
  HWND front = GetLastActivePopup(first);
  SetForegroundWindow(front ? front : first);
}

bool find_program_directory() {
  char module[MAX_PATH + 1];
  DWORD length = GetModuleFileNameA(nullptr, module, sizeof module);
  if (length == 0 || length >= sizeof module) return false;
  return app::program_directory_from_module_path(module, app::g_context.program_directory,
                                                  sizeof app::g_context.program_directory);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR command_line, int) {
  app::g_context.instance = instance;
  // Every data path hangs off the program directory; a cut one would point
  // somewhere else, so a folder beyond the limit is refused outright.
  if (!find_program_directory()) {
    MessageBoxA(nullptr, kFolderTooLong, kWindowTitle, MB_OK | MB_ICONERROR);
    return 0;
  }
  app::init_context_block();

  HANDLE existing = OpenMutexA(MUTEX_ALL_ACCESS, FALSE, kMutexName);
  if (existing) {
    CloseHandle(existing);
    hand_over_to_first_copy();
    return 0;
  }
  HANDLE single_instance = CreateMutexA(nullptr, FALSE, kMutexName);

  char argument[app::kArgumentBuffer];
  app::strip_argument_quotes(command_line ? command_line : "", argument);
  std::strncpy(app::g_current_list_file, argument, app::kListFilePathSize - 1);
  app::g_current_list_file[app::kListFilePathSize - 1] = '\0';

  WNDCLASSA window_class = {};
  window_class.lpfnWndProc = application_window_proc;
  window_class.hInstance = instance;
  window_class.hIcon = LoadIconA(instance, "ZKI");
  window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  window_class.lpszClassName = kClassName;
  if (!RegisterClassA(&window_class)) {
    CloseHandle(single_instance);
    return 0;
  }
  HWND window = CreateWindowA(kClassName, kWindowTitle, WS_POPUP | WS_CAPTION | WS_SYSMENU, 0, 0,
                              0, 0, nullptr, nullptr, instance, nullptr);
  if (!window) {
    CloseHandle(single_instance);
    return 0;
  }
  app::g_context.window = window;
  ShowWindow(window, SW_SHOW);
  UpdateWindow(window);

  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  CloseHandle(single_instance);
  return static_cast<int>(message.wParam);
}
