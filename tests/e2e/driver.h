// Drives the built program from another process, as a user would: a fresh
// program folder per case, the program started there, its controls operated
// and read through window messages, its message boxes answered, its screen
// pixels sampled. Every wait is bounded; a program still running when its
// Program object goes away is killed, so a failed case leaves nothing behind.
//
// Texts cross process boundaries as UTF-16 and are handed back as code page
// 932 bytes, the form the program shows and stores.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace e2e {

// Bound of every wait for the program (start, windows, exit).
constexpr DWORD kWaitMs = 15000;

// ---- Program folder and files -------------------------------------------

// A copy of the built program folder in a new folder under the temporary
// folder, with HDINI\, HDTMP\ and HDPARTS\ created; removed again when the
// object goes away (kept when PARTSDL_E2E_KEEP is set, to look into). `extra`,
// when given, is one more folder level under which the program is placed.
struct Folder {
  std::string path;  // ends with a backslash; empty when it could not be made

  explicit Folder(const char* case_name, const std::string& extra = "");
  ~Folder();
  Folder(const Folder&) = delete;
  Folder& operator=(const Folder&) = delete;
  // path + relative, such as "HDINI\\VGZLST0.INI".
  std::string file(const char* relative) const { return path + relative; }

 private:
  std::string top_;
};

bool write_file(const std::string& path, const std::string& bytes);
bool read_file(const std::string& path, std::string* bytes);
bool file_exists(const std::string& path);
bool is_directory(const std::string& path);
// -1 when the file does not exist.
long long file_size(const std::string& path);
// True when the file exists and holds exactly these bytes.
bool file_equals(const std::string& path, const std::string& bytes);
// True when both files exist and are byte for byte the same.
bool files_equal(const std::string& a, const std::string& b);

// ---- The program's process ----------------------------------------------

struct Program {
  PROCESS_INFORMATION process = {};
  HWND app = nullptr;     // application window, class "GzmlsdlClass"
  HWND dialog = nullptr;  // main dialog "部品テーブルダウンロード"

  Program() = default;
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;
  // Kills the process if it still runs and closes its handles.
  ~Program();
};

// Starts folder\partsdl.exe with the folder as current directory and an
// optional argument (passed as written).
bool start(Program* program, const Folder& folder, const char* argument = nullptr);
// The same in a program folder made elsewhere (the demo's), ending with a
// backslash.
bool start_in(Program* program, const std::string& folder, const char* argument = nullptr);
// Waits until the application window and the main dialog of the process
// exist and the dialog is visible; fills program->app and program->dialog.
bool wait_windows(Program* program, DWORD timeout_ms = kWaitMs);
// Waits for the process to end; gives its exit code through *code.
bool wait_exit(Program* program, DWORD timeout_ms, DWORD* code);
bool running(const Program& program);
void kill(Program* program);

// Top-level windows of a process with this class (and title, when given).
std::vector<HWND> process_windows(DWORD pid, const char* class_name, const wchar_t* title = nullptr);
// Number of top-level windows of this class in the whole desktop.
int count_windows(const char* class_name);

// ---- Controls --------------------------------------------------------------

HWND item(HWND dialog, int id);
// Window text as cp932 bytes.
std::string text(HWND window);
std::string item_text(HWND dialog, int id);
std::string class_name(HWND window);

// Presses a button (also a radio button) as a click would, and returns once
// the dialog has handled it or after timeout_ms (a command that opens a modal
// box keeps running).
void click(HWND dialog, int id, DWORD timeout_ms = 5000);
// Queues a button's command without waiting for it.
void post_click(HWND dialog, int id);
// Selects a list row and sends the selection-change notification the list
// box itself would send.
void select_row(HWND dialog, int id, int row, DWORD timeout_ms = 5000);
// Presses Escape in the control that has the keyboard focus.
void press_escape(const Program& program);

int list_count(HWND dialog, int id);
std::string list_text(HWND dialog, int id, int row);
std::vector<std::string> list_rows(HWND dialog, int id);
int list_selection(HWND dialog, int id);
bool checked(HWND dialog, int id);

// A control's rectangle in its parent's client coordinates.
RECT item_rect(HWND dialog, HWND control);

// ---- Message boxes ---------------------------------------------------------

// A message box of the process: a dialog with a static text of id 0xFFFF,
// other than the main dialog. Null when none appears within timeout_ms.
HWND wait_message_box(DWORD pid, DWORD timeout_ms = kWaitMs);
std::string message_box_text(HWND box);
// Presses OK (or the box's only other button) without waiting.
void answer_ok(HWND box);
// Waits until the box is gone.
bool wait_gone(HWND window, DWORD timeout_ms = kWaitMs);

// ---- The open-file dialog ------------------------------------------------

// An open-file dialog of the process: a dialog other than the main dialog
// with a file name box. Null when none appears within timeout_ms.
HWND wait_file_dialog(DWORD pid, DWORD timeout_ms = kWaitMs);
// The edit control the user types the file name into (the edit of the
// Explorer-style name combo 0x47C, or the old-style edit 0x480).
HWND file_name_box(HWND file_dialog);
// Types a text into an edit control character by character, as keys would.
void type_text(HWND edit, const std::string& cp932);
// The names the dialog's file view lists (read from the other process).
std::vector<std::string> listed_files(HWND file_dialog);
// The text of a combo box's current selection (such as the filter 0x470).
std::string combo_text(HWND dialog, int id);

// ---- Screen ----------------------------------------------------------------

struct Pixels {
  int width = 0, height = 0;
  std::vector<COLORREF> colour;  // row by row from the top
  COLORREF at(int x, int y) const { return colour[y * width + x]; }
};

// Brings the window in front and has it (and its children) repainted now.
void bring_to_front_and_paint(HWND window);
// Copies a screen rectangle.
Pixels capture(const RECT& screen_rect);
COLORREF screen_pixel(int x, int y);
// A control's client area in screen coordinates.
RECT client_on_screen(HWND control);
// Writes the whole screen as a 24-bit .bmp file.
bool screenshot(const std::string& path);

// ---- Small things --------------------------------------------------------

// Waits, handling the messages of the test's own windows meanwhile.
void pause_ms(DWORD ms);
// Runs `done` every 50 ms until it gives true or timeout_ms passed.
template <typename Done>
bool poll(DWORD timeout_ms, Done done) {
  DWORD start = GetTickCount();
  for (;;) {
    if (done()) return true;
    if (GetTickCount() - start >= timeout_ms) return false;
    pause_ms(50);
  }
}

// Conversions between the wide texts of window messages and cp932 bytes.
std::string to_cp932(const wchar_t* text, int length = -1);
std::wstring from_cp932(const std::string& text);
// cp932 bytes as UTF-8, for failure messages.
std::string readable(const std::string& cp932);

}  // namespace e2e
