#include "ui/main_dialog_win.h"

#include <shellapi.h>

#include <cstring>

#include "catalogue/file_chooser.h"
#include "download/download.h"
#include "download/maker_host.h"
#include "download/request_queue.h"
#include "download/worker.h"
#include "flow/destinations.h"
#include "flow/run.h"
#include "resources/resource.h"
#include "ui/arrow_win.h"
#include "ui/figure_library_win.h"
#include "ui/list_box_win.h"
#include "ui/preview_dialog_win.h"
#include "ui/text_import_win.h"

namespace ui {
namespace {

const char kTitle[] = "部品テーブルダウンロード";
const char kNoFigureLibrary[] =
    "FIGDRAW.dll が読み込めないため、図形を表示できません。\n"
    "FIGDRAW.dll をこのプログラムのフォルダーに置いてから、もう一度実行して下さい。";
const char kHelpPage[] = "http://" PARTSDL_MAKER_HOST "/pvnhp/down/parts/download-parts-help.htm";

// A maker is looked up by at most this many bytes of its row.
constexpr size_t kMakerRowMax = 79;

INT_PTR CALLBACK list_selection_proc(HWND, UINT, WPARAM, LPARAM);
INT_PTR CALLBACK overwrite_proc(HWND, UINT, WPARAM, LPARAM);

// What the confirmation shows and hands back.
struct OverwriteQuestion {
  const char* figure_name;
  int state;
};

// The progress dialog does nothing itself; its 中断 asks the main dialog to
// end the list walk.
INT_PTR CALLBACK progress_proc(HWND progress, UINT message, WPARAM wparam, LPARAM) {
  if (message == WM_COMMAND && LOWORD(wparam) == IDCANCEL)
    PostMessageA(GetWindow(progress, GW_OWNER), WM_COMMAND, IDC_STOP_WALK, 0);
  return 0;
}

// The run's view over the dialog's controls.
class DialogView : public flow::View {
 public:
  HWND dialog = nullptr;
  HWND progress = nullptr;
  HINSTANCE instance = nullptr;
  flow::Run* run = nullptr;
  HCURSOR previous_cursor = nullptr;
  int wait_depth = 0;  // the wait cursor is asked for inside its own steps too

