// The program's process, its windows and controls, seen from the test.
#include "tests/e2e/driver.h"

#include <cwchar>

namespace e2e {
namespace {

// Messages to the program never block the test longer than this.
constexpr UINT kMessageMs = 3000;

LRESULT send(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
             DWORD timeout_ms = kMessageMs) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(window, message, wparam, lparam, SMTO_NORMAL, timeout_ms, &result))
    return -1;
  return static_cast<LRESULT>(result);
}

struct WindowSearch {
  DWORD pid;
  const char* class_name;  // null: any class
  const wchar_t* title;    // null: any title
  std::vector<HWND> found;
};

BOOL CALLBACK collect_window(HWND window, LPARAM param) {
  WindowSearch* search = reinterpret_cast<WindowSearch*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (search->pid && pid != search->pid) return TRUE;
  if (search->class_name && class_name(window) != search->class_name) return TRUE;
  if (search->title) {
    wchar_t title[256] = {};
    GetWindowTextW(window, title, 256);
    if (std::wcscmp(title, search->title) != 0) return TRUE;
  }
  search->found.push_back(window);
  return TRUE;
}

// The main dialog is the dialog of the process that holds the major item
// list; its title changes once a list file is shown.
HWND find_main_dialog(DWORD pid) {
  for (HWND window : process_windows(pid, "#32770"))
    if (GetDlgItem(window, 401)) return window;
  return nullptr;
}

struct TextSearch {
  HWND found;
};

BOOL CALLBACK find_text_static(HWND child, LPARAM param) {
  if (GetDlgCtrlID(child) == 0xFFFF && class_name(child) == "Static") {
    reinterpret_cast<TextSearch*>(param)->found = child;
    return FALSE;
  }
  return TRUE;
}

