#include "ui/preview_dialog_win.h"

#include <string>

#include "resources/resource.h"
#include "ui/list_box_win.h"

namespace ui {
namespace {

struct PreviewDialog {
  flow::Run* run;
  LoadedFigureLibrary* library;
  flow::Preview preview;
};

std::string selected_text(HWND list) {
  LRESULT row = SendMessageA(list, LB_GETCURSEL, 0, 0);
  LRESULT length = row < 0 ? LB_ERR : SendMessageA(list, LB_GETTEXTLEN, row, 0);
  if (length == LB_ERR) return std::string();
  std::string text(static_cast<size_t>(length) + 1, '\0');
  SendMessageA(list, LB_GETTEXT, row, reinterpret_cast<LPARAM>(&text[0]));
  text.resize(static_cast<size_t>(length));
  return text;
}

INT_PTR CALLBACK preview_proc(HWND box, UINT message, WPARAM wparam, LPARAM lparam) {
  PreviewDialog* state = reinterpret_cast<PreviewDialog*>(GetWindowLongPtrA(box, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG: {
      SetWindowLongPtrA(box, DWLP_USER, lparam);
      state = reinterpret_cast<PreviewDialog*>(lparam);
      state->library->area = GetDlgItem(box, IDC_PREVIEW_AREA);
      if (!flow::open_preview(state->run, &state->preview, state->library)) {
        EndDialog(box, 0);
        return TRUE;
      }
      fill_list_box(GetDlgItem(box, IDC_ADDED_PARTS), state->preview.added);
      fill_list_box(GetDlgItem(box, IDC_DELETED_PARTS), state->preview.deleted);
      if (state->preview.first_list)
        SendDlgItemMessageA(box, state->preview.first_list, LB_SETCURSEL, 0, 0);
      return TRUE;
    }
    case WM_PAINT: {
      if (!state) return FALSE;
      PAINTSTRUCT paint;
      BeginPaint(box, &paint);
      EndPaint(box, &paint);
      UpdateWindow(state->library->area);
      flow::preview_paint(state->preview, state->library);
      return TRUE;
    }
    case WM_COMMAND:
      if (!state) return FALSE;
      switch (LOWORD(wparam)) {
        case IDC_PREVIEW_BACKGROUND:
          flow::preview_toggle_background(&state->preview, state->library);
          return TRUE;
        case IDC_PREVIEW_ROTATE: flow::preview_rotate(&state->preview, state->library); return TRUE;
        case IDC_ADDED_PARTS:
        case IDC_DELETED_PARTS:
          if (HIWORD(wparam) == LBN_SELCHANGE)
            flow::preview_choose_row(&state->preview, state->library,
                                     selected_text(reinterpret_cast<HWND>(lparam)));
          return TRUE;
        case IDOK:
          flow::close_preview(state->run, state->library);
          EndDialog(box, 1);
          return TRUE;
        case IDCANCEL: return TRUE;  // Escape does nothing: 了 解 is the way out
      }
      break;
  }
  return FALSE;
}

}  // namespace

int run_preview_dialog(HINSTANCE instance, HWND owner, flow::Run* run,
                       LoadedFigureLibrary* library) {
  PreviewDialog state = {run, library, flow::Preview()};
  INT_PTR result =
      DialogBoxParamA(instance, "ZkiView", owner, preview_proc, reinterpret_cast<LPARAM>(&state));
  library->area = nullptr;
  return static_cast<int>(result);
}

}  // namespace ui
