// Drives the built program from another process as a user would: a fresh
// program folder, the program started there, its controls operated and read
// by id through window messages, its message boxes and open-file dialog
// answered, its pixels sampled. Every wait is bounded; a program still
// running when its Program object goes away is killed. Texts cross process
// boundaries as UTF-16 and are handed back as code page 932 bytes, the form
// the program shows and stores.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace gui {

constexpr DWORD kWaitMs = 15000;  // bound of every wait for the program

// Waits, handling the messages of the caller's own windows meanwhile.
void pause_ms(DWORD ms);
// Runs `done` every 50 ms until it gives true or timeout_ms passed.
template <typename Done>
bool wait_until(DWORD timeout_ms, Done done) {
  for (DWORD start = GetTickCount();; pause_ms(50)) {
    if (done()) return true;
    if (GetTickCount() - start >= timeout_ms) return false;
  }
}

std::string readable(const std::string& cp932);  // as UTF-8, for messages

// A copy of the built program folder (PARTSDL_BIN, else <build>\bin\ beside
// the caller's <build>\tests\) under the temporary folder, one `extra`
// folder level deep when given, with HDINI\, HDTMP\, HDPARTS\ and LASTDATE
// today in HDINI\bhnmente.dat, so that the list walk asks for one day.
// Removed with the object unless PARTSDL_E2E_KEEP is set.
struct Folder {
  std::string path;  // ends with a backslash; empty when it could not be made
  explicit Folder(const char* name, const std::string& extra = "");
  ~Folder();
  Folder(const Folder&) = delete;
  Folder& operator=(const Folder&) = delete;
  std::string file(const char* relative) const { return path + relative; }

 private:
  std::string top_;
};

std::string list_date(int days_ago);  // the day `days_ago` before today, "yymmdd"
bool write_file(const std::string& path, const std::string& bytes);
std::string read_file(const std::string& path);  // "<missing>" when it cannot be read
bool file_exists(const std::string& path);

struct Program {
  PROCESS_INFORMATION process = {};
  HWND app = nullptr;     // application window, class "GzmlsdlClass"
  HWND dialog = nullptr;  // main dialog, the one holding the maker list 404
  Program() = default;
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;
  ~Program();
  DWORD pid() const { return process.dwProcessId; }
};

// Starts folder\partsdl.exe in the folder, with the argument in quotes if any.
bool start(Program* program, const std::string& folder, const std::string& argument = "");
// Waits for the application window and the visible main dialog, and with
// `enabled` for the list walk to have ended.
bool wait_windows(Program* program, DWORD timeout_ms = kWaitMs, bool enabled = true);
bool wait_exit(Program* program, DWORD* code, DWORD timeout_ms = kWaitMs);
bool running(const Program& program);
// Ends the program at once, as a crash would, and waits for its end.
bool kill_program(Program* program);
// Top-level windows of a class, of one process or (pid 0) of all.
std::vector<HWND> process_windows(DWORD pid, const char* class_name);

std::string text(HWND window);
std::string item_text(HWND dialog, int id);
std::string class_name(HWND window);
// Returns once the dialog handled the click, or after 5 s when it opens a modal box.
void click(HWND dialog, int id);
void post_click(HWND dialog, int id);  // queues the command, does not wait
// Returns once the program's window thread took the messages sent so far:
// when the handler running now returned, or inside a modal loop it opened
// (whose owner is disabled by then).
void sync(HWND window);
// A click that returns as soon as the dialog handled it or opened a modal
// window, never waiting for that window to close.
void settled_click(HWND dialog, int id);
// Selects a list row and sends the notification the list box would send.
void select_row(HWND dialog, int id, int row);
void press_escape(const Program& program);  // in the control with the focus
std::vector<std::string> list_rows(HWND dialog, int id);
int list_selection(HWND dialog, int id);
bool checked(HWND dialog, int id);
std::string combo_text(HWND dialog, int id);  // the current selection

// A visible message box (a dialog with the text static 0xFFFF) or open-file
// dialog of the process; null when none appears in time.
HWND wait_message_box(DWORD pid, DWORD timeout_ms = kWaitMs);
HWND wait_file_dialog(DWORD pid, DWORD timeout_ms = kWaitMs);
// A visible dialog of the process other than the main dialog that holds a
// control `id` (for "DLUPDATE": its static 101); null when none appears.
HWND wait_dialog_with(DWORD pid, int id, DWORD timeout_ms = kWaitMs);
std::string message_box_text(HWND box);
void answer_ok(HWND box);                             // OK, or the only other button; does not wait
HWND file_name_box(HWND file_dialog);                 // the edit the file name goes into
void type_text(HWND edit, const std::string& cp932);  // key by key
// The names the dialog's file view lists, read from the other process.
std::vector<std::string> listed_files(HWND file_dialog);

struct Pixels {
  int width = 0, height = 0;
  std::string bgrx;  // 4 bytes a pixel, rows from the top
  COLORREF at(int x, int y) const {
    const char* p = &bgrx[4 * (y * width + x)];
    return RGB(p[2] & 0xFF, p[1] & 0xFF, p[0] & 0xFF);
  }
};

// Brings the window in front and has it and its children repainted now.
void bring_to_front_and_paint(HWND window);
RECT client_on_screen(HWND window);
Pixels capture(const RECT& screen_rect);

}  // namespace gui
