// Pixel layout of the OptionsForm dialog at 96 DPI (see app/win/LayoutTypes.h).
#pragma once

#include "app/win/LayoutTypes.h"
#include "options/win/OptionsFormRes.h"

namespace twlayout::options {

inline constexpr int kClientWidth = 413;
inline constexpr int kClientHeight = 289;
inline constexpr Control kControls[] = {
    {IDOK, 126, 258, 75, 25, 0, twlayout::Kind::Plain},
    {IDCANCEL, 207, 258, 75, 25, 0, twlayout::Kind::Plain},
    {IDC_OPT_APPLY, 331, 258, 75, 25, 0, twlayout::Kind::Plain},
    {IDC_OPT_TREE, 8, 8, 112, 273, 0, twlayout::Kind::Plain},
    {IDC_OPT_CLEAN_GROUP, 126, 8, 280, 245, 1, twlayout::Kind::Frame},
    {IDC_OPT_FILES, 140, 28, 250, 17, 1, twlayout::Kind::Plain},
    {IDC_OPT_REGISTRY, 140, 50, 250, 17, 1, twlayout::Kind::Plain},
    {IDC_OPT_DRIVERS, 140, 72, 250, 17, 1, twlayout::Kind::Plain},
    {IDC_OPT_LANG_GROUP, 126, 8, 280, 245, 2, twlayout::Kind::Frame},
    {IDC_OPT_LANG_LABEL, 140, 28, 250, 14, 2, twlayout::Kind::Plain},
    {IDC_OPT_LANG_COMBO, 140, 46, 250, 200, 2, twlayout::Kind::DropDown},
    {IDC_OPT_LOGFILES, 138, 26, 260, 17, 3, twlayout::Kind::Plain},
    {IDC_OPT_SYSTRAY, 138, 48, 260, 17, 3, twlayout::Kind::Plain},
    {IDC_OPT_DELETE_REBOOT, 138, 158, 260, 17, 3, twlayout::Kind::Plain},
    {IDC_OPT_NVIDIA_FOLDER, 138, 92, 260, 17, 3, twlayout::Kind::Plain},
    {IDC_OPT_WARNING, 138, 114, 260, 17, 3, twlayout::Kind::Plain},
    {IDC_OPT_GENERAL, 126, 8, 280, 174, 3, twlayout::Kind::Frame},
    {IDC_OPT_DONT_REBOOT, 138, 202, 260, 16, 3, twlayout::Kind::Plain},
    {IDC_OPT_PROMPT, 138, 218, 260, 16, 3, twlayout::Kind::Plain},
    {IDC_OPT_AFTER_CLEANING, 138, 234, 260, 16, 3, twlayout::Kind::Plain},
    {IDC_OPT_REBOOT_GROUP, 126, 186, 280, 67, 3, twlayout::Kind::Frame},
    {IDC_OPT_BACKUP, 138, 136, 260, 17, 3, twlayout::Kind::Plain},
    {IDC_OPT_ATI_FOLDER, 138, 70, 260, 17, 3, twlayout::Kind::Plain},
};

}  // namespace twlayout::options
