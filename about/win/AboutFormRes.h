// Resource identifiers of the About dialog: 2000-2099.
// OK and Cancel buttons use IDOK and IDCANCEL.
#pragma once

#define IDD_ABOUT 2000
#define IDC_ABOUT_TREE 2001
#define IDC_ABOUT_MEMO_ABOUT 2002
#define IDC_ABOUT_MEMO_DONATE 2003
#define IDC_ABOUT_MEMO_CONTACT 2004
