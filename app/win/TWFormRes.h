// Control and command identifiers of the main window. Shared with the
// Windows-side test driver, which finds the controls by these numbers.
#pragma once

// Window classes (the test driver looks the windows up by class).
#define TW_CLASS_MAIN L"TTWForm"
#define TW_CLASS_ABOUT L"TAboutForm"
#define TW_CLASS_LOG L"TLogForm"
#define TW_CLASS_OPTIONS L"TOptionsForm"
#define TW_CLASS_BACKUP L"TBackupForm"
#define TW_CLASS_DESKTOP L"TDesktopIcon"
#define TW_CLASS_PREVIEW L"TPreviewForm"

// Main window controls: 1000-1099
#define IDC_TOOLBAR 1000
#define IDC_LABEL_SELECT 1001
#define IDC_LIST_ITEMS 1002        // ListBoxItemList: available targets
#define IDC_LABEL_REMOVE 1003
#define IDC_LIST_CLEAN 1004        // ListBoxCleanItems: targets to clean
#define IDC_BUTTON_SELECT 1005     // ">"
#define IDC_BUTTON_SELECT_ALL 1006 // ">>"
#define IDC_BUTTON_DELETE_ALL 1007 // "<<"
#define IDC_BUTTON_DELETE 1008     // "<"
#define IDC_PROGRESS 1009
#define IDC_BANNER 1010

// Tool buttons and menu commands: 1100-1199
#define IDM_CLEAN 1100             // CleanButtonMenu, Ctrl+R
#define IDM_LOG 1101               // LogButtonMenu, Tools > Log, Ctrl+L
#define IDM_BACKUP 1102            // BackupButtonMenu, Tools > Backup, Ctrl+B
#define IDM_OPTIONS 1103           // OptionsButtonMenu, Tools > Options, Ctrl+O
#define IDM_DESKTOP_ICON 1104      // DesktopIconMenu, Tools > Desktop Icon Restorer, Ctrl+D
#define IDM_CONTENTS 1105          // HelpButtonMenu, Help > Contents, F1
#define IDM_CLOSE 1106             // Menu > Close, Ctrl+Q
#define IDM_ABOUT 1107             // Help > About, Ctrl+A
#define IDM_HOMEPAGE 1108          // Help > Home Page, Ctrl+H
#define IDM_PREVIEW 1109           // Tools > Preview, Ctrl+P
#define IDM_TRAY_MINIMIZE 1110
#define IDM_TRAY_RESTORE 1111
#define IDM_TRAY_EXIT 1112

// Resources
#define IDR_MAINMENU 100
#define IDR_ACCEL 101
#define IDR_TRAYMENU 102
#define IDI_APP 1
#define IDR_PNG_CLEAN 200
#define IDR_PNG_LOG 201
#define IDR_PNG_BACKUP 202
#define IDR_PNG_OPTIONS 203
#define IDR_PNG_DESKTOP 204
#define IDR_PNG_HELP 205
#define IDR_JPEG_BANNER 210
