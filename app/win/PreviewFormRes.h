// Resource identifiers of the Preview window: 2500-2599.
// Close uses IDCANCEL, so Esc and the caption's close box close it too.
#pragma once

#define IDD_PREVIEW 2500
#define IDC_PREVIEW_TEXT 2501
#define IDC_PREVIEW_CLEAN 2502
#define IDC_PREVIEW_SAVE 2503
