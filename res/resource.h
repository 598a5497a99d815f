// Resource identifiers, shared by voltrim.rc and the code. Plain #defines, so
// that windres reads them as well as the compiler.
#pragma once

// Dialog templates.
#define IDD_MAIN 104
#define IDD_ABOUT 106

// Controls of the settings dialog. IDOK (1) is "&Keep Line".
#define IDC_SPEED 1001
#define IDC_EXIT 1002
#define IDC_ACTIVE 1003
#define IDC_BLINK 1004
#define IDC_POSITION 1005
#define IDC_COLOUR 1006
#define IDC_ABOUT 1009
#define IDC_DOTTED 1011
// Group boxes, pictures and labels that no code addresses.
#define IDC_STATIC -1

// Pictures placed in the settings dialog.
#define IDB_MINUS 115
#define IDB_PLUS 116
#define IDB_ARROWS 117
#define IDB_CHECK 118
#define IDB_CROSS 119
#define IDB_EXCLAMATION 121

// The program's icon group; windres numbers its two images 1 and 2.
#define IDI_VOLTRIM 101

// Accelerator table of the message loop, and the command of its Ctrl+A entry,
// which nothing handles (Ctrl+Q sends IDOK).
#define IDR_ACCELERATORS 3
#define IDM_CTRL_A 40003

// String table; no code loads these.
#define IDS_APP_TITLE 1
#define IDS_APP_NAME 3
#define IDS_INFO 104
#define IDS_TOP 105
