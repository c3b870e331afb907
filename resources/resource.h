// Control and resource ids shared by the resource script, the dialogs and
// the end-to-end tests. Plain #defines, as windres reads this file too.
#pragma once

// Main dialog "ZKLST".
#define IDC_SHOW_FIGURES     101  // 表示
#define IDC_DEST_3DCAD       181  // destination radio buttons, 181 + index
#define IDC_DEST_ROOF        182
#define IDC_DEST_2DCAD       183
#define IDC_DEST_SHEETS      184
#define IDC_DEST_OTHER       185
#define IDC_HEAD_CLASS_ITEMS 202
#define IDC_HEAD_FIGURES     203
#define IDC_HEAD_MAKERS      204
#define IDC_HEAD_ADDED       205
#define IDC_HEAD_DELETED     206
#define IDC_HEAD_MAJOR_ITEMS 208
#define IDC_STATUS           209  // status line (also the text of "DOWNLOAD")
#define IDC_HINT             210
#define IDC_MAJOR_ITEMS      401
#define IDC_CLASS_ITEMS      402
#define IDC_FIGURES          403
#define IDC_MAKERS           404
#define IDC_ADDED_PARTS      405
#define IDC_DELETED_PARTS    406
#define IDC_ADD              901
#define IDC_DELETE           902
#define IDC_INITIALISE       903
#define IDC_LIST_SELECT      904
#define IDC_HELP_PAGE        905
#define IDC_PREVIEW          906
#define IDC_TEXT_IMPORT      907
#define IDC_ARROW_PICTURE    1001
#define IDC_STOP_WALK        1002  // command from the progress dialog's 中断, not a control

// List selection "SELST".
#define IDC_LISTS 401

// Add's confirmation "DLUPDATE".
#define IDC_OVERWRITE_TEXT 101
#define IDC_OVERWRITE_YES  901
#define IDC_OVERWRITE_ALL  902
#define IDC_OVERWRITE_NO   903

// The preview "ZkiView" (its part lists are IDC_ADDED_PARTS and
// IDC_DELETED_PARTS, with their headings, as in the main dialog).
#define IDC_PREVIEW_AREA       101
#define IDC_PREVIEW_BACKGROUND 201
#define IDC_PREVIEW_ROTATE     202

// The arrow bitmap and the icon are named resources: "YAZIRUSI", "ZKI".
// Dialog templates are named too: "ZKLST", "DOWNLOAD", "SELST",
// "DLUPDATE", "ZkiView".
