#pragma once
// Resource and control identifiers of ruvasetw.exe, shared by the resource script and the code.
//
// The settings pages and the information dialogs are described by the tables of pages/: a control's
// identifier follows from the index of its field in the page's table, so the dialog templates and the
// code agree without naming each control twice.
//   field i:              IDC_FIELD(i)          list, edit field, check box, or the first box of a bit field
//   box b of bit field i: IDC_FIELD(i) + b
//   label of field i:     IDC_FIELD_LABEL(i)    static text, or the group box of a bit field
//   page button k:        IDC_PAGE_BUTTON(k)    in the order of the page's button table

#define IDC_FIELD(i) (1000 + 32 * (i))
#define IDC_FIELD_LABEL(i) (2000 + (i))
#define IDC_PAGE_BUTTON(k) (3000 + (k))
#define IDC_INTRO 3100
#define IDC_PRODUCT_BITMAP 3101
#define IDC_PRODUCT_LINE 3102
#define IDC_PROGRAM_LINE 3103
#define IDC_BOARD_LINE 3104
#define IDC_RESOURCES 3105
#define IDC_FILE_ICON 3106
#define IDC_FILE_LABEL 3107
#define IDC_BOARD_ICON 3108
#define IDC_BOARD_LABEL 3109
#define IDC_SIMULATED_LINE 3110

// Icon, bitmaps, manifest.
#define IDI_PROGRAM 1
#define IDB_PRODUCT 101
#define IDB_FILE 102

// Dialog templates.
#define IDD_MAIN_GENERAL 201
#define IDD_MAIN_BOARD 202
#define IDD_BRD_E1 203
#define IDD_BRD_T1 204
#define IDD_BRD_GENERAL 205
#define IDD_MAIN_RESOURCES 206
#define IDD_BRD_RESOURCES 207
#define IDD_BRD_SERIAL_NO 208
