// Pixel layout of the OptionsForm dialog at 96 DPI (see ui/LayoutTypes.h).
#pragma once

#include "ui/LayoutTypes.h"
#include "options/win/OptionsFormRes.h"

namespace twlayout::options {

inline constexpr int kClientWidth = 413;
inline constexpr int kClientHeight = 333;
inline constexpr Control kControls[] = {
    {IDOK, 126, 302, 75, 25, 0, twlayout::Kind::Plain},
    {IDCANCEL, 207, 302, 75, 25, 0, twlayout::Kind::Plain},
    {IDC_OPT_APPLY, 331, 302, 75, 25, 0, twlayout::Kind::Plain},
    {IDC_OPT_TREE, 8, 8, 112, 317, 0, twlayout::Kind::Plain},
    {IDC_OPT_CLEAN_GROUP, 126, 8, 280, 289, 1, twlayout::Kind::Frame},
    {IDC_OPT_FILES, 140, 28, 250, 17, 1, twlayout::Kind::Plain},
    {IDC_OPT_REGISTRY, 140, 50, 250, 17, 1, twlayout::Kind::Plain},
    {IDC_OPT_DRIVERS, 140, 72, 250, 17, 1, twlayout::Kind::Plain},
    {IDC_OPT_LANG_GROUP, 126, 8, 280, 289, 2, twlayout::Kind::Frame},
    {IDC_OPT_LANG_LABEL, 140, 28, 250, 14, 2, twlayout::Kind::Plain},
    {IDC_OPT_LANG_COMBO, 140, 46, 250, 200, 2, twlayout::Kind::DropDown},
    {IDC_OPT_LOGFILES, 138, 26, 260, 17, 3, twlayout::Kind::Plain},
    {IDC_OPT_SYSTRAY, 138, 48, 260, 17, 3, twlayout::Kind::Plain},
    {IDC_OPT_DELETE_REBOOT, 138, 158, 260, 17, 3, twlayout::Kind::Plain},
    {IDC_OPT_NVIDIA_FOLDER, 138, 92, 260, 17, 3, twlayout::Kind::Plain},
    {IDC_OPT_WARNING, 138, 114, 260, 17, 3, twlayout::Kind::Plain},
    {IDC_OPT_GENERAL, 126, 8, 280, 218, 3, twlayout::Kind::Frame},
    {IDC_OPT_DONT_REBOOT, 138, 246, 260, 16, 3, twlayout::Kind::Plain},
    {IDC_OPT_PROMPT, 138, 262, 260, 16, 3, twlayout::Kind::Plain},
    {IDC_OPT_AFTER_CLEANING, 138, 278, 260, 16, 3, twlayout::Kind::Plain},
    {IDC_OPT_REBOOT_GROUP, 126, 230, 280, 67, 3, twlayout::Kind::Frame},
    {IDC_OPT_BACKUP, 138, 136, 260, 17, 3, twlayout::Kind::Plain},
    {IDC_OPT_ATI_FOLDER, 138, 70, 260, 17, 3, twlayout::Kind::Plain},
    {IDC_OPT_BLOCK_REINSTALL, 138, 180, 260, 17, 3, twlayout::Kind::Plain},
    {IDC_OPT_RESTORE_POINT, 138, 202, 260, 17, 3, twlayout::Kind::Plain},
};

}  // namespace twlayout::options
