// FIGDRAW.dll: the figure drawing library the program loads from its own
// folder. Its entries are stdcall with 32-bit arguments, exported without
// decoration and looked up by name:
//
//   int gmtg_oglini(HWND area, unsigned part, int background, int* settings)
//     sets up a drawing context for the window and the part (one per
//     window; a second call starts it afresh), so that a following
//     gmtg_zkidrw draws that part; `settings` is the application's record
//     of three 32-bit integers, accepted and left as it is.
//   int gmtg_zkimset(HWND area, unsigned part, int background)
//     loads the figure of the part (its low 16 bits) from the part file in
//     the parts store of the program folder (the folder of the executable),
//     with every part it refers to; a context's figure is otherwise loaded
//     on its first draw.
//   int gmtg_zkidrw(HWND area, int angle, int background)
//     draws the loaded figure over the window's client area, turned by
//     angle degrees counter-clockwise, on the background of the flag (0
//     white paper, else a black screen); a window without a context, or
//     whose part has no file, gets the background alone.
//   int gmtg_oglend(HWND area)
//     releases the window's drawing context.
//   int vgzk_lstdll(int destination, HWND owner, int* settings, void* work)
//     the figure list window of the destination's classification file, modal
//     over owner (see below); the work record is not read.
//
// Every entry gives 1 when it did its work and 0 otherwise.
//
// The figure list window (class kListWindowClass, caption "図形一覧") shows
// the 12 major items and the 40 classification items of the selected one in
// two lists, the 50 figure entries of the selected classification item in a
// third list (rows are slots; an empty name shows as three blanks) and as
// thumbnails with their names (10 columns of 5 rows, slot order, the
// selected slot framed; a click selects). The name of the selected figure
// can be changed (the edit field's text, cut at 23 bytes on a character
// boundary) and its entry removed (its 32 bytes zeroed); each change is
// written to the file at once, whole, beside it and then put in place.
// Controls answer as a user would drive them: select a row with
// LB_SETCURSEL and send WM_COMMAND (id, LBN_SELCHANGE); set the edit
// field's text and send BN_CLICKED for a button. The window also closes on
// WM_CLOSE and Escape.
#pragma once

namespace figure {

constexpr char kListWindowClass[] = "FigdrawFigureList";

enum ListControl {
  kMajorItemList = 1101,
  kClassItemList = 1102,
  kFigureList = 1103,
  kThumbnailPanel = 1104,
  kNameEdit = 1105,
  kRenameButton = 1106,
  kRemoveButton = 1107,
  kCloseButton = 1108,
};

// Thumbnail panel: cells of this size, kThumbnailColumns to a row.
constexpr int kThumbnailColumns = 10;
constexpr int kThumbnailSize = 64;
constexpr int kCellWidth = 68, kCellHeight = 84;

}  // namespace figure
