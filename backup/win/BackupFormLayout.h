// Pixel layout of the BackupForm dialog at 96 DPI (see ui/LayoutTypes.h).
#pragma once

#include "ui/LayoutTypes.h"
#include "backup/win/BackupFormRes.h"

namespace twlayout::backup {

inline constexpr int kClientWidth = 389;
inline constexpr int kClientHeight = 274;
inline constexpr Control kItems = {IDC_BACKUP_CHECK_RESTORE, 125, 95, 256, 143, 1, twlayout::Kind::Plain};
inline constexpr Control kControls[] = {
    {IDC_BACKUP_TREE, 8, 8, 110, 230, 0, twlayout::Kind::Plain},
    {IDC_BACKUP_LIST, 125, 8, 256, 81, 1, twlayout::Kind::Plain},
    kItems,
    {IDC_BACKUP_CHECK_SETS, 125, 8, 256, 230, 2, twlayout::Kind::Plain},
    {IDC_BACKUP_SIZE, 8, 249, 117, 14, 0, twlayout::Kind::Plain},
    {IDOK, 133, 244, 75, 25, 0, twlayout::Kind::Plain},
    {IDC_BACKUP_REMOVE_RESTORE, 212, 244, 75, 25, 0, twlayout::Kind::Plain},
    {IDC_BACKUP_SELECT_ALL, 291, 244, 90, 25, 0, twlayout::Kind::Plain},
};
// A set's block note takes the foot of the item list while it shows (placed apart).
inline constexpr Control kBlockNote = {IDC_BACKUP_BLOCK_NOTE, 125, 186, 256, 52, 1, twlayout::Kind::Plain};
inline constexpr Control kItemsAboveNote = {IDC_BACKUP_CHECK_RESTORE, 125, 95, 256, 87, 1, twlayout::Kind::Plain};

}  // namespace twlayout::backup
