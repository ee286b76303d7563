// The restart queue (PendingFileRenameOperations), reached only through what
// was judged. A path is carried out at the next start of Windows, long after
// it was judged: it must still name the same file then, whoever could change
// the folders on its way in the meantime.
#pragma once

#include <string>

#include "platform/platform.h"

namespace tw {

// True when every folder from the drive root down to `folder` (a final path)
// can be changed only by administrators, so no one else can make its path
// lead elsewhere before the restart (System32 and Program Files as Windows
// sets them up; no folder under Wine, which gives every folder to the user).
bool OnlyAdminsCanChangePath(const std::wstring& folder);

// Queues the deletion of an opened, judged file for the next start of
// Windows. Where only administrators can change its folders, by its final
// path; elsewhere it is first moved through its handle, under a unique name,
// into the program's own "Pending" folder, which must lie on the same volume
// and pass the same rule, and that path is queued. Returns the queued path;
// empty, with nothing queued, when neither can be had.
std::wstring QueueDeletionAtRestart(const plat::EntryHandle& file);

// The folder part of a final path: "C:\A\b" -> "C:\A", "C:\b" -> "C:\".
std::wstring FolderOfPath(const std::wstring& path);

}  // namespace tw
