/* Ids of dialogs, controls, menus and icons (shared by the .rc files and the code). */
#pragma once

#define IDD_PROGRESS            265
#define IDC_PROGRESS_BAR        1083
#define IDC_PROGRESS_TEXT1      1085
#define IDC_PROGRESS_TEXT2      1086
#define IDC_PROGRESS_ABORT      1309

#define IDI_MAIN_LARGE          107
#define IDI_MAIN_SMALL          108
#define IDM_MAIN_MENU           241
