// Entry, single instance and the application window that owns the main
// dialog. The process lives exactly as long as the main dialog.
#include <windows.h>

#include "app/app_state.h"
#include "app/shell.h"
#include "download/worker.h"
#include "ui/main_dialog_win.h"

namespace {

const char kMutexName[] = "GBHNMENTE";
const char kClassName[] = "GzmlsdlClass";
const char kWindowTitle[] = "図形登録";
const char kFolderTooLong[] =
    "プログラムのフォルダのパスが長すぎます。\n127文字以内のフォルダに置いて起動して下さい。";
const WPARAM kOpenMainDialog = 1;

// The process-wide values: the context block, whose address the figure
// drawing library receives, and what the main dialog is opened with.
app::ContextBlock g_context;
ui::MainDialogSetup g_setup;

LRESULT CALLBACK application_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_CREATE:
      // The main dialog opens as soon as the message loop runs.
      PostMessageA(window, WM_COMMAND, kOpenMainDialog, 0);
      return 0;
    case WM_COMMAND:
      if (LOWORD(wparam) == kOpenMainDialog) ui::run_main_dialog(window, g_setup);
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
  return app::program_directory_from_module_path(module, g_context.program_directory,
                                                 sizeof g_context.program_directory);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR command_line, int) {
  g_context.instance = instance;
  // Every data path hangs off the program directory; a cut one would point
  // somewhere else, so a folder beyond the limit is refused outright.
  if (!find_program_directory()) {
    MessageBoxA(nullptr, kFolderTooLong, kWindowTitle, MB_OK | MB_ICONERROR);
    return 0;
  }
  app::init_context_block(&g_context);

  // Creating the mutex and asking whether it existed is one step: two
  // copies started together cannot both find it missing.
  HANDLE single_instance = CreateMutexA(nullptr, FALSE, kMutexName);
  if (single_instance && GetLastError() == ERROR_ALREADY_EXISTS) {
    CloseHandle(single_instance);
    hand_over_to_first_copy();
    return 0;
  }

  char argument[app::kArgumentBuffer];
  app::strip_argument_quotes(command_line ? command_line : "", argument);
  DownloadWorker* worker = download_worker_create(PARTSDL_BASE_URL);
  g_setup = {instance, g_context.program_directory, argument, worker, g_context.drawing_settings};

  WNDCLASSA window_class = {};
  window_class.lpfnWndProc = application_window_proc;
  window_class.hInstance = instance;
  window_class.hIcon = LoadIconA(instance, "ZKI");
  window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  window_class.lpszClassName = kClassName;
  if (!RegisterClassA(&window_class)) {
    download_worker_destroy(worker);
    CloseHandle(single_instance);
    return 0;
  }
  HWND window = CreateWindowA(kClassName, kWindowTitle, WS_POPUP | WS_CAPTION | WS_SYSMENU, 0, 0, 0,
                              0, nullptr, nullptr, instance, nullptr);
  if (!window) {
    download_worker_destroy(worker);
    CloseHandle(single_instance);
    return 0;
  }
  g_context.window = window;
  ShowWindow(window, SW_SHOW);
  UpdateWindow(window);

  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  // A transfer in progress is let finish; requests still queued are dropped.
  download_worker_destroy(worker);
  CloseHandle(single_instance);
  return static_cast<int>(message.wParam);
}
