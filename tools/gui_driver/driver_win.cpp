#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <cstdio>
#include <fstream>
#include <iterator>

#include "tools/gui_driver/gui_driver_win.h"

namespace gui {
namespace {

// Messages to the program never block the caller longer than this.
LRESULT send(HWND window, UINT message, WPARAM wparam, LPARAM lparam, DWORD timeout_ms = 3000) {
  DWORD_PTR result = 0;
  bool sent =
      SendMessageTimeoutW(window, message, wparam, lparam, SMTO_NORMAL, timeout_ms, &result);
  return sent ? static_cast<LRESULT>(result) : -1;
}

// cp932 bytes (code page 932) or UTF-8 (CP_UTF8).
std::string narrow(const std::wstring& text, UINT code_page) {
  std::string bytes(4 * text.size(), '\0');  // no character takes more than 4 bytes
  bytes.resize(WideCharToMultiByte(code_page, 0, text.data(), static_cast<int>(text.size()),
                                   &bytes[0], static_cast<int>(bytes.size()), nullptr, nullptr));
  return bytes;
}

// A text a control gives through a pair of length and text messages.
std::string wide_text(HWND window, UINT length_message, UINT text_message, WPARAM which) {
  LRESULT length = send(window, length_message, which, 0);
  std::vector<wchar_t> buffer(length < 0 ? 1 : length + 2);
  if (length < 0 || send(window, text_message, text_message == WM_GETTEXT ? buffer.size() : which,
                         reinterpret_cast<LPARAM>(buffer.data())) < 0)
    return "<none>";
  return narrow(buffer.data(), 932);
}

std::wstring from_cp932(const std::string& text) {
  std::wstring wide(text.size(), L'\0');  // never more characters than bytes
  wide.resize(MultiByteToWideChar(932, 0, text.data(), static_cast<int>(text.size()), &wide[0],
                                  wide.size()));
  return wide;
}

struct Search {
  DWORD pid;  // 0: any
  const char* class_name;
  std::vector<HWND> found;
};

BOOL CALLBACK collect(HWND window, LPARAM param) {
  Search* search = reinterpret_cast<Search*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if ((!search->pid || pid == search->pid) && class_name(window) == search->class_name)
    search->found.push_back(window);
  return TRUE;
}

HWND find_child(HWND parent, const char* class_name) {
  Search search = {0, class_name, {}};
  EnumChildWindows(parent, collect, reinterpret_cast<LPARAM>(&search));
  return search.found.empty() ? nullptr : search.found[0];
}

HWND message_text(HWND box) {
  HWND text = GetDlgItem(box, 0xFFFF);
  return text && class_name(text) == "Static" ? text : nullptr;
}

// A visible dialog of the process, not the main dialog, with the part
// `part` finds.
HWND wait_dialog(DWORD pid, DWORD timeout_ms, HWND (*part)(HWND)) {
  HWND found = nullptr;
  wait_until(timeout_ms, [&] {
    for (HWND window : process_windows(pid, "#32770"))
      if (!GetDlgItem(window, 401) && IsWindowVisible(window) && part(window)) found = window;
    return found != nullptr;
  });
  return found;
}

// Copies or removes files with the shell, silently.
void shell_files(UINT operation, const std::string& from, const std::string& to = "") {
  std::string source = from + '\0', target = to + '\0';  // lists end with two terminators
  SHFILEOPSTRUCTA files = {nullptr,
                           operation,
                           source.c_str(),
                           target.c_str(),
                           FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT | FOF_FILESONLY,
                           FALSE,
                           nullptr,
                           nullptr};
  SHFileOperationA(&files);
}

std::string built_program_folder() {
  char buffer[MAX_PATH * 2] = {};
  DWORD n = GetEnvironmentVariableA("PARTSDL_BIN", buffer, sizeof buffer);
  if (n > 0 && n < sizeof buffer) return std::string(buffer) + (buffer[n - 1] == '\\' ? "" : "\\");
  GetModuleFileNameA(nullptr, buffer, sizeof buffer);
  std::string path = buffer;
  path.resize(path.find_last_of('\\'));  // <build>\tests
  return path.substr(0, path.find_last_of('\\')) + "\\bin\\";
}

}  // namespace

void pause_ms(DWORD ms) {
  for (DWORD start = GetTickCount(), spent = 0; spent < ms; spent = GetTickCount() - start) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
      TranslateMessage(&message), DispatchMessageW(&message);
    MsgWaitForMultipleObjects(0, nullptr, FALSE, ms - spent, QS_ALLINPUT);
  }
}

std::string readable(const std::string& cp932) { return narrow(from_cp932(cp932), CP_UTF8); }

