// What the Backup dialog decides, without windows: which page the selected
// tree node names, the sets and their item folders, the size label, restoring
// checked items and removing checked sets.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "log/LogDialog.h"

namespace tw {

// The pages, in the order of their nodes in the tree.
enum class BackupPage { Restore, Remove, None };

// The caption of ButtonRemoveRestore on a page: LanguageText of
// "Restore Button" or "Remove Button".
std::wstring RemoveRestoreCaption(BackupPage page);

// The sub-folders of a folder (with trailing backslash), in the order the
// file system returns them: ".", "..", hidden and system entries skipped. A
// stray plain file is no set and no item, so only folders are listed.
std::vector<std::wstring> FolderNames(const std::wstring& folder);
// The sets of the backup root; the item folders of one set.
std::vector<std::wstring> BackupSets();
std::vector<std::wstring> SetItems(const std::wstring& set);

// Bytes of everything below a folder (with trailing backslash), its
// sub-folders counted recursively. A folder link is not followed.
std::uint64_t FolderSize(const std::wstring& folder);
// Megabytes rounded to hundredths (halves to even), shortest text with the
// given decimal separator: 0, 0.03, 1.5, 12.
std::wstring MegabyteText(std::uint64_t bytes, const std::wstring& separator);
// "<set>MB / <root>MB" with the user's decimal separator.
std::wstring SizeText(const std::wstring& set);

enum class ItemKind { Files, Registry, Drivers, Block, None };
// By the name alone, with case: ends in "Files", else in "Registry", else in
// "Drivers" (backup/DriverBackup.h), else in "Block"
// (engine/DeviceInstallBlock.h), else none.
ItemKind KindOfItem(const std::wstring& item);

// Restores every checked item of a set, first to last: the run log is
// cleared before each item and, when LogFiles is on, saved after it. Raises
// the AppError of a log file that cannot be written.
void RestoreCheckedItems(const std::wstring& set, const std::vector<CheckEntry>& items);

// What the dialog says of a chosen set: LanguageText "Backup Block Note"
// (its block keeps drivers from being installed until the set is restored)
// while an item of the set holds a block still in place; otherwise nothing.
std::wstring BlockNote(const std::wstring& set);

// Deletes the folder of every checked set, from the last entry to the first,
// with backup off whatever BackupEnabled says. Returns the indexes of the
// entries to take out of the list, highest first: every checked entry,
// whether its folder went or not.
std::vector<std::size_t> RemoveCheckedSets(const std::vector<CheckEntry>& sets);

}  // namespace tw
