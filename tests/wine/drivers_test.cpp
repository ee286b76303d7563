// Driver packages and devices on Wine's own setupapi, planted as Windows lays
// them out (plant_drivers.h), the devices root-enumerated. Wine's
// SetupUninstallOEMInf checks no use: every refusal here is the program's own.
#include <algorithm>
#include <map>

#include "app/RunSafeguards.h"
#include "backup/BackupDialog.h"
#include "backup/BackupUnit.h"
#include "store/BackupStore.h"
#include "engine/DeletionContext.h"
#include "engine/DeleteUnit.h"
#include "engine/DriverStore.h"
#include "faults.h"
#include "log/RunNotes.h"
#include "plant_drivers.h"
#include "settings/VarUnit.h"
#include "support.h"

namespace {

using namespace winetest;
using namespace plant;
using Lines = std::vector<std::wstring>;

const GUID kSystem = {0x4d36e97d, 0xe325, 0x11ce, {0xbf, 0xc1, 0x08, 0x00, 0x2b, 0xe1, 0x03, 0x18}};
const GUID kMedia = {0x4d36e96c, 0xe325, 0x11ce, {0xbf, 0xc1, 0x08, 0x00, 0x2b, 0xe1, 0x03, 0x18}};
const GUID kHid = {0x745a17a0, 0x74d3, 0x11d0, {0xb6, 0xfe, 0x00, 0xa0, 0xc9, 0x0f, 0x57, 0xda}};
const std::wstring kEnum = L"SYSTEM\\CurrentControlSet\\Enum\\ROOT\\TIDEWELLTEST\\";
const std::wstring kInfFiles = L"DRIVERS\\DriverDatabase\\DriverInfFiles\\";
const std::wstring kItem = L"DriverSet\\Tidewell - Test - Drivers\\";

// Sorted, with a preview's "Would delete" read as a run's "Deleted".
Lines sorted(Lines lines) {
    for (std::wstring& line : lines)
        if (line.rfind(L"Would delete ", 0) == 0) line.replace(0, 13, L"Deleted ");
    std::sort(lines.begin(), lines.end());
    return lines;
}
// ROOT\TIDEWELLTEST\<name>: class, one hardware id, presence, the INF of its driver key.
void rootDevice(const std::wstring& name, const GUID& cls, const std::wstring& className, const std::wstring& id,
                Presence presence, const std::wstring& inf = {}) {
    ASSERT_TRUE(plant::makeDevice(L"Root\\TIDEWELLTEST\\" + name, cls, className, id, presence, inf)) << name;
}

class DriversOnWine : public WineTest {
protected:
    void SetUp() override {
        WineTest::SetUp();
        if (!runningUnderWine()) GTEST_SKIP() << "plants the driver store and devices as Windows lays them out";
        context.BackupEnabled = tw::BlockReinstallEnabled = true;  // the update block by its setting
        context.BackupPath = tw::BackupRoot() + kItem;
        for (const std::wstring& folder : {infFolder, repository}) before[folder] = listFolder(folder);
    }
    void TearDown() override {
        HDEVINFO set = ::SetupDiGetClassDevsW(nullptr, L"ROOT\\TIDEWELLTEST", nullptr, DIGCF_ALLCLASSES);
        SP_DEVINFO_DATA dev{};
        dev.cbSize = sizeof dev;
        for (DWORD i = 0; ::SetupDiEnumDeviceInfo(set, i, &dev); ++i) ::SetupDiRemoveDevice(set, &dev);
        ::SetupDiDestroyDeviceInfoList(set);
        for (const auto& [name, text] : texts) removeKeyTree(HKEY_LOCAL_MACHINE, kInfFiles + name);
        for (const auto& [folder, names] : before)
            for (const std::wstring& name : listFolder(folder))
                if (std::find(names.begin(), names.end(), name) != names.end()) continue;
                else if (::GetFileAttributesW((folder + name).c_str()) & FILE_ATTRIBUTE_REPARSE_POINT)
                    removeUnixLink(folder + name);
                else
                    removeTree(folder + name), ::DeleteFileW((folder + name).c_str());
        WineTest::TearDown();
    }
    // Published as oem<n>.inf with its package folder and driver database entry.
    std::wstring publish(const std::wstring& provider, const std::wstring& cls, const GUID& guid, int n) {
        const std::wstring number = std::to_wstring(n), text = infText(provider, cls, guid, L"31.0.15." + number);
        const std::wstring name =
            plant::publish(dir + number + L"\\", L"tidewell.inf", L"tidewell.inf_amd64_" + number, text);
        EXPECT_FALSE(name.empty()) << n;
        texts[name] = text;
        return name;
    }
    int copiesOf(const std::wstring& name) {
        int n = 0;
        for (const std::wstring& file : listFolder(infFolder)) n += readFile(infFolder + file) == texts[name];
        return n;
    }