Folder::Folder(const char* name, const std::string& extra) {
  char temp[MAX_PATH] = {};
  if (!GetTempPathA(sizeof temp, temp)) return;
  top_ = std::string(temp) + "pdl-" + name + "-" + std::to_string(GetCurrentProcessId()) + "\\";
  shell_files(FO_DELETE, top_.substr(0, top_.size() - 1));  // left by an earlier run
  std::string folder = top_;
  if (!CreateDirectoryA(top_.c_str(), nullptr) ||
      (!extra.empty() && !CreateDirectoryA((folder += extra + "\\").c_str(), nullptr)))
    return;
  shell_files(FO_COPY, built_program_folder() + "*", folder);
  for (const char* sub : {"HDINI", "HDTMP", "HDPARTS"})
    CreateDirectoryA((folder + sub).c_str(), nullptr);
  write_file(folder + "HDINI\\bhnmente.dat", "[日付]\r\nLASTDATE=" + list_date(0) + "\r\n");
  if (file_exists(folder + "partsdl.exe")) path = folder;
}

Folder::~Folder() {
  if (!top_.empty() && GetEnvironmentVariableA("PARTSDL_E2E_KEEP", nullptr, 0) == 0)
    shell_files(FO_DELETE, top_.substr(0, top_.size() - 1));
}

bool write_file(const std::string& path, const std::string& bytes) {
  std::ofstream file(path, std::ios::binary);
  return file.write(bytes.data(), bytes.size()).flush().good();
}

std::string read_file(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return file ? std::string(std::istreambuf_iterator<char>(file), {}) : "<missing>";
}

