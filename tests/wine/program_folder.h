// The settings file and Languages.ini beside the test program (its program folder) go after
// each test; loading the settings then gives every variable its first value.
#pragma once

#include "options/Language.h"
#include "platform/common.h"
#include "platform/platform.h"
#include "settings/VarUnit.h"
#include "support.h"

namespace dialogs {

// Two more languages for the dialogs' page names, and one naming two pages alike.
inline const std::wstring kLanguages =
    L"[English]\r\nOptions Title=Options\r\n[Deutsch]\r\nOptions Title=Optionen\r\nCleaning=Bereinigung\r\n"
    L"Language=Sprache\r\nMiscellaneous=Verschiedenes\r\nview log=Protokoll\r\nRemove log=Entfernen\r\n"
    L"Remove backup=Sicherungen\r\nRemove Button=L\u00f6schen\r\nDonate=Spenden\r\nContact=Kontakt\r\n"
    L"[Alike]\r\nLanguage=Cleaning\r\nDonate=About\r\n[espa\u00f1ol]\r\nCleaning=Limpieza\r\n";

class ProgramFolderTest : public winetest::WineTest {
protected:
    void SetUp() override { WineTest::SetUp(), removeFiles(); }
    void TearDown() override {
        removeFiles();
        tw::TVarUnit firstValues;
        WineTest::TearDown();
    }
    static void settings(const std::wstring& text) { winetest::writeFile(tw::SettingsFilePath(), text); }
    static void languages(const std::wstring& text = kLanguages) {
        winetest::writeFile(tw::LanguageFilePath(), winetest::utf16Bytes(L"\xFEFF" + text));
    }
    static void removeFiles() {
        ::DeleteFileW(tw::SettingsFilePath().c_str()), ::DeleteFileW(tw::LanguageFilePath().c_str());
    }
};

}  // namespace dialogs
