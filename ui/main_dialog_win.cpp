#include "ui/main_dialog.h"

#include <shellapi.h>

#include <cstring>

#include "app/app_state.h"
#include "catalogue/list_display.h"
#include "catalogue/text_import.h"
#include "download/maker_host.h"
#include "resources/resource.h"
#include "store/parts_index.h"
#include "ui/arrow.h"
#include "ui/backups.h"
#include "ui/category_lists.h"
#include "ui/destinations.h"

namespace ui {
namespace {

const char kTitle[] = "部品テーブルダウンロード";
const char kStatusDownloadingLists[] = "部品リストファイルをダウンロード中です。";
const char kHelpPage[] = "http://" PARTSDL_MAKER_HOST "/pvnhp/down/parts/download-parts-help.htm";

constexpr int kMakerNameSize = 40;

// Everything the dialog owns while it is open. There is one main dialog per
// process; its state lives here so the dialog procedure stays a plain switch.
struct MainDialogState {
  HMODULE archive_library;
  HBITMAP arrow;
  HWND progress;
  int list_download_mode;
  int downloaded_list_count;
  int destination_code;
  int major_item;           // row of 401
  int class_item;           // row of 402
  int figure_entry;         // row of 403
  char maker_name[kMakerNameSize];
  int nothing_registered;
};

MainDialogState g_state;

void fill_all_category_lists(HWND dialog) {
  fill_category_list(dialog, g_state.destination_code, 1, g_state.major_item, 0, 0);
  fill_category_list(dialog, g_state.destination_code, 2, g_state.major_item, g_state.class_item, 0);
  fill_category_list(dialog, g_state.destination_code, 3, g_state.major_item, g_state.class_item,
                     g_state.figure_entry);
}

void clear_category_lists(HWND dialog) {
  for (int id = IDC_MAJOR_ITEMS; id <= IDC_FIGURES; ++id)
    SendDlgItemMessageA(dialog, id, LB_RESETCONTENT, 0, 0);
}

void initialise_dialog(HWND dialog) {
  g_state = MainDialogState();
  g_state.archive_library = LoadLibraryA("UNLHA32.DLL");
  SetDlgItemTextA(dialog, IDC_DEST_3DCAD, "3DCAD");
  SetDlgItemTextA(dialog, IDC_DEST_2DCAD, "2DCAD");
  g_state.arrow = LoadBitmapA(static_cast<HINSTANCE>(app::g_context.instance), "YAZIRUSI");
  attach_arrow(GetDlgItem(dialog, IDC_ARROW_PICTURE), g_state.arrow);
  SetDlgItemTextA(dialog, IDC_STATUS, kStatusDownloadingLists);
  g_state.downloaded_list_count = 0;

  g_state.destination_code = destination_code_for_index(0, g_state.destination_code);
  CheckRadioButton(dialog, IDC_DEST_3DCAD, IDC_DEST_OTHER,
                   IDC_DEST_3DCAD + destination_index(g_state.destination_code));
  fill_all_category_lists(dialog);

  ShowWindow(GetDlgItem(dialog, IDC_TEXT_IMPORT), SW_HIDE);
  SetWindowTextA(dialog, kTitle);
  // The list walk and the adoption of a command-line list file arrive with
  // the download worker; until then the dialog opens ready for work.
  g_state.list_download_mode = app::g_current_list_file[0] ? 0 : 1;

  take_backups(app::program_directory());
}

void close_keeping_changes(HWND dialog) {
  attach_arrow(GetDlgItem(dialog, IDC_ARROW_PICTURE), nullptr);
  if (g_state.arrow) DeleteObject(g_state.arrow);
  g_state.arrow = nullptr;
  delete_backups(app::program_directory());
  if (g_state.archive_library) FreeLibrary(g_state.archive_library);
  g_state.archive_library = nullptr;
  EndDialog(dialog, 0);
}

void restore_opening_state() {
  restore_classification_files(app::program_directory());
  store::restore_parts_index(app::program_directory());
}

void choose_destination(HWND dialog, int index) {
  g_state.destination_code = destination_code_for_index(index, g_state.destination_code);
  g_state.major_item = g_state.class_item = g_state.figure_entry = 0;
  clear_category_lists(dialog);
  fill_all_category_lists(dialog);
}

void major_item_selected(HWND dialog) {
  int row = static_cast<int>(SendDlgItemMessageA(dialog, IDC_MAJOR_ITEMS, LB_GETCURSEL, 0, 0));
  if (row < 0 || row >= 12 || row == g_state.major_item) return;
  g_state.major_item = row;
  g_state.class_item = g_state.figure_entry = 0;
  fill_category_list(dialog, g_state.destination_code, 2, row, 0, 0);
  fill_category_list(dialog, g_state.destination_code, 3, row, 0, 0);
}

void class_item_selected(HWND dialog) {
  int row = static_cast<int>(SendDlgItemMessageA(dialog, IDC_CLASS_ITEMS, LB_GETCURSEL, 0, 0));
  if (row < 0 || row >= 40 || row == g_state.class_item) return;
  g_state.class_item = row;
  g_state.figure_entry = 0;
  SendDlgItemMessageA(dialog, IDC_FIGURES, LB_RESETCONTENT, 0, 0);
  fill_category_list(dialog, g_state.destination_code, 3, g_state.major_item, row, 0);
}

INT_PTR on_command(HWND dialog, WPARAM wparam) {
  const int id = LOWORD(wparam);
  const int notification = HIWORD(wparam);
  switch (id) {
    case IDOK:
      close_keeping_changes(dialog);
      break;
    case IDCANCEL:
      restore_opening_state();
      close_keeping_changes(dialog);
      break;
    case IDC_DEST_3DCAD:
    case IDC_DEST_ROOF:
    case IDC_DEST_2DCAD:
    case IDC_DEST_SPEC:
    case IDC_DEST_OTHER:
      choose_destination(dialog, id - IDC_DEST_3DCAD);
      break;
    case IDC_MAJOR_ITEMS:
      if (notification == LBN_SELCHANGE) major_item_selected(dialog);
      break;
    case IDC_CLASS_ITEMS:
      if (notification == LBN_SELCHANGE) {
        class_item_selected(dialog);
        return 1;
      }
      break;
    case IDC_MAKERS:
      if (notification == LBN_SELCHANGE) catalogue::show_selected_maker(dialog);
      break;
    case IDC_TEXT_IMPORT:
      if (catalogue::text_import(dialog) == 1) catalogue::refresh_list_display(dialog);
      break;
    case IDC_INITIALISE:
      restore_opening_state();
      fill_all_category_lists(dialog);
      break;
    case IDC_HELP_PAGE:
      ShellExecuteA(dialog, "open", kHelpPage, nullptr, nullptr, SW_SHOWMAXIMIZED);
      break;
  }
  return 0;
}

INT_PTR CALLBACK main_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      initialise_dialog(dialog);
      return TRUE;
    case WM_COMMAND:
      return on_command(dialog, wparam);
  }
  return 0;
}

}  // namespace

void run_main_dialog(HWND owner) {
  DialogBoxParamA(static_cast<HINSTANCE>(app::g_context.instance), "ZKLST", owner,
                  main_dialog_proc, 0);
}

}  // namespace ui
