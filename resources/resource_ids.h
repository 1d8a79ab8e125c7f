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
