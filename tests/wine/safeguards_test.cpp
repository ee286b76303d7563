// The safeguards around a run on Wine's registry: the block on installing
// drivers again, written and lifted against policy values of others, and the
// restore point, which Wine's System Restore never makes.
#include <algorithm>
#include <functional>

#include "app/RunSafeguards.h"
#include "backup/BackupDialog.h"
#include "backup/BackupUnit.h"
#include "engine/DeletionContext.h"
#include "store/BackupStore.h"
#include "engine/DeviceInstallBlock.h"
#include "faults.h"
#include "log/LogUnit.h"
#include "settings/VarUnit.h"
#include "support.h"

namespace {

using namespace winetest;
using Lines = std::vector<std::wstring>;

const std::wstring kDI = L"SOFTWARE\\Policies\\Microsoft\\Windows\\DeviceInstall", kR = kDI + L"\\Restrictions";
const std::wstring kL = kR + L"\\DenyDeviceIDs";
const std::wstring kA = L"PCI\\VEN_10DE&DEV_0001&REV_A1", kLowA = L"pci\\ven_10de&dev_0001&rev_a1", kB = L"USB\\VID_0B05&PID_0002", kSet = L"BlockSet";

// Every key ("path\") and value ("path=type:data") below HKLM\SOFTWARE\Policies and the scratch key, sorted.
void dump(HKEY key, const std::wstring& path, Lines& out) {
    wchar_t name[256];
    BYTE data[512];
    for (DWORD i = 0, n = 256, size = sizeof data, type = 0; !::RegEnumValueW(key, i, name, &n, nullptr, &type, data, &size);
         ++i, n = 256, size = sizeof data)
        out.push_back(path + name + L"=" + std::to_wstring(type) + L":" +
                      (type == REG_SZ ? reinterpret_cast<wchar_t*>(data) : std::to_wstring(size ? data[0] : 0)));
    for (DWORD i = 0, n = 256; !::RegEnumKeyExW(key, i, name, &n, nullptr, nullptr, nullptr, nullptr); ++i, n = 256) {
        HKEY sub = nullptr;
        out.push_back(path + name + L"\\");
        if (!::RegOpenKeyExW(key, name, REG_OPTION_OPEN_LINK, KEY_READ, &sub)) dump(sub, path + name + L"\\", out), ::RegCloseKey(sub);
    }
}
Lines policies() {
    Lines out;
    for (const std::wstring& path : {std::wstring(L"SOFTWARE\\Policies"), std::wstring(kScratchKey)})
        if (HKEY key = nullptr; !::RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key))
            dump(key, path + L"\\", out), ::RegCloseKey(key);
    std::sort(out.begin(), out.end());
    return out;
}
std::wstring line(const wchar_t* words, const std::wstring& text) { return words + (L" device installation (" + text + L")"); }
Lines sorted(Lines lines) { return std::sort(lines.begin(), lines.end()), lines; }

class Safeguards : public WineTest {
protected:
    void TearDown() override {
        removeKeyTree(HKEY_LOCAL_MACHINE, kDI);
        WineTest::TearDown();
    }
};