    const std::wstring infFolder = plant::infFolder(), repository = plant::repository();
    std::map<std::wstring, Lines> before;
    std::map<std::wstring, std::wstring> texts;
};

// A preview names what the run then removes; each refusal keeps its package with its own reason.
TEST_F(DriversOnWine, PackagesGoOnlyWhereNoRuleRefusesAndComeBackFromTheBackup) {
    struct Row { const wchar_t* provider; const wchar_t* cls; const GUID* guid; Presence user; const wchar_t* refusal; };
    const Row rows[] = {{L"Tidewell Test, Inc.", L"Display", &kDisplay, NoDevice, nullptr},
                        {L"Tidewell Test", L"Display", &kDisplay, Absent, nullptr},  // a device left behind uses it
                        {L"Tidewell Test", L"Display", &kDisplay, Present, L"in use by a present device"},
                        {L"Tidewell Test", L"Display", &kDisplay, Unset, L"in use by a present device"},
                        {L"Tidewell Test", L"Display", &kSystem, NoDevice, L"of a class Windows needs"},  // by its GUID
                        {L"Tidewell Test", L"Display", &kDisplay, NoDevice, L"not published by the driver store"},
                        {L"Tidewell Test", L"System", &kSystem, NoDevice, nullptr},        // a class not asked for
                        {L"Tidewell Testing", L"Display", &kDisplay, NoDevice, nullptr}};  // another provider
    Lines named, gone;
    std::map<std::wstring, std::wstring> refusals;
    for (int i = 0; i < 8; ++i) {
        const Row& r = rows[i];
        std::wstring name = publish(r.provider, r.cls, *r.guid, i);
        if (i == 5) ::MoveFileW((infFolder + name).c_str(), (infFolder + L"oemsetup.inf").c_str()), name = L"oemsetup.inf";
        const std::wstring text = name + L": " + r.provider + L", " + r.cls + L", 31.0.15." + std::to_wstring(i);
        if (r.user != NoDevice) rootDevice(std::to_wstring(i), kDisplay, L"Display", L"TIDEWELL\\USER", r.user, name);
        // Called twice: a refused package is named again, a removed one is gone.
        for (int n = 0; n < (i >= 6 ? 0 : r.refusal ? 2 : 1); ++n)
            named.push_back((r.refusal ? L"Not deleted driver package (" : L"Deleted driver package (") + text + L")");
        if (r.refusal) refusals[text] = r.refusal;
        if (i < 2) gone.push_back(name);
    }
    writeBytes(repository + L"tidewell.inf_amd64_0\\a.inf", L"[Version]\r\n");  // a package's other INF, not restored from
    const auto removeAll = [&](tw::DeletionContext& c) { tw::RemoveDriverPackages(c, {L"Tidewell Test", L"Other"}, {L"Display", L""}); };
    Lines preview;
    {
        tw::DeletionContext reporting(tw::RunLog(), tw::DeletionContext::Mode::Report);
        reporting.BackupEnabled = true, reporting.BackupPath = context.BackupPath;  // checked, never written
        removeAll(reporting), removeAll(reporting);  // what a preview named is gone for the steps after it
        preview = logLines();
    }
    EXPECT_FALSE(folderExists(context.BackupPath));
    for (const auto& [name, text] : texts) EXPECT_EQ(copiesOf(name), 1) << name;
    tw::RunLog().clear(), removeAll(context), removeAll(context);
    EXPECT_EQ(sorted(logLines()), sorted(named));
    EXPECT_EQ(sorted(preview), sorted(named)) << "the preview named other packages than the run removed";
    for (const auto& [text, reason] : refusals)
        EXPECT_EQ(tw::FindItemNote(text)->refusal.rfind(reason, 0), 0u) << text;
    for (const auto& [name, text] : texts)
        EXPECT_EQ(copiesOf(name), std::count(gone.begin(), gone.end(), name) ? 0 : 1) << name;
    EXPECT_EQ(readFile(context.BackupPath + gone[0] + L"\\Package\\x64\\tidewell.dll"), L"dll");

    tw::RestoreCheckedItems(L"DriverSet", {{L"Tidewell - Test - Drivers", true}});
    EXPECT_EQ(sorted(logLines()), sorted({L"Restored Driver Package (" + gone[0] + L")",
                                          L"Restored Driver Package (" + gone[1] + L")"}));
    for (const std::wstring& name : gone) EXPECT_EQ(copiesOf(name), 1) << name;

    // Nothing goes whose backup was not written: a copy that fails, a package the database names by no plain
    // name, a link in the package folder or in its place.
    tw::RunLog().clear(), context.BackupPath = tw::BackupRoot() + L"DriverSet2\\Tidewell - Test - Drivers\\";
    Lines kept;
    for (int n = 10; n < 14; ++n) kept.push_back(publish(L"Tidewell Test", L"Display", kDisplay, n));
    faults::fail(faults::Call::CopyFile, L"tidewell.inf_amd64_10\\x64");
    setString(HKEY_LOCAL_MACHINE, kInfFiles + kept[1], L"Active", L"..\\FileRepository\\tidewell.inf_amd64_11");
    ASSERT_TRUE(makeUnixLink(dir, repository + L"tidewell.inf_amd64_12\\x64\\out"));
    removeTree(repository + L"tidewell.inf_amd64_13");
    ASSERT_TRUE(makeUnixLink(repository + L"tidewell.inf_amd64_12", repository + L"tidewell.inf_amd64_13"));
    removeAll(context);
    const Lines after = logLines();
    for (int n = 10; n < 14; ++n) {
        const std::wstring line =
            L"Not deleted driver package (" + kept[n - 10] + L": Tidewell Test, Display, 31.0.15." + std::to_wstring(n) + L")";
        EXPECT_NE(std::find(after.begin(), after.end(), line), after.end()) << line;
        EXPECT_EQ(copiesOf(kept[n - 10]), 1);
    }
}

// Only devices that are not present, of the rule's classes and hardware ids, go; their keys are saved first.
TEST_F(DriversOnWine, OnlyDevicesLeftBehindGo) {
    struct Row { const wchar_t* id; const GUID* cls; const wchar_t* className; Presence presence; const wchar_t* line; };
    const Row rows[] = {{L"PCI\\VEN_10DE&DEV_0001", &kDisplay, L"Display", Absent, L"Deleted"},
                        {L"PCI\\VEN_10DE&DEV_0002", &kDisplay, L"Display", Present, nullptr},
                        {L"PCI\\VEN_10DE&DEV_0003", &kDisplay, L"Display", Unset, L"Not deleted"},
                        {L"PCI\\VEN_1002&DEV_0004", &kDisplay, L"Display", Absent, nullptr},
                        {L"PCI\\VEN_10DE&DEV_0005", &kMedia, L"MEDIA", Absent, nullptr},
                        {L"HID\\VEN_10DE&DEV_0006", &kHid, L"HIDClass", Absent, L"Not deleted"}};
    Lines want;
    for (int i = 0; i < 6; ++i) {
        const Row& r = rows[i];
        rootDevice(L"000" + std::to_wstring(i), *r.cls, r.className, r.id + (i ? L"" : std::wstring(L"\0PCI\\VEN_10DE", 13)), r.presence);
        for (int n = 0; r.line && n < (r.line[0] == L'N' ? 2 : 1); ++n)  // called twice: a refused one is named again
            want.push_back(std::wstring(r.line) + L" device (ROOT\\TIDEWELLTEST\\000" + std::to_wstring(i) + L": " +
                           r.className + L")");
    }
    const auto removeAll = [&](tw::DeletionContext& c) { tw::RemoveDevices(c, {L"Display", L"HIDClass"}, {L"pci\\ven_10de", L"HID\\VEN_10DE", L""}); };
    // The update block lists the one device the lines say went (its most specific id), whose other lines say not.
    const auto block = [](tw::DeletionContext::Mode mode, const wchar_t* words) {
        std::vector<tw::PreviewGroup> groups = {{L"x", logLines()}};
        tw::SafeguardedRun(tw::SafeguardsInForce({}), tw::RunLog(), mode).End(groups);
        EXPECT_EQ(groups.back().lines, Lines{words + std::wstring(L" device installation (PCI\\VEN_10DE&DEV_0001)")});
    };
    {
        tw::DeletionContext reporting(tw::RunLog(), tw::DeletionContext::Mode::Report);
        reporting.BackupEnabled = true, reporting.BackupPath = context.BackupPath;
        removeAll(reporting), removeAll(reporting);
        EXPECT_EQ(sorted(logLines()), sorted(want));
        block(tw::DeletionContext::Mode::Report, L"Would block");
    }
    EXPECT_FALSE(folderExists(context.BackupPath));
    for (int i = 0; i < 6; ++i) EXPECT_TRUE(keyExists(HKEY_LOCAL_MACHINE, kEnum + L"000" + std::to_wstring(i))) << i;
    tw::RunLog().clear(), removeAll(context), removeAll(context);
    EXPECT_EQ(sorted(logLines()), sorted(want));
    block(tw::DeletionContext::Mode::Act, L"Blocked");
    removeKeyTree(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Policies\\Microsoft\\Windows\\DeviceInstall");
    for (int i = 0; i < 6; ++i) EXPECT_EQ(keyExists(HKEY_LOCAL_MACHINE, kEnum + L"000" + std::to_wstring(i)), i != 0) << i;
    EXPECT_EQ(hiveString(context.BackupPath + L"HKLM;SYSTEM;CurrentControlSet;Enum;ROOT;TIDEWELLTEST;0000.TW", L"", L"ClassGUID"),
              guidText(kDisplay));
}

}  // namespace