  void show_category_list(int level, const std::vector<std::string>* rows, int selected) override {
    HWND list = GetDlgItem(dialog, IDC_MAJOR_ITEMS + level - 1);
    if (rows) fill_list_box(list, *rows);
    SendMessageA(list, LB_SETCURSEL, selected, 0);
  }
  void clear_category_lists() override {
    for (int id = IDC_MAJOR_ITEMS; id <= IDC_FIGURES; ++id)
      SendDlgItemMessageA(dialog, id, LB_RESETCONTENT, 0, 0);
  }
  void show_caption(const std::string& caption) override {
    SetWindowTextA(dialog, caption.c_str());
  }
  void show_status(const char* text) override { SetDlgItemTextA(dialog, IDC_STATUS, text); }
  void show_makers(const std::vector<std::string>& makers) override {
    HWND list = GetDlgItem(dialog, IDC_MAKERS);
    fill_list_box(list, makers);
    SendMessageA(list, LB_SETCURSEL, 0, 0);
  }
  void show_part_lists(const std::vector<std::string>& added,
                       const std::vector<std::string>& deleted) override {
    fill_list_box(GetDlgItem(dialog, IDC_ADDED_PARTS), added);
    fill_list_box(GetDlgItem(dialog, IDC_DELETED_PARTS), deleted);
  }
  void tell(const char* text, const char* caption) override {
    MessageBoxA(dialog, text, caption, MB_OK);
  }
  void set_enabled(bool enabled) override { EnableWindow(dialog, enabled); }
  void open_progress() override {
    if (progress) return;
    progress = CreateDialogParamA(instance, "DOWNLOAD", dialog, progress_proc, 0);
    // 中断 ends the list walk; no other download phase can be cut short.
    if (progress && run->walk != flow::WalkState::Running)
      ShowWindow(GetDlgItem(progress, IDCANCEL), SW_HIDE);
  }
  void close_progress() override {
    if (progress) DestroyWindow(progress);
    progress = nullptr;
  }
  void show_progress(const char* text) override {
    if (progress) SetDlgItemTextA(progress, IDC_STATUS, text);
  }
  void show_figure_row(int row, const std::string& name) override {
    HWND list = GetDlgItem(dialog, IDC_FIGURES);
    SendMessageA(list, LB_DELETESTRING, row, 0);
    SendMessageA(list, LB_INSERTSTRING, row, reinterpret_cast<LPARAM>(name.c_str()));
    SendMessageA(list, LB_SETCURSEL, row, 0);
  }
  int confirm_overwrite(const char* figure_name, int state) override {
    OverwriteQuestion question = {figure_name, state};
    return static_cast<int>(DialogBoxParamA(instance, "DLUPDATE", dialog, overwrite_proc,
                                            reinterpret_cast<LPARAM>(&question)));
  }
  void show_wait_cursor(bool on) override {
    if (on && wait_depth++ == 0) previous_cursor = SetCursor(LoadCursorA(nullptr, IDC_WAIT));
    if (!on && wait_depth > 0 && --wait_depth == 0) SetCursor(previous_cursor);
  }
  int run_list_selection() override {
    return static_cast<int>(DialogBoxParamA(instance, "SELST", dialog, list_selection_proc,
                                            reinterpret_cast<LPARAM>(run)));
  }
};

// "SELST": opens on the titles of the walk's list files, or closes at once
// with 0 when there are none; 了解 takes the selected line.
INT_PTR CALLBACK list_selection_proc(HWND selection, UINT message, WPARAM wparam, LPARAM lparam) {
  flow::Run* run = reinterpret_cast<flow::Run*>(GetWindowLongPtrA(selection, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG: {
      SetWindowLongPtrA(selection, DWLP_USER, lparam);
      run = reinterpret_cast<flow::Run*>(lparam);
      std::vector<std::string> titles;
      int selected = 0;
      if (!flow::list_selection_lines(run, &titles, &selected)) {
        EndDialog(selection, 0);
        return TRUE;
      }
      HWND list = GetDlgItem(selection, IDC_LISTS);
      fill_list_box(list, titles);
      SendMessageA(list, LB_SETCURSEL, selected, 0);
      return TRUE;
    }
    case WM_COMMAND:
      if (LOWORD(wparam) == IDOK && run) {
        int line = static_cast<int>(SendDlgItemMessageA(selection, IDC_LISTS, LB_GETCURSEL, 0, 0));
        flow::choose_listed_file(run, line < 0 ? 0 : line);
        EndDialog(selection, 1);
        return TRUE;
      }
      break;
  }
  return FALSE;
}

// "DLUPDATE": the question for one part; each button ends it with its answer.
INT_PTR CALLBACK overwrite_proc(HWND box, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_INITDIALOG: {
      const OverwriteQuestion* question = reinterpret_cast<const OverwriteQuestion*>(lparam);
      const char* format =
          question->state == 0
              ? "%s は既にリスト登録されています。\n部品データをダウンロードして上書きしますか？\n"
              : "%s は部品が存在します。\n部品データをダウンロードして上書きしますか？\n";
      char text[256];
      wsprintfA(text, format, question->figure_name);
      SetDlgItemTextA(box, IDC_OVERWRITE_TEXT, text);
      return TRUE;
    }
    case WM_COMMAND:
      switch (LOWORD(wparam)) {
        case IDC_OVERWRITE_YES: EndDialog(box, 1); return TRUE;
        case IDC_OVERWRITE_ALL: EndDialog(box, 2); return TRUE;
        case IDC_OVERWRITE_NO: EndDialog(box, 3); return TRUE;
        case IDCANCEL: EndDialog(box, -1); return TRUE;
      }
      break;
  }
  return FALSE;
}

// The run's downloads go to the program's worker.
class WorkerDownloader : public flow::Downloader {
 public:
  DownloadWorker* worker = nullptr;

  Handed request(const char* remote, const char* local, int32_t tag, int32_t value) override {
    char path[download::kMaxPath + 1];
    if (std::strlen(remote) >= sizeof path) return kRefused;
    std::strcpy(path, remote);
    switch (download_worker_offer(worker, path, local, tag, value)) {
      case download::Queued::Full: return kNoRoom;
      case download::Queued::TooLong: return kRefused;
      case download::Queued::Duplicate: return kAlreadyQueued;
      case download::Queued::Recent: return kRecentlyDone;
      default: return kQueued;
    }
  }
  void forget_recent(const char* remote) override {
    char path[download::kMaxPath + 1];
    if (std::strlen(remote) >= sizeof path) return;
    std::strcpy(path, remote);
    download_worker_forget_recent(worker, path);
  }
};

// The archive library loaded at opening; "Unlha" is looked up at each use.
class LoadedArchiveLibrary : public flow::ArchiveLibrary {
 public:
  HWND dialog = nullptr;
  HMODULE module = nullptr;

