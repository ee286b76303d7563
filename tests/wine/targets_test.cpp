// The seven targets on the Wine machine's own folders and registry. For every
// pattern, key and value their calls of the deletion routines in
// families.record name, one matching item is planted where it looks, beside
// near-misses; then each target is previewed and run in turn. A preview names
// what its run deletes and changes nothing; a run takes its own items and
// nothing else. The previews' calls, with their arguments and progress steps,
// are the ones recorded.
#include <algorithm>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>

#include "app/Preview.h"
#include "log/LogUnit.h"
#include "platform/common.h"
#include "settings/VarUnit.h"
#include "support.h"
#include "targets/Target.h"

namespace {

using namespace winetest;

// Item notation: "HKLM\\..."/"HKCU\\..." a key (planted with a subkey),
// "key|name=data" a string value; a path ending in "\\" a folder (planted with
// a file), "folder\\|company" an installer record folder whose setup.ini names
// the company; any other path a file. "%VAR%" is taken from the environment
// (TWDIR is the test's scratch folder).
const std::wstring kRun = L"HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const std::wstring kRecords = L"%ProgramFiles%\\InstallShield Installation Information\\";

// The install folders' values, planted only: the families read them to find their folders.
const Lines kSetup = {L"HKLM\\Software\\ATi Technologies\\Install|InstallDir=%TWDIR%ATI Install",
                      L"HKLM\\Software\\Realtek\\InstallShield|ProgramFilesDir=%TWDIR%Realtek Audio\\",
                      L"HKLM\\Software\\AGEIA Technologies|PhysXCore Path=%TWDIR%PhysX Core\\"};

// Items no target may take: another vendor's record and log-on program.
const Lines kStrangers = {kRecords + L"{TW-NO}\\|Other Ltd", kRun + L"|TidewellKeep=keep.exe"};

// A line of the routine trace with what differs between machines and runs named.
std::wstring stable(std::wstring line, const std::wstring& dir) {
    std::vector<std::pair<std::wstring, std::wstring>> parts = {{dir, L"%TWDIR%"},
                                                                {tw::programFolder(), L"<program>\\"}};
    for (std::wstring var : {L"LOCALAPPDATA", L"APPDATA", L"ProgramData", L"ProgramFiles", L"SystemRoot", L"HOMEDRIVE"})
        parts.push_back({expand(L"%" + var + L"%"), L"%" + var + L"%"});
    std::ranges::sort(parts, std::greater{}, [](const auto& p) { return p.first.size(); });
    for (const auto& [from, to] : parts) line = tw::replaceAll(line, from, to);
    return std::regex_replace(line, std::wregex(LR"(<program>\\Backup\\[^\\]+)"), L"<program>\\Backup\\<stamp>");
}

// A name each pattern matches: every "*" as "tw", trailing blanks dropped
// (the file system drops them from a search too).
std::wstring matching(const std::wstring& pattern) {
    std::wstring name;
    for (char c : pattern) name += c == L'*' ? std::wstring(L"tw") : std::wstring(1, c);
    return name.substr(0, name.find_last_not_of(L' ') + 1);
}

struct Item {
    std::wstring text;
    auto operator<=>(const Item&) const = default;
    HKEY root() const { return text.rfind(L"HKLM", 0) == 0 ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER; }
    bool isKey() const { return text.rfind(L"HK", 0) == 0; }
    std::wstring key() const { return text.substr(5, text.find(L'|') - 5); }
    std::wstring name() const { return text.substr(text.find(L'|') + 1, text.find(L'=') - text.find(L'|') - 1); }
    std::wstring path() const { return text.substr(0, text.find(L'|')); }
    bool folder() const { return !isKey() && path().back() == L'\\'; }
    bool value() const { return isKey() && text.find(L'|') != std::wstring::npos; }

