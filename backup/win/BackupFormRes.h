// Resource identifiers of the Backup dialog: 2300-2399.
// OK and Cancel buttons use IDOK and IDCANCEL.
#pragma once

#define IDD_BACKUP 2300
#define IDC_BACKUP_TREE 2301
#define IDC_BACKUP_LIST 2302
#define IDC_BACKUP_CHECK_RESTORE 2303
#define IDC_BACKUP_CHECK_SETS 2304
#define IDC_BACKUP_SIZE 2305
#define IDC_BACKUP_REMOVE_RESTORE 2306
#define IDC_BACKUP_SELECT_ALL 2307
#define IDC_BACKUP_BLOCK_NOTE 2308