HWND message_text_static(HWND box) {
  TextSearch search = {nullptr};
  EnumChildWindows(box, find_text_static, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

}  // namespace

// ---- Process -------------------------------------------------------------

Program::~Program() {
  if (process.hProcess) {
    kill(this);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
  }
}

bool start(Program* program, const Folder& folder, const char* argument) {
  return start_in(program, folder.path, argument);
}

bool start_in(Program* program, const std::string& folder, const char* argument) {
  if (folder.empty()) return false;
  std::string exe = folder + "partsdl.exe";
  std::string command = "\"" + exe + "\"";
  if (argument) command += std::string(" ") + argument;
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  std::vector<char> line(command.begin(), command.end());
  line.push_back('\0');
  return CreateProcessA(exe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.c_str(), &startup, &program->process) != 0;
}

bool wait_windows(Program* program, DWORD timeout_ms) {
  DWORD pid = program->process.dwProcessId;
  return poll(timeout_ms, [&] {
    if (!running(*program)) return false;
    std::vector<HWND> apps = process_windows(pid, "GzmlsdlClass");
    program->app = apps.empty() ? nullptr : apps[0];
    program->dialog = find_main_dialog(pid);
    return program->app && program->dialog && IsWindowVisible(program->dialog);
  });
}

bool wait_exit(Program* program, DWORD timeout_ms, DWORD* code) {
  if (!program->process.hProcess) return false;
  if (!poll(timeout_ms, [&] { return !running(*program); })) return false;
  return GetExitCodeProcess(program->process.hProcess, code) != 0;
}

bool running(const Program& program) {
  return program.process.hProcess &&
         WaitForSingleObject(program.process.hProcess, 0) == WAIT_TIMEOUT;
}

void kill(Program* program) {
  if (!running(*program)) return;
  TerminateProcess(program->process.hProcess, 99);
  WaitForSingleObject(program->process.hProcess, kWaitMs);
}

std::vector<HWND> process_windows(DWORD pid, const char* class_name, const wchar_t* title) {
  WindowSearch search = {pid, class_name, title, {}};
  EnumWindows(collect_window, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

int count_windows(const char* class_name) {
  return static_cast<int>(process_windows(0, class_name).size());
}

// ---- Controls --------------------------------------------------------------

HWND item(HWND dialog, int id) { return GetDlgItem(dialog, id); }

std::string text(HWND window) {
  if (!window) return "";
  LRESULT length = send(window, WM_GETTEXTLENGTH, 0, 0);
  if (length < 0) return "";
  std::vector<wchar_t> buffer(length + 2);
  LRESULT got = send(window, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()));
  if (got < 0) return "";
  return to_cp932(buffer.data());
}

std::string item_text(HWND dialog, int id) { return text(item(dialog, id)); }

std::string class_name(HWND window) {
  char name[64] = {};
  GetClassNameA(window, name, sizeof name);
  return name;
}

void click(HWND dialog, int id, DWORD timeout_ms) {
  send(item(dialog, id), BM_CLICK, 0, 0, timeout_ms);
}

void post_click(HWND dialog, int id) {
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
               reinterpret_cast<LPARAM>(item(dialog, id)));
}

void select_row(HWND dialog, int id, int row, DWORD timeout_ms) {
  HWND list = item(dialog, id);
  send(list, LB_SETCURSEL, row, 0);
  send(dialog, WM_COMMAND, MAKEWPARAM(id, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list),
       timeout_ms);
}

void press_escape(const Program& program) {
  GUITHREADINFO info = {};
  info.cbSize = sizeof info;
  HWND target = program.dialog;
  if (GetGUIThreadInfo(program.process.dwThreadId, &info) && info.hwndFocus)
    target = info.hwndFocus;
  PostMessageW(target, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
  PostMessageW(target, WM_KEYUP, VK_ESCAPE, 0xC0010001);
}

int list_count(HWND dialog, int id) {
  return static_cast<int>(send(item(dialog, id), LB_GETCOUNT, 0, 0));
}

std::string list_text(HWND dialog, int id, int row) {
  HWND list = item(dialog, id);
  LRESULT length = send(list, LB_GETTEXTLEN, row, 0);
  if (length < 0) return "<no row>";
  std::vector<wchar_t> buffer(length + 2);
  if (send(list, LB_GETTEXT, row, reinterpret_cast<LPARAM>(buffer.data())) < 0) return "<no row>";
  return to_cp932(buffer.data());
}

std::vector<std::string> list_rows(HWND dialog, int id) {
  std::vector<std::string> rows;
  int count = list_count(dialog, id);
  for (int row = 0; row < count; ++row) rows.push_back(list_text(dialog, id, row));
  return rows;
}

int list_selection(HWND dialog, int id) {
  return static_cast<int>(send(item(dialog, id), LB_GETCURSEL, 0, 0));
}

bool checked(HWND dialog, int id) {
  return send(item(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

RECT item_rect(HWND dialog, HWND control) {
  RECT rect = {};
  GetWindowRect(control, &rect);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

// ---- Message boxes ---------------------------------------------------------

HWND wait_message_box(DWORD pid, DWORD timeout_ms) {
  HWND box = nullptr;
  poll(timeout_ms, [&] {
    for (HWND window : process_windows(pid, "#32770")) {
      if (GetDlgItem(window, 401) || !message_text_static(window)) continue;
      if (!IsWindowVisible(window)) continue;
      box = window;
      return true;
    }
    return false;
  });
  return box;
}

std::string message_box_text(HWND box) { return text(message_text_static(box)); }

void answer_ok(HWND box) {
  int id = GetDlgItem(box, IDOK) ? IDOK : IDCANCEL;
  PostMessageW(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(box, id)));
}

bool wait_gone(HWND window, DWORD timeout_ms) {
  return poll(timeout_ms, [&] { return !IsWindow(window); });
}

// ---- Small things --------------------------------------------------------

void pause_ms(DWORD ms) {
  DWORD start = GetTickCount();
  for (;;) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    DWORD spent = GetTickCount() - start;
    if (spent >= ms) return;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, ms - spent, QS_ALLINPUT);
  }
}

std::string to_cp932(const wchar_t* text, int length) {
  int size = WideCharToMultiByte(932, 0, text, length, nullptr, 0, nullptr, nullptr);
  if (size <= 0) return "";
  std::string bytes(size, '\0');
  WideCharToMultiByte(932, 0, text, length, &bytes[0], size, nullptr, nullptr);
  if (length < 0) bytes.resize(size - 1);  // the converted terminator
  return bytes;
}

std::wstring from_cp932(const std::string& text) {
  int size = MultiByteToWideChar(932, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(size, L'\0');
  if (size > 0)
    MultiByteToWideChar(932, 0, text.data(), static_cast<int>(text.size()), &wide[0], size);
  return wide;
}

std::string readable(const std::string& cp932) {
  std::wstring wide = from_cp932(cp932);
  int size = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr,
                                 0, nullptr, nullptr);
  std::string utf8(size, '\0');
  if (size > 0)
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), &utf8[0], size,
                        nullptr, nullptr);
  return utf8;
}

}  // namespace e2e