bool file_exists(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

Program::~Program() {
  if (running(*this) && TerminateProcess(process.hProcess, 99))
    WaitForSingleObject(process.hProcess, kWaitMs);
  if (process.hProcess) CloseHandle(process.hProcess), CloseHandle(process.hThread);
}

bool start(Program* program, const std::string& folder, const std::string& argument) {
  std::string exe = folder + "partsdl.exe";
  std::string command = "\"" + exe + "\"" + (argument.empty() ? "" : " \"" + argument + "\"");
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  return !folder.empty() && CreateProcessA(exe.c_str(), &command[0], nullptr, nullptr, FALSE, 0,
                                           nullptr, folder.c_str(), &startup, &program->process);
}

std::string list_date(int days_ago) {
  SYSTEMTIME day;
  FILETIME file;
  GetLocalTime(&day);
  SystemTimeToFileTime(&day, &file);
  ULONGLONG t =
      (ULONGLONG(file.dwHighDateTime) << 32 | file.dwLowDateTime) - days_ago * 864000000000ULL;
  file = {static_cast<DWORD>(t), static_cast<DWORD>(t >> 32)};
  FileTimeToSystemTime(&file, &day);
  char text[16];
  std::snprintf(text, sizeof text, "%02d%02d%02d", day.wYear % 100, day.wMonth, day.wDay);
  return text;
}

bool wait_windows(Program* program, DWORD timeout_ms, bool enabled) {
  return wait_until(timeout_ms, [&] {
    std::vector<HWND> apps = process_windows(program->pid(), "GzmlsdlClass");
    program->app = apps.empty() ? nullptr : apps[0];
    program->dialog = nullptr;
    for (HWND window : process_windows(program->pid(), "#32770"))
      if (GetDlgItem(window, 404)) program->dialog = window;  // the maker list
    return running(*program) && program->app && program->dialog &&
           IsWindowVisible(program->dialog) && (!enabled || IsWindowEnabled(program->dialog));
  });
}

bool wait_exit(Program* program, DWORD* code, DWORD timeout_ms) {
  return program->process.hProcess && wait_until(timeout_ms, [&] { return !running(*program); }) &&
         GetExitCodeProcess(program->process.hProcess, code);
}

bool running(const Program& program) {
  return program.process.hProcess &&
         WaitForSingleObject(program.process.hProcess, 0) == WAIT_TIMEOUT;
}

bool kill_program(Program* program) {
  return running(*program) && TerminateProcess(program->process.hProcess, 99) &&
         WaitForSingleObject(program->process.hProcess, kWaitMs) == WAIT_OBJECT_0;
}

std::vector<HWND> process_windows(DWORD pid, const char* class_name) {
  Search search = {pid, class_name, {}};
  EnumWindows(collect, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::string text(HWND window) { return wide_text(window, WM_GETTEXTLENGTH, WM_GETTEXT, 0); }
std::string item_text(HWND dialog, int id) { return text(GetDlgItem(dialog, id)); }

std::string class_name(HWND window) {
  char name[64] = {};
  return GetClassNameA(window, name, sizeof name) ? name : "";
}

void click(HWND dialog, int id) { send(GetDlgItem(dialog, id), BM_CLICK, 0, 0, 5000); }

void post_click(HWND dialog, int id) {
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void sync(HWND window) { send(window, WM_NULL, 0, 0, kWaitMs); }

// The click goes as a sent message, which the program takes before any
// posted one and before the WM_NULL sent after it.
void settled_click(HWND dialog, int id) {
  SendNotifyMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
  sync(dialog);
}

void select_row(HWND dialog, int id, int row) {
  HWND list = GetDlgItem(dialog, id);
  send(list, LB_SETCURSEL, row, 0);
  send(dialog, WM_COMMAND, MAKEWPARAM(id, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list), 5000);
}

void press_escape(const Program& program) {
  GUITHREADINFO info = {};
  info.cbSize = sizeof info;
  HWND target = GetGUIThreadInfo(program.process.dwThreadId, &info) && info.hwndFocus
                    ? info.hwndFocus
                    : program.dialog;
  PostMessageW(target, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
  PostMessageW(target, WM_KEYUP, VK_ESCAPE, 0xC0010001);
}

std::vector<std::string> list_rows(HWND dialog, int id) {
  HWND list = GetDlgItem(dialog, id);
  std::vector<std::string> rows;
  for (LRESULT row = 0, count = send(list, LB_GETCOUNT, 0, 0); row < count; ++row)
    rows.push_back(wide_text(list, LB_GETTEXTLEN, LB_GETTEXT, row));
  return rows;
}

int list_selection(HWND dialog, int id) {
  return static_cast<int>(send(GetDlgItem(dialog, id), LB_GETCURSEL, 0, 0));
}
bool checked(HWND dialog, int id) {
  return send(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

std::string combo_text(HWND dialog, int id) {
  HWND combo = GetDlgItem(dialog, id);
  return wide_text(combo, CB_GETLBTEXTLEN, CB_GETLBTEXT, send(combo, CB_GETCURSEL, 0, 0));
}

HWND wait_message_box(DWORD pid, DWORD timeout) { return wait_dialog(pid, timeout, message_text); }
HWND wait_file_dialog(DWORD pid, DWORD timeout) { return wait_dialog(pid, timeout, file_name_box); }
HWND wait_dialog_with(DWORD pid, int id, DWORD timeout) {
  HWND found = nullptr;
  wait_until(timeout, [&] {
    for (HWND window : process_windows(pid, "#32770"))
      if (!GetDlgItem(window, 401) && IsWindowVisible(window) && GetDlgItem(window, id))
        found = window;
    return found != nullptr;
  });
  return found;
}

std::string message_box_text(HWND box) { return text(message_text(box)); }
void answer_ok(HWND box) { post_click(box, GetDlgItem(box, IDOK) ? IDOK : IDCANCEL); }

// The Explorer-style name combo 0x47C holds the edit one or two levels
// down; the old-style dialog has the edit 0x480 itself.
HWND file_name_box(HWND file_dialog) {
  HWND combo = GetDlgItem(file_dialog, 0x47C);
  HWND edit = combo ? find_child(combo, "Edit") : nullptr;
  return edit ? edit : GetDlgItem(file_dialog, 0x480);
}

void type_text(HWND edit, const std::string& cp932) {
  send(edit, WM_SETFOCUS, 0, 0);
  for (wchar_t c : from_cp932(cp932)) send(edit, WM_CHAR, c, 1);
}

std::vector<std::string> listed_files(HWND file_dialog) {
  std::vector<std::string> names;
  HWND view = find_child(file_dialog, "SysListView32");
  DWORD pid = 0;
  GetWindowThreadProcessId(view, &pid);
  HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, 0, pid);
  if (!view || !process) return names;
  // The item record and its text buffer are in the program's memory, where
  // the list view writes its answer.
  constexpr int kChars = 260;
  char* remote = static_cast<char*>(
      VirtualAllocEx(process, nullptr, sizeof(LVITEMW) + 2 * kChars, MEM_COMMIT, PAGE_READWRITE));
  for (LRESULT i = 0, count = remote ? send(view, LVM_GETITEMCOUNT, 0, 0) : 0; i < count; ++i) {
    LVITEMW item = {};
    item.mask = LVIF_TEXT;
    item.iItem = static_cast<int>(i);
    item.pszText = reinterpret_cast<wchar_t*>(remote + sizeof(LVITEMW));
    item.cchTextMax = kChars;
    wchar_t name[kChars + 1] = {};
    if (!WriteProcessMemory(process, remote, &item, sizeof item, nullptr) ||
        send(view, LVM_GETITEMTEXTW, i, reinterpret_cast<LPARAM>(remote)) < 0 ||
        !ReadProcessMemory(process, item.pszText, name, 2 * kChars, nullptr))
      break;
    names.push_back(narrow(name, 932));
  }
  if (remote) VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  CloseHandle(process);
  return names;
}

void bring_to_front_and_paint(HWND window) {
  SetForegroundWindow(window);
  BringWindowToTop(window);
  RedrawWindow(window, nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

RECT client_on_screen(HWND window) {
  RECT rect = {};
  GetClientRect(window, &rect);
  MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

Pixels capture(const RECT& screen_rect) {
  const int w = screen_rect.right - screen_rect.left, h = screen_rect.bottom - screen_rect.top;
  if (w <= 0 || h <= 0) return Pixels();
  Pixels pixels = {w, h, std::string(4 * w * h, '\0')};
  BITMAPINFO info = {};
  info.bmiHeader = {
      sizeof info.bmiHeader, w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};  // rows from the top
  HDC screen = GetDC(nullptr), memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, w, h);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, w, h, screen, screen_rect.left, screen_rect.top, SRCCOPY);
  SelectObject(memory, old);
  GetDIBits(memory, bitmap, 0, h, &pixels.bgrx[0], &info, DIB_RGB_COLORS);
  DeleteObject(bitmap), DeleteDC(memory), ReleaseDC(nullptr, screen);
  return pixels;
}

}  // namespace gui