  bool unlha(const char* command) override {
    typedef int(WINAPI * UnlhaEntry)(HWND, LPCSTR, LPSTR, DWORD);
    UnlhaEntry entry =
        module
            ? reinterpret_cast<UnlhaEntry>(reinterpret_cast<void*>(GetProcAddress(module, "Unlha")))
            : nullptr;
    if (!entry) return false;
    char output[1000];
    entry(dialog, command, output, sizeof output);
    return true;
  }
};

// Everything the dialog owns while it is open.
struct MainDialog {
  MainDialogSetup setup;
  DialogView view;
  WorkerDownloader downloader;
  flow::Run run;
  LoadedArchiveLibrary archive_library;
  LoadedFigureLibrary figure_library;
  HBITMAP arrow;
  char remembered_directory[catalogue::kChooserPathSize];
};

std::string selected_maker(HWND dialog) {
  HWND makers = GetDlgItem(dialog, IDC_MAKERS);
  int row = static_cast<int>(SendMessageA(makers, LB_GETCURSEL, 0, 0));
  if (row < 0) return std::string();
  LRESULT length = SendMessageA(makers, LB_GETTEXTLEN, row, 0);
  if (length == LB_ERR) return std::string();
  std::string text(static_cast<size_t>(length) + 1, '\0');
  SendMessageA(makers, LB_GETTEXT, row, reinterpret_cast<LPARAM>(&text[0]));
  text.resize(std::strlen(text.c_str()));
  if (text.size() > kMakerRowMax) text.resize(kMakerRowMax);
  return text;
}

int selected_row(HWND dialog, int id) {
  return static_cast<int>(SendDlgItemMessageA(dialog, id, LB_GETCURSEL, 0, 0));
}

void end_dialog(HWND dialog, MainDialog* state) {
  attach_arrow(GetDlgItem(dialog, IDC_ARROW_PICTURE), nullptr);
  if (state->arrow) DeleteObject(state->arrow);
  state->arrow = nullptr;
  if (state->archive_library.module) FreeLibrary(state->archive_library.module);
  state->archive_library.module = nullptr;
  if (state->figure_library.module) FreeLibrary(state->figure_library.module);
  state->figure_library.module = nullptr;
  EndDialog(dialog, 0);
}

void initialise_dialog(HWND dialog, MainDialog* state) {
  state->view.dialog = dialog;
  state->view.instance = state->setup.instance;
  state->view.run = &state->run;
  state->downloader.worker = state->setup.worker;
  state->archive_library.dialog = dialog;
  state->archive_library.module = LoadLibraryA("UNLHA32.DLL");
  state->figure_library.module = LoadLibraryA("FIGDRAW.dll");
  state->figure_library.drawing_settings = state->setup.drawing_settings;
  SetDlgItemTextA(dialog, IDC_DEST_3DCAD, "3DCAD");
  SetDlgItemTextA(dialog, IDC_DEST_2DCAD, "2DCAD");
  state->arrow = LoadBitmapA(state->setup.instance, "YAZIRUSI");
  attach_arrow(GetDlgItem(dialog, IDC_ARROW_PICTURE), state->arrow);
  CheckRadioButton(dialog, IDC_DEST_3DCAD, IDC_DEST_OTHER, IDC_DEST_3DCAD);
  ShowWindow(GetDlgItem(dialog, IDC_TEXT_IMPORT), SW_HIDE);
  SetWindowTextA(dialog, kTitle);
  download_worker_set_window(state->setup.worker, dialog);
  // A library that could not be brought back from a run that died is left
  // as it is, with that run's journal and copies, for the next start.
  if (!flow::open_run(&state->run, &state->view, &state->downloader, state->setup.program_directory,
                      state->setup.list_file_argument, &state->archive_library))
    end_dialog(dialog, state);
}

void close_dialog(HWND dialog, MainDialog* state) {
  state->view.close_progress();
  // Downloads stop first (the transfers in progress finish, the rest are
  // dropped), so that no file arrives after the work files are cleaned up.
  download_worker_shutdown(state->setup.worker);
  flow::close_run(&state->run);
  end_dialog(dialog, state);
}

void on_command(HWND dialog, MainDialog* state, int id, int notification) {
  flow::Run* run = &state->run;
  switch (id) {
    case IDOK: close_dialog(dialog, state); break;
    case IDCANCEL:
      if (flow::cancel(run)) close_dialog(dialog, state);
      break;
    case IDC_DEST_3DCAD:
    case IDC_DEST_ROOF:
    case IDC_DEST_2DCAD:
    case IDC_DEST_SHEETS:
    case IDC_DEST_OTHER: flow::choose_destination(run, id - IDC_DEST_3DCAD); break;
    case IDC_MAJOR_ITEMS:
      if (notification == LBN_SELCHANGE)
        flow::choose_major_item(run, selected_row(dialog, IDC_MAJOR_ITEMS));
      break;
    case IDC_CLASS_ITEMS:
      if (notification == LBN_SELCHANGE)
        flow::choose_class_item(run, selected_row(dialog, IDC_CLASS_ITEMS));
      break;
    case IDC_MAKERS:
      if (notification == LBN_SELCHANGE) flow::choose_maker(run, selected_maker(dialog));
      break;
    case IDC_TEXT_IMPORT: {
      char path[flow::kListFilePathSize];
      if (choose_list_file(dialog, state->setup.program_directory, state->remembered_directory,
                           path, sizeof path))
        flow::adopt_list_file(run, path);
      break;
    }
    case IDC_ADD: flow::add(run); break;
    case IDC_PREVIEW:
      if (!run->maker_selected) break;
      if (state->figure_library.module)
        run_preview_dialog(state->setup.instance, dialog, run, &state->figure_library);
      else
        MessageBoxA(dialog, kNoFigureLibrary, "ﾌﾟﾚﾋﾞｭｰ", MB_OK);
      break;
    case IDC_SHOW_FIGURES:
      if (!state->figure_library.show_figure_list(run->destination_code, dialog))
        MessageBoxA(dialog, kNoFigureLibrary, "表示", MB_OK);
      flow::refill_category_lists(run);
      break;
    case IDC_DELETE: flow::delete_parts(run); break;
    case IDC_INITIALISE: flow::initialise(run); break;
    case IDC_LIST_SELECT: flow::choose_list(run); break;
    case IDC_STOP_WALK: flow::stop_list_walk(run); break;
    case IDC_HELP_PAGE:
      ShellExecuteA(dialog, "open", kHelpPage, nullptr, nullptr, SW_SHOWMAXIMIZED);
      break;
  }
}

INT_PTR CALLBACK main_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  MainDialog* state = reinterpret_cast<MainDialog*>(GetWindowLongPtrA(dialog, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG:
      state = reinterpret_cast<MainDialog*>(lparam);
      SetWindowLongPtrA(dialog, DWLP_USER, lparam);
      initialise_dialog(dialog, state);
      return TRUE;
    case WM_COMMAND:
      if (!state) return 0;
      on_command(dialog, state, LOWORD(wparam), HIWORD(wparam));
      // A handled change of the classification item is reported as handled.
      return LOWORD(wparam) == IDC_CLASS_ITEMS && HIWORD(wparam) == LBN_SELCHANGE;
    case WM_DL_DONE:
    case WM_DL_FAILED:
      if (state)
        flow::on_download_report(&state->run, message == WM_DL_DONE, static_cast<uint32_t>(wparam),
                                 static_cast<int32_t>(lparam));
      return 0;
    case WM_DL_PENDING:
      if (state) flow::on_download_pending(&state->run);
      return 0;
  }
  return 0;
}

}  // namespace

void run_main_dialog(HWND owner, const MainDialogSetup& setup) {
  MainDialog* state = new MainDialog();
  state->setup = setup;
  DialogBoxParamA(setup.instance, "ZKLST", owner, main_dialog_proc,
                  reinterpret_cast<LPARAM>(state));
  download_worker_set_window(setup.worker, nullptr);
  delete state;
}

}  // namespace ui
