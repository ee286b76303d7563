// Resource identifiers of the Log dialog: 2100-2199.
// OK and Cancel buttons use IDOK and IDCANCEL.
#pragma once

#define IDD_LOG 2100
#define IDC_LOG_TREE 2101
#define IDC_LOG_LIST 2102
#define IDC_LOG_MEMO 2103
#define IDC_LOG_CHECKLIST 2104
#define IDC_LOG_REMOVE 2105
#define IDC_LOG_SELECT_ALL 2106