// Restoring the set takes back what the block added and nothing else; a preview writes nothing; every
// refusal writes nothing.
TEST_F(Safeguards, TheBlockIsLiftedExactlyAndRefusedWhereItWouldWriteMore) {
    const std::wstring sw = kR + L"\\DenyDeviceIDs";
    const std::wstring restored = L"Restored Registry (HKLM\\" + sw + L")";
    tw::DeletionContext acting(tw::RunLog());
    const auto other = [&](const wchar_t* name, const std::wstring& id) { return [=] { setString(HKEY_LOCAL_MACHINE, kL, name, id); }; };
    const auto on = [&](DWORD value) { return [=] { setDword(HKEY_LOCAL_MACHINE, kR, L"DenyDeviceIDs", value); }; };
    const auto both = [](std::function<void()> a, std::function<void()> b) { return [=] { a(), b(); }; };
    const auto none = [] {};
    struct Row { std::function<void()> plant; Lines block; std::function<void()> later; Lines lift, left; bool noRecord; };
    const Row rows[] = {
        {none, {line(L"Blocked", kA), line(L"Blocked", kB)}, none, {line(L"Unblocked", kA), line(L"Unblocked", kB), restored}, {}, false},
        {on(0xFA), {line(L"Blocked", kA)}, none, {line(L"Unblocked", kA), restored}, {}, false},  // put back byte for byte
        {both(on(1), both(other(L"1", L"OTHER"), other(L"7", kLowA))), {line(L"Already blocked", kA), line(L"Blocked", kB)},
         other(L"8", L"CHANGED"), {line(L"Not unblocked", kB + L": changed since")}, {kL + L"\\8=1:CHANGED"}, false},
        {none, {line(L"Blocked", kA)}, other(L"5", L"OTHER"),
         {line(L"Unblocked", kA), L"Not Restored Registry (HKLM\\" + sw + L": other entries of the list rely on it)"},
         {sw + L"=4:1", kL + L"\\5=1:OTHER"}, false},
        {both(on(0), other(L"1", L"OTHER")), {line(L"Not blocked", kA)}, none, {}, {}, false},
        {both(on(1), other(L"999999999", L"OTHER")), {line(L"Not blocked", kA)}, none, {}, {}, false},  // no tenth digit
        {[] { createKey(HKEY_LOCAL_MACHINE, std::wstring(kScratchKey) + L"\\Elsewhere"),  // the link above the list
              makeKeyLink(HKEY_LOCAL_MACHINE, kDI, L"\\REGISTRY\\MACHINE\\SOFTWARE\\TidewellTest\\Elsewhere"); },
         {line(L"Not blocked", kA)}, none, {}, {}, false},
        {none, {line(L"Not blocked", kA)}, none, {}, {}, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(&row - rows);
        removeKeyTree(HKEY_LOCAL_MACHINE, kDI);
        removeKeyTree(HKEY_LOCAL_MACHINE, kScratchKey), removeTree(tw::BackupRoot() + kSet), faults::reset();
        row.plant();
        const Lines planted = policies();
        const std::wstring item = tw::BackupRoot() + kSet + L"\\" + tw::kBlockItemName + L"\\";
        Lines preview = row.block;
        for (std::wstring& l : preview) l = l.rfind(L"Blocked", 0) == 0 ? L"Would block" + l.substr(7) : l;
        tw::RunLog().clear();
        {
            tw::DeletionContext reporting(tw::RunLog(), tw::DeletionContext::Mode::Report);
            tw::BlockDeviceInstallation(reporting, {kA, kLowA, row.block.size() > 1 ? kB : kA}, item);
        }
        EXPECT_EQ(sorted(logLines()), sorted(row.noRecord ? Lines{line(L"Would block", kA)} : preview));
        EXPECT_EQ(policies(), planted);
        EXPECT_FALSE(folderExists(item));
        if (row.noRecord) faults::fail(faults::Call::WriteFile, L"DenyDeviceIDs");
        tw::RunLog().clear(), tw::BlockDeviceInstallation(acting, {kA, row.block.size() > 1 ? kB : kA}, item);
        EXPECT_EQ(sorted(logLines()), sorted(row.block));
        const bool blocked = row.block.back().rfind(L"Blocked", 0) == 0;
        EXPECT_EQ(tw::BlockNote(kSet).empty(), !blocked);
        row.later();
        tw::RestoreCheckedItems(kSet, {{tw::kBlockItemName, true}});
        EXPECT_EQ(sorted(logLines()), sorted(row.lift));
        Lines after = policies();
        if (!row.left.empty()) std::erase_if(after, [&](const std::wstring& l) { return l.back() == L'\\' && !std::count(planted.begin(), planted.end(), l); });
        Lines want = planted;
        want.insert(want.end(), row.left.begin(), row.left.end());
        EXPECT_EQ(after, sorted(want));
        EXPECT_TRUE(tw::BlockNote(kSet).empty());
    }
    faults::reset(), removeTree(tw::BackupRoot() + kSet), tw::RunLog().clear();
    tw::BlockDeviceInstallation(acting, {L"PCI\\VEN_1\nvalue\t1\tOTHER"}, tw::BackupRoot() + kSet + L"\\x\\");  // would add a line
    EXPECT_EQ(logLines(), Lines{line(L"Not blocked", L"PCI\\VEN_1?value?1?OTHER")});
    EXPECT_FALSE(folderExists(tw::BackupRoot() + kSet));
}

// A point counts as made only when its number is known to be new.
TEST_F(Safeguards, ARestorePointIsToldMadeOnlyWhenItsNumberIsNew) {
    struct Row { plat::Error error; std::int64_t sequence; std::optional<std::int64_t> previous; bool zero; const wchar_t* line; };
    for (const Row& r : {Row{0, 57, 56, false, L"Created restore point (57: "}, Row{0, 56, 56, true, L"Not created restore point (Windows kept"},
                         Row{0, 57, {}, true, L"Created restore point (57: "}, Row{0, 57, {}, false, L"Not created restore point (no new"},
                         Row{1058, 0, 56, true, L"Not created restore point (System Restore answered error 1058: "},
                         Row{plat::kErrModNotFound, 0, 56, true, L"Not created restore point (System Restore is not available"}})
        EXPECT_EQ(tw::RestorePointLine({r.error, r.sequence, r.previous, r.zero}).rfind(r.line, 0), 0u) << r.line;
}

// Under Wine no point is made: the line says so, Windows's frequency value is as it was, and only a
// person is asked whether to clean without one.
TEST_F(Safeguards, AFailedRestorePointIsToldAndTheFrequencyPutBack) {
    const std::wstring key = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\SystemRestore";
    const bool hadKey = keyExists(HKEY_LOCAL_MACHINE, key);
    tw::RestorePointEnabled = true;  // by the setting, no switch
    const auto frequency = [&] {
        wchar_t data[64] = {};
        DWORD type = 0, size = sizeof data;
        return ::RegGetValueW(HKEY_LOCAL_MACHINE, key.c_str(), L"SystemRestorePointCreationFrequency", RRF_RT_ANY, &type, data, &size)
                   ? std::wstring(L"absent")
                   : std::to_wstring(type) + L":" + std::to_wstring(size) + L":" + std::to_wstring(data[0]);
    };
    struct Row { std::function<void()> plant; bool keyThere, unattended; int answer; bool goOn; };
    RecordingHost host;
    const auto set = [&](auto f) { return [=] { f(HKEY_LOCAL_MACHINE, key, L"SystemRestorePointCreationFrequency"); }; };
    for (const Row& r : {Row{[] {}, false, true, IDCANCEL, true}, Row{[&] { createKey(HKEY_LOCAL_MACHINE, key); }, true, false, IDOK, true},
                         Row{set([](HKEY h, auto& k, auto n) { setDword(h, k, n, 1440); }), true, false, IDCANCEL, false},
                         Row{set([](HKEY h, auto& k, auto n) { setDword(h, k, n, 0); }), true, true, IDOK, true},
                         Row{set([](HKEY h, auto& k, auto n) { setString(h, k, n, L"5"); }), true, true, IDOK, true},
                         Row{[&] { createKey(HKEY_LOCAL_MACHINE, kScratchKey), makeKeyLink(HKEY_LOCAL_MACHINE, key,
                                   L"\\REGISTRY\\MACHINE\\SOFTWARE\\TidewellTest"); }, false, true, IDOK, true}}) {
        removeKeyTree(HKEY_LOCAL_MACHINE, key), r.plant(), faults::reset(), host = RecordingHost({}, {r.answer});
        const std::wstring before = frequency();
        const tw::RestorePointCall call = tw::MakeRestorePoint();
        EXPECT_NE(call.error, plat::kOk);
        EXPECT_EQ(call.frequencyZero, r.keyThere);
        EXPECT_EQ(frequency(), before);
        tw::SafeguardedRun run(tw::SafeguardsInForce({}), tw::RunLog(), tw::DeletionContext::Mode::Act);
        EXPECT_EQ(run.Begin(r.unattended ? nullptr : &host), r.goOn);
        EXPECT_EQ(host.questions.size(), r.unattended ? 0u : 1u);
        ASSERT_EQ(run.groups().size(), 1u);
        EXPECT_EQ(run.groups()[0].lines[0].rfind(L"Not created restore point (", 0), 0u) << run.groups()[0].lines[0];
        EXPECT_EQ(frequency(), before);
    }
    tw::SafeguardedRun run({true, false}, tw::RunLog(), tw::DeletionContext::Mode::Report);
    EXPECT_TRUE(run.Begin(&host));
    EXPECT_EQ(run.groups()[0].lines, Lines{L"Would create restore point (Before cleaning with Tidewell)"});
    if (!hadKey) removeKeyTree(HKEY_LOCAL_MACHINE, key);
}

}  // namespace
