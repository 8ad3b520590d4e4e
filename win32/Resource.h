#pragma once
// Resource and control identifiers of ruvasetw.exe, shared by the resource script and the code.
//
// The controls of the pages and the information dialogs are named by the tables of pages/, and their
// identifiers are made from those names (ControlIds.h, written by ResourceTables.cpp): the field or button
// "<Name>" is IDC_<Name>, its label (or the group box of a bit field) IDC_<Name>Label, and the check box
// of bit b of a bit field IDC_<Name> + b. The dialog templates place the controls by these names, and
// the code finds them by the names in the tables, whatever the tables' order.

#include "ControlIds.h"

#define IDC_INTRO 3100
#define IDC_PRODUCT_BITMAP 3101
#define IDC_PRODUCT_LINE 3102
#define IDC_PROGRAM_LINE 3103
#define IDC_BOARD_LINE 3104
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
#define IDD_MAIN_ABOUT 201
#define IDD_MAIN_BOARD 202
#define IDD_BRD_E1 203
#define IDD_BRD_T1 204
#define IDD_BRD_GENERAL 205
#define IDD_MAIN_RESOURCES 206
#define IDD_BRD_RESOURCES 207
#define IDD_BRD_SERIAL_NO 208

#ifndef RC_INVOKED
#include <string_view>

namespace ruva::win32 {

// The identifier of the control named `name` in the tables of pages/, and of its label; 0 when no
// table names it.
int ControlId(std::string_view name);
int LabelId(std::string_view name);

} // namespace ruva::win32
#endif
