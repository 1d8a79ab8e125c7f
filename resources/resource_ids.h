/* Ids of the resources the add-in's module embeds, shared by trelvane.rc and the code. Plain
   defines, since windres reads this file too. */
#pragma once

/* The type library, as the registration loads it from the module. */
#define TRELVANE_TYPELIB_ID 1

/* Strings. */
#define IDS_PRODUCT_TITLE 57344
#define IDS_OPEN_WORKBOOK 1400
#define IDS_TRACE_ERROR_NEEDS_ERROR 1401
#define IDS_OPEN_WORKBOOK_TO_EVALUATE 1402

/* The progress window and its Stop button. */
#define IDD_LOADING_PROGRESS 1007
#define IDC_PROGRESS_STOP 1025

/* The window manager's frame and its icon. */
#define IDD_WINDOW_MANAGER 101
#define IDI_WINDOW_MANAGER 1058
// The trace windows' own icons where the ribbon uses Office's: dependents, precedents, trace
// error, evaluate formula.
#define IDI_DEPENDENTS_WINDOW 1005
#define IDI_PRECEDENTS_WINDOW 1006
#define IDI_TRACE_ERROR_WINDOW 1017
#define IDI_EVALUATE_WINDOW 3005

/* The window manager's painted buttons (16 x 16 icons), its tab menu with the tiling commands,
   and the string recording the base of the menu's item commands (40000 + item index). */
#define IDI_WNDMGR_CLOSE 102
#define IDI_WNDMGR_TILE 103
#define IDI_WNDMGR_MENU 104
#define IDM_WNDMGR_TAB_MENU 105
#define IDM_WNDMGR_STACKED 30000
#define IDM_WNDMGR_SIDE_BY_SIDE 30001
#define IDS_WNDMGR_FIRST_ITEM_COMMAND 40000

/* The About box: its template, its texts, the picture placeholder and the two web links
   (Close is IDCANCEL), and the picture drawn by draw_bitmaps.py. */
#define IDD_ABOUT_BOX 1090
#define IDC_ABOUT_PRODUCT 1091
#define IDC_ABOUT_VERSION 1092
#define IDC_ABOUT_NOTICE 1093
#define IDC_ABOUT_RIGHTS 1094
#define IDC_ABOUT_PICTURE 1095
#define IDC_ABOUT_MAKER_LINK 1096
#define IDC_ABOUT_PRODUCT_LINK 1097
#define IDB_ABOUT_PICTURE 1038

/* The trace window: its dialog and controls, and the drawn bitmaps (draw_bitmaps.py) of the
   toolbars, the trace image strip and the column tree's expand buttons. */
#define IDD_TRACE_WINDOW 1000
#define IDC_TRACE_FORMULA_BOX 3001
#define IDC_TRACE_TREE_HOST 3002
#define IDC_TRACE_VALUE_BOX 3003
#define IDC_TRACE_FIND_LABEL 1032
#define IDC_TRACE_FIND_BOX 1022
#define IDB_TOOLBAR 1029
#define IDB_TOOLBAR_DISABLED 3011
#define IDB_TRACE_IMAGES 3000
#define IDB_FIND_TOOLBAR 3012
#define IDB_EXPAND_BUTTONS 1036

/* The evaluate window: its dialog and the static that hosts its column tree. */
#define IDD_EVALUATE_WINDOW 1012
#define IDC_EVALUATE_TREE_HOST 3002
