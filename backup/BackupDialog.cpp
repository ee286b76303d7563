#include "backup/BackupDialog.h"

#include "backup/BackupUnit.h"
#include "backup/DriverBackup.h"
#include "engine/DeleteUnit.h"
#include "log/LogUnit.h"
#include "engine/DeviceInstallBlock.h"
#include "engine/ProtectedFolders.h"
#include "options/Language.h"
#include "platform/common.h"
#include "platform/platform.h"
#include "settings/VarUnit.h"
#include "store/BackupStore.h"

namespace tw {

std::wstring RemoveRestoreCaption(BackupPage page) {
    return LanguageText(page == BackupPage::Remove ? L"Remove Button" : L"Restore Button");
}

std::vector<std::wstring> FolderNames(const std::wstring& folder) {
    std::vector<plat::FindData> entries;
    if (plat::findEntries(folder + L"*", entries) != plat::kOk) return {};
    std::vector<std::wstring> names;
    for (const plat::FindData& e : entries) {
        if (plat::isDots(e.name)) continue;
        if ((e.attributes & (plat::kAttrHidden | plat::kAttrSystem)) != 0) continue;
        if ((e.attributes & plat::kAttrDirectory) == 0) continue;
        names.push_back(e.name);
    }
    return names;
}

std::vector<std::wstring> BackupSets() { return FolderNames(BackupRoot()); }

std::vector<std::wstring> SetItems(const std::wstring& set) {
    if (!IsPlainName(set)) return {};
    return FolderNames(BackupRoot() + set + L"\\");
}

std::uint64_t FolderSize(const std::wstring& folder) {
    std::vector<plat::FindData> entries;
    if (plat::findEntries(folder + L"*.*", entries) != plat::kOk) return 0;
    std::uint64_t total = 0;
    for (const plat::FindData& e : entries) {
        if (plat::isDots(e.name)) continue;
        total += e.size;
        // A junction back up the tree would never end the walk.
        if ((e.attributes & plat::kAttrDirectory) != 0 &&
            (e.attributes & plat::kAttrReparsePoint) == 0)
            total += FolderSize(folder + e.name + L"\\");
    }
    return total;
}

std::wstring MegabyteText(std::uint64_t bytes, const std::wstring& separator) {
    // Hundredths of a megabyte, computed exactly: bytes * 100 / 2^20 without
    // overflowing 64 bits.
    constexpr std::uint64_t kMega = 1048576;
    const std::uint64_t whole = bytes / kMega, rest = bytes % kMega;
    std::uint64_t hundredths = whole * 100 + rest * 100 / kMega;
    const std::uint64_t remainder = rest * 100 % kMega;
    if (remainder * 2 > kMega || (remainder * 2 == kMega && hundredths % 2 == 1)) ++hundredths;

    std::wstring text = std::to_wstring(hundredths / 100);
    const unsigned fraction = static_cast<unsigned>(hundredths % 100);
    if (fraction != 0) {
        text += separator;
        text += static_cast<wchar_t>(L'0' + fraction / 10);
        if (fraction % 10 != 0) text += static_cast<wchar_t>(L'0' + fraction % 10);
    }
    return text;
}

std::wstring SizeText(const std::wstring& set) {
    const std::wstring separator = plat::decimalSeparator();
    const std::wstring root = BackupRoot();
    const std::uint64_t setSize =
        IsPlainName(set) ? FolderSize(root + set + L"\\") : 0;
    return MegabyteText(setSize, separator) + L"MB / " + MegabyteText(FolderSize(root), separator) +
           L"MB";
}

ItemKind KindOfItem(const std::wstring& item) {
    auto endsIn = [&](const std::wstring& suffix) {
        return item.size() >= suffix.size() &&
               item.compare(item.size() - suffix.size(), suffix.size(), suffix) == 0;
    };
    if (endsIn(L"Files")) return ItemKind::Files;
    if (endsIn(L"Registry")) return ItemKind::Registry;
    if (endsIn(L"Drivers")) return ItemKind::Drivers;
    if (endsIn(L"Block")) return ItemKind::Block;
    return ItemKind::None;
}

std::wstring BlockNote(const std::wstring& set) {
    for (const std::wstring& item : SetItems(set))
        if (KindOfItem(item) == ItemKind::Block && DeviceInstallBlockInPlace(set + L"\\" + item + L"\\"))
            return LanguageText(L"Backup Block Note",
                                L"This set keeps Windows, Windows Update included, from installing drivers for the "
                                L"devices it removed. Restore this set to lift the block before you install a new "
                                L"driver for such a device.");
    return {};
}

void RestoreCheckedItems(const std::wstring& set, const std::vector<CheckEntry>& items) {
    for (const CheckEntry& entry : items) {
        if (!entry.checked) continue;
        RunLog().clear();
        if (IsPlainName(set) && IsPlainName(entry.name)) {
            const std::wstring item = set + L"\\" + entry.name + L"\\";
            switch (KindOfItem(entry.name)) {
            case ItemKind::Files: RestoreFiles(item); break;
            case ItemKind::Registry: RestoreRegistry(item); break;
            case ItemKind::Drivers: RestoreDrivers(item); break;
            case ItemKind::Block: LiftDeviceInstallBlock(item); break;
            case ItemKind::None: break;
            }
        }
        if (LogFiles) SaveLog();
    }
}

std::vector<std::size_t> RemoveCheckedSets(const std::vector<CheckEntry>& sets) {
    std::vector<std::size_t> removed;
    const std::wstring root = BackupRoot();
    // Backup off: removing a set backs nothing up. Only here may backup sets go.
    DeletionContext context(RunLog());
    context.protection.backupSetsMayGo = true;
    for (std::size_t i = sets.size(); i-- > 0;) {
        if (!sets[i].checked) continue;
        if (IsPlainName(sets[i].name)) DeleteFolder(context, root + sets[i].name + L"\\");
        removed.push_back(i);
    }
    return removed;
}

}  // namespace tw