    void plant() const {
        if (value()) return setString(root(), key(), name(), text.substr(text.find(L'=') + 1));
        if (isKey()) return createKey(root(), key() + L"\\Sub");
        makeFolders(folder() ? path() : path().substr(0, path().find_last_of(L'\\')));
        if (text.find(L'|') != std::wstring::npos)
            writeFile(path() + L"setup.ini", L"[Startup]\r\nCompanyName=" + text.substr(text.find(L'|') + 1) + L"\r\n");
        writeFile(folder() ? path() + L"leftover.dat" : path(), L"x");
    }
    bool present() const {
        return value() ? valueExists(root(), key(), name())
                       : isKey() ? keyExists(root(), key()) : folder() ? folderExists(path()) : fileExists(path());
    }
    // Where a removed key or folder lay stays.
    bool parentStays() const {
        const std::wstring p = isKey() ? key() : path().substr(0, path().size() - 1), up = p.substr(0, p.rfind(L'\\'));
        return value() || (isKey() ? keyExists(root(), up) : !folder() || folderExists(up));
    }
    void remove() const {
        value() ? (void)::RegDeleteKeyValueW(root(), key().c_str(), name().c_str())
        : isKey() ? removeKeyTree(root(), key()) : folder() ? removeTree(path()) : (void)::DeleteFileW(path().c_str());
    }
};

// The record's calls per family: its label, then each call's routine and arguments.
struct Family {
    std::wstring label;
    std::vector<Lines> calls;
};
std::vector<Family> recorded(const std::string& record) {
    std::vector<Family> out;
    std::istringstream in(record);
    for (std::string line; std::getline(in, line);) {
        Lines fields(1);
        for (wchar_t c : tw::fromUtf8(line)) c == L'\t' ? (void)fields.emplace_back() : fields.back().push_back(c);
        if (fields[0].starts_with(L'[')) out.push_back({fields[0].substr(1, fields[0].size() - 2), {}});
        else if (!out.empty()) out.back().calls.push_back(Lines(fields.begin() + 1, fields.end()));
    }
    return out;
}

// What a recorded call takes, as items to plant where it looks: a file per pattern, each key and value, the
// folder, an adapter key or installer record of the maker; beside files and makers' items, a near-miss to keep.
void itemsOf(const Lines& call, std::set<Item>& gone, std::vector<Item>& kept) {
    auto both = [&](const std::wstring& taken, const std::wstring& left) {
        gone.insert({expand(taken)}), kept.push_back({expand(left)});
    };
    auto lower = [](std::wstring text) {
        for (wchar_t& c : text) c = ::towlower(c);
        return text;
    };
    const std::wstring& routine = call[0];
    if (routine == L"DeleteFiles")
        for (std::size_t i = 2; i < call.size(); ++i)
            both(call[1] + matching(call[i]), call[1] + L"_" + matching(call[i]).substr(1));
    else if (routine == L"DeleteFolder" || routine == L"DeleteInstallFolder")
        gone.insert({expand(call[1].ends_with(L'\\') ? call[1] : call[1] + L"\\")});
    else if (routine == L"DeleteKeys" || routine == L"DeleteValues")
        for (std::size_t i = 3; i < call.size(); ++i)
            gone.insert({call[1] + L"\\" + call[2] +
                         (routine == L"DeleteKeys" ? L"\\" + call[i] : L"|" + call[i] + L"=leftover.exe")});
    else if (routine == L"DeleteKeysByValue")  // the data begins with the maker's name, in its case
        both(call[1] + L"\\" + call[2] + L"\\9990|" + call[3] + L"=" + call[4] + L" Corporation",
             call[1] + L"\\" + call[2] + L"\\9991|" + call[3] + L"=" + lower(call[4]));
    else if (routine == L"DeleteFoldersByCompany")
        both(call[1] + L"{TW-" + call[2] + L"}\\|" + call[2] + L" Ltd",
             call[1] + L"{TW-low" + call[2] + L"}\\|" + lower(call[2]));
}

class TargetsOnWine : public WineTest {
protected:
    void SetUp() override {
        WineTest::SetUp();
        ::SetEnvironmentVariableW(L"TWDIR", dir.c_str());
        tw::RemoveNVIDIAFolder = tw::RemoveATiFolder = true;
    }
    void TearDown() override {
        for (const Item& item : planted) item.remove();
        tw::RemoveNVIDIAFolder = tw::RemoveATiFolder = false;
        WineTest::TearDown();
    }
    void plant(const Item& item) { planted.push_back(item), item.plant(); }
    std::vector<Item> planted;
};

TEST_F(TargetsOnWine, EachTargetTakesEveryItemItNamesAndNothingElse) {
    // The record was taken from the families as first written in code; TW_WRITE_RECORD=1 writes it anew.
    const std::string file = TW_SOURCE_DIR "/tests/wine/families.record";
    std::string actual, want{std::istreambuf_iterator<char>(std::ifstream(file, std::ios::binary).rdbuf()), {}};
    const std::vector<Family> families = recorded(want);
    ASSERT_EQ(families.size(), tw::FamilyTable().size()) << "the record names every family";
    std::vector<std::set<Item>> gone(families.size());  // per family
    std::vector<Item> kept;
    for (const auto& text : kStrangers) kept.push_back({expand(text)});
    for (const auto& text : kSetup) plant({expand(text)});
    for (std::size_t r = 0; r < families.size(); ++r)
        for (const Lines& call : families[r].calls) itemsOf(call, gone[r], kept);
    for (const auto& items : gone)
        for (const Item& item : items) plant(item);
    for (const Item& item : kept) plant(item);

    // Per call of a routine in the previews: its progress steps, its name and arguments (tab-separated).
    std::vector<std::wstring> trace;
    int mark = 0;
    auto stepsOfLast = [&] {
        if (!trace.empty() && trace.back()[0] != L'[') trace.back().insert(0, std::to_wstring(steps - mark) + L"\t");
        mark = steps;
    };
    for (std::size_t r = 0; r < families.size(); ++r) {
        const std::wstring& label = families[r].label;
        SCOPED_TRACE(label);
        const tw::Family* target = tw::FindFamilyByLabel(label);
        ASSERT_NE(target, nullptr);

        // The preview first: it changes nothing and counts what the run will take.
        tw::SwitchesOf(*target) = {true, true};
        std::vector<tw::PreviewGroup> groups;
        trace.push_back(L"[" + label + L"]");
        tw::PreviewSelectedTargets({label}, groups, context.progress,
                                   [&](const std::wstring& line) { stepsOfLast(), trace.push_back(stable(line, dir)); });
        stepsOfLast();
        ASSERT_EQ(groups.size(), 1u);
        tw::PreviewCounts want;
        for (const Item& item : gone[r]) {
            EXPECT_TRUE(item.present()) << L"the preview deleted " << item.text;
            ++(item.isKey() ? want.registry : item.folder() ? want.folders : want.files);
        }
        EXPECT_EQ(tw::CountPreviewLines(groups[0].lines), want);

        tw::RunLog().clear();
        tw::Clean(context, *target, true, true);
        std::vector<std::wstring> run = tw::RunLog().lines(), named = groups[0].lines;
        for (std::wstring& line : named)
            if (line.rfind(L"Would delete ", 0) == 0) line.replace(0, 13, L"Deleted ");
        tw::SortLines(run);
        tw::SortLines(named);
        EXPECT_EQ(run.size(), gone[r].size());
        EXPECT_EQ(run, named) << L"the preview named other items than the run deleted";

        for (std::size_t j = 0; j < gone.size(); ++j)
            for (const Item& item : gone[j]) {
                EXPECT_EQ(item.present(), j > r) << (j > r ? L"taken early: " : L"left: ") << item.text;
                EXPECT_TRUE(j != r || item.parentStays()) << L"removed above " << item.text;
            }
        for (const Item& item : kept) EXPECT_TRUE(item.present()) << L"near-miss taken: " << item.text;
    }
    for (const std::wstring& line : trace) actual += tw::toUtf8(line) + "\n";
    EXPECT_EQ(want, actual) << "the families' calls differ from " << file;
    if (want != actual && std::getenv("TW_WRITE_RECORD")) std::ofstream(file, std::ios::binary) << actual;
}

// The unpack folders on the system drive go only when their own switches say so.
TEST_F(TargetsOnWine, UnpackFoldersStayWhileTheirSwitchesAreOff) {
    const Item nvidia{expand(L"%HOMEDRIVE%\\NVIDIA\\")}, ati{expand(L"%HOMEDRIVE%\\ATi\\")};
    for (const bool nvidiaOn : {false, true}) {
        tw::RemoveNVIDIAFolder = nvidiaOn, tw::RemoveATiFolder = false;
        plant(nvidia), plant(ati);
        for (const wchar_t* t : {L"NVIDIA - Display", L"ATi - Display"}) tw::Clean(context, *tw::FindFamilyByLabel(t), true, false);
        EXPECT_TRUE(nvidia.present() != nvidiaOn && ati.present()) << nvidiaOn;
    }
}

}  // namespace
