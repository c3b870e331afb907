// The common open-file dialog of the program, seen from the test: found by
// its file name box, typed into, and its file view read across processes.
#include <windows.h>
#include <commctrl.h>

#include "tests/e2e/driver.h"

namespace e2e {
namespace {

constexpr int kNameCombo = 0x47C;  // cmb13, Explorer-style
constexpr int kNameEdit = 0x480;   // edt1, old style (and Wine's)

BOOL CALLBACK find_list_view(HWND child, LPARAM param) {
  if (class_name(child) == "SysListView32") {
    *reinterpret_cast<HWND*>(param) = child;
    return FALSE;
  }
  return TRUE;
}

// The name combo is a ComboBoxEx32 (Wine) or a ComboBox; the edit sits one
// or two levels below it.
BOOL CALLBACK find_edit(HWND child, LPARAM param) {
  if (class_name(child) == "Edit") {
    *reinterpret_cast<HWND*>(param) = child;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

HWND wait_file_dialog(DWORD pid, DWORD timeout_ms) {
  HWND found = nullptr;
  poll(timeout_ms, [&] {
    for (HWND window : process_windows(pid, "#32770")) {
      if (GetDlgItem(window, 401) || !IsWindowVisible(window)) continue;
      if (!file_name_box(window)) continue;
      found = window;
      return true;
    }
    return false;
  });
  return found;
}

HWND file_name_box(HWND file_dialog) {
  HWND combo = GetDlgItem(file_dialog, kNameCombo);
  if (combo) {
    HWND edit = nullptr;
    EnumChildWindows(combo, find_edit, reinterpret_cast<LPARAM>(&edit));
    if (edit) return edit;
  }
  return GetDlgItem(file_dialog, kNameEdit);
}

void type_text(HWND edit, const std::string& cp932) {
  DWORD_PTR result = 0;
  SendMessageTimeoutW(edit, WM_SETFOCUS, 0, 0, SMTO_NORMAL, 3000, &result);
  for (wchar_t c : from_cp932(cp932))
    SendMessageTimeoutW(edit, WM_CHAR, c, 1, SMTO_NORMAL, 3000, &result);
}

std::vector<std::string> listed_files(HWND file_dialog) {
  std::vector<std::string> names;
  HWND view = nullptr;
  EnumChildWindows(file_dialog, find_list_view, reinterpret_cast<LPARAM>(&view));
  if (!view) return names;
  DWORD pid = 0;
  GetWindowThreadProcessId(view, &pid);
  HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
  if (!process) return names;
  // The item record and its text buffer live in the program's memory, where
  // the list view writes the answer.
  const SIZE_T text_size = 260;
  char* remote = static_cast<char*>(VirtualAllocEx(process, nullptr, sizeof(LVITEMW) + text_size * 2,
                                                   MEM_COMMIT, PAGE_READWRITE));
  if (remote) {
    int count = static_cast<int>(SendMessageW(view, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
      LVITEMW item = {};
      item.mask = LVIF_TEXT;
      item.iItem = i;
      item.pszText = reinterpret_cast<wchar_t*>(remote + sizeof(LVITEMW));
      item.cchTextMax = text_size;
      wchar_t text[text_size] = {};
      SIZE_T moved = 0;
      if (!WriteProcessMemory(process, remote, &item, sizeof item, &moved)) break;
      SendMessageW(view, LVM_GETITEMTEXTW, i, reinterpret_cast<LPARAM>(remote));
      if (!ReadProcessMemory(process, remote + sizeof(LVITEMW), text, sizeof text - 2, &moved)) break;
      names.push_back(to_cp932(text));
    }
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  }
  CloseHandle(process);
  return names;
}

std::string combo_text(HWND dialog, int id) {
  HWND combo = GetDlgItem(dialog, id);
  int row = static_cast<int>(SendMessageW(combo, CB_GETCURSEL, 0, 0));
  if (row < 0) return "";
  int length = static_cast<int>(SendMessageW(combo, CB_GETLBTEXTLEN, row, 0));
  if (length < 0) return "";
  std::vector<wchar_t> text(length + 2);
  SendMessageW(combo, CB_GETLBTEXT, row, reinterpret_cast<LPARAM>(text.data()));
  return to_cp932(text.data());
}

}  // namespace e2e
