// The seven targets on the Wine machine's own folders and registry. For every
// pattern, key and value a target names, one matching item is planted where
// it looks, beside near-misses; then each target is previewed and run in turn.
// A preview names what its run deletes and changes nothing; a run takes its
// own items and nothing else, and makes its fixed progress steps.
#include <set>

#include "app/Preview.h"
#include "log/LogUnit.h"
#include "platform/common.h"
#include "settings/VarUnit.h"
#include "support.h"
#include "targets/Target.h"

namespace {

using namespace winetest;
using Names = std::vector<std::string>;

// Item notation: "HKLM\..."/"HKCU\..." a key (planted with a subkey),
// "key|name=data" a string value; a path ending in "\" a folder (planted with
// a file), "folder\|company" an installer record folder whose setup.ini names
// the company; any other path a file. "%VAR%" is taken from the environment
// (TWDIR is the test's scratch folder); "*" in a key stands for each of the
// five control sets (under Wine CurrentControlSet is a key of its own).
const std::string kRun = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const std::string kW = "%SystemRoot%\\", kS = kW + "System32\\", kD = kS + "drivers\\", kP = kW + "prefetch\\";
const std::string kRecords = "%ProgramFiles%\\InstallShield Installation Information\\";
const std::string kAdapters = "HKLM\\*\\Control\\Class\\{4D36E968-E325-11CE-BFC1-08002BE10318}\\";

const Names kNvidiaDriverFiles = {
    "nvapi*.*",  "nvapp*.*",    "nvcod*.*",   "nvcolor*.*",  "nvcpl*.*",    "nvd3d*.*",    "nvdisp*.*", "nvExpBar*.*",
    "nvgames*.*", "nvmccs*.*",  "nvmctray*.*", "nvmobls*.*", "nvogl*.*",    "nvsvc*.*",    "nvudisp*.*", "NVUNINST*.*",
    "nvvitvs*.*", "nvwgf2um*.*", "nvwapps*.*", "nvwss*.*",   "nvwsapps*.*", "nv4_disp*.*", "nvdsp*.*",  "nview*.*",
    "nvnt4cpl*.*", "nvshell*.*", "nvtui*.*",  "nvucode*.*",  "nvwddi*.*",   "nvwdmcpl*.*", "nvwimg*.*", "nwiz*.*",
    "nv4disp*.*", "nvgfx*.*",   "nvdccapp*.*", "nvmctray*.*", "nvwcpl*.*",  "keystone*.*", "nvdspsch*.*",
    "nvhwvid*.*", "nvrs*.*",    "nvwrs*.*"};

struct Row {
    const char* label;
    int fileSteps, registrySteps;
    std::vector<std::pair<std::string, Names>> lists;  // folder: patterns; key: subkeys; kRun: values
    Names more = {};                                    // further items the target removes
    Names setup = {};                                   // planted only (install-folder values)
};

const std::vector<Row> kRows = {
    {"NVIDIA - Display", 99, 21,
     {{kW, {"NVGfxOgl*.*"}}, {kW + "SysWOW64\\", kNvidiaDriverFiles}, {kS, kNvidiaDriverFiles},
      {kD, {"nvlddmkm*.*", "NV_Mini*.*", "NV4_Mini*.*"}},
      {kS + "dllcache\\", {"nv_mini*.*", "nv4_mini*.*", "nv4_disp*.*", "nv_disp*.*", "nvdisp*.*", "nv4disp*.*"}},
      {kP, {"nvcpl*.*", "nvudisp*.*", "nwiz*.*", "nvuninst*.*", "nv4*.*"}},
      {"HKCU\\Software", {"NVIDIA nvCpl Container", "NVIDIA Corporation\\NVIDIA Control Panel",
                          "NVIDIA Corporation\\NVControlPanel", "NVIDIA Corporation\\Global"}},
      {"HKLM\\Software\\NVIDIA Corporation", {"Global", "NVControlPanel", "Filters", "Installer"}},
      {kRun, {"NvCplDaemon", "NvMediaCenter", "NvSvc"}}, {"HKLM\\*\\Enum\\Root", {"LEGACY_NVSVC"}},
      {"HKLM\\*\\Services", {"nvlddmkm"}}},
     {kW + "Help\\nvcpl\\", "%HOMEDRIVE%\\NVIDIA\\", "%ProgramData%\\NVIDIA\\",
      kAdapters + "9990|ProviderName=NVIDIA Corporation"}},
    {"NVIDIA - Chipset", 5, 31,
     {{kD, {"nvagp*.*", "nvm60*.*", "nvmfd*.*", "nvport*.*", "nvraid*.*"}},
      {"HKLM\\Software\\NVIDIA Corporation", {"nForce"}}, {"HKLM\\*\\Enum\\Root", {"LEGACY_NVPORT"}},
      {"HKLM\\*\\Services", {"nv_agp", "NVENETFD", "nvport", "nvraid", "nvstor"}}}},
    {"ATi - Display", 50, 55,
     {{kW, {"atiogl*.*"}}, {"HKCU\\Software", {"ATi"}},
      {kS, {"ati2e*.*", "ATIDE*.*", "atiicd*.*", "atiogl*.*", "atipd*.*", "atitm*.*", "atium*.*", "ati*cqag*.*",
            "ati*dva*.*", "ati*mdx*.*", "ati*sgag*.*", "ati3d*ag*.*", "ati3duag*.*", "ATIDDC*.*", "atifglpf*.*",
            "atiicd*.*", "atiiie*.*", "atikvmag*.*", "atitvo*.*", "ativco*.*", "ativda*.*", "ativmv*.*",
            "ativtm*.*", "ativva*.*", "atiok*.*"}},
      {kD, {"ati*bt*.*", "ati*md*.*", "ati*pd*.*", "ati*ra*.*", "ati*rv*.*", "ati*sn*.*", "ati*tt*.*", "ati*tu*.*",
            "ati*xb*.*", "ati*xs*.*", "ati*erec*.*", "ati*mta*.*", "ativca*.*", "ativck*.*", "ativdk*.*",
            "ativmc*.*", "ativvp*.*", "ativ*k*.*"}},
      {kP, {"ATI*MD*.*", "ATI*SGAG*.*", "ATICIM*.*", "ATIPRB*.*", "ATISHLX*.*", "CCC*.*"}},
      {"HKLM\\Software", {"ATi", "ATI Technologies\\Installed Drivers\\ATI Display Driver",
                          "ATI Technologies\\ATI Catalyst Control Center", "ATI Technologies\\CBT",
                          "ATI Technologies\\CDS", "ATI Technologies Inc."}},
      {"HKLM\\Software\\ATI Technologies\\Install",
       {"ccc-branding", "ccc-core-implementation", "ccc-core-static", "ccc-graphics-full-existing",
        "CCC-Graphics-Full-New", "ccc-graphics-light", "ccc-graphics-previews-common", "ccc-graphics-previews-vista",
        "ccc-help-en-US", "ccc-install", "ccc-skins", "ccc-utility", "ccc-00-core-preinstall", "ccc-05-core-static",
        "ccc-10-core-implementation", "ccc-15-graphics-full-existing", "CCC-20-Graphics-Full-New",
        "ccc-25-graphics-light", "ccc-30-graphics-previews-common", "ccc-45-help-en-US", "ccc-55-skins",
        "ccc-60-utility", "ATI Display Driver"}},
      {"HKLM\\*\\Services", {"ati2mtag", "Ati HotKey Poller", "ATI Smart", "atikmdag", "Ati External Event Utility"}}},
     {"%TWDIR%ATI Install\\", "%LOCALAPPDATA%\\ATi\\ACE\\", "%APPDATA%\\ATi\\ACE\\", "%HOMEDRIVE%\\ATi\\"},
     {"HKLM\\Software\\ATi Technologies\\Install|InstallDir=%TWDIR%ATI Install"}},
    {"Creative - Sound", 57, 10,
     {{kW, {"CTDCRES*.*", "CTDV10K*.*", "CTDVAUD*.*", "CTRegRun*.*", "{*.BAK ", "CTXFIRE*.*", "CTPRES*.*",
            "Updreg*.*", "{*.CDF"}},
      {kS, {"Ct20x*.*", "ct_oal*.*", "CTAGENT*.*", "CTAPO*.*", "ctasio*.*", "CTAUDFX*.*", "ctcoinst*.*",
            "CTDC000*.*", "CTDCIFCE*.*", "CTDCRES*.*", "CTDPROXY*.*", "ctdvinst*.*", "CTEAPSFX*.*", "ctedasio*.*",
            "CTEDSP*.*", "ctemupia*.*", "CTERFXFX*.*", "CTEXFIFX*.*", "CTHELPER*.*", "CTHWIUT*.*", "CTMMACTL*.*",
            "CTMMEP*.*", "CTOSUSER*.*", "CTpcmcia*.*", "ctppld*.*", "CTPRES*.*", "ctpxinst*.*", "CTSBLFX*.*",
            "ctscal*.*", "CTSFINST*.*", "CTSPKHLP*.*", "cttele*.*", "ctthxcal*.*", "CTxfi*.*", "ctzap*.*",
            "BMX*.rfx", "cttele32*.*"}},
      {kD, {"CT0531FL*.*", "ctac32*.*", "ctaud2*.*", "ctdvda2*.*", "CTGAME*.*", "CTMMFILT*.*", "ctoss2*.*",
            "ctprxy2*.*", "ctsfm2*.*", "CTOSS2K*.*", "CTSFM2K*.*"}},
      {"HKCU\\Software", {"Creative Tech"}}, {"HKLM\\Software", {"Creative Tech", "ASIO"}},
      {"HKLM\\*\\Control", {"Creative Tech"}}, {kRun, {"CTHelper", "CTxfiHlp"}}},
     {kS + "Data\\", kW + "SysWOW64\\Data\\", "%ProgramFiles%\\Creative\\",
      kRecords + "{TW-CT}\\|Creative Technology Ltd"}},
    {"Realtek - Sound", 18, 5,
     {{kW, {"HideWin*.*", "RtHDVCpl*.*", "RtlExUpd*.*", "RtlUpd*.*", "SkyTel*.*"}},
      {kS, {"RtkAPO*.*", "RtkCoInst*.*", "RtkPgExt*.*", "SRSHP*.*", "SRSTS*.*", "SRSWOW*.*", "RTKVHDA*.*",
            "RtlCPAPI*.*", "RTCOMDLL*.*", "RtlUpd*.*", "RTSndMgr*.*", "RtHDVCpl*.*"}},
      {kD, {"RTKVHDA*.*"}}, {"HKCU\\Software", {"Realtek"}},
      {"HKLM\\Software", {"Realtek", "Avance", "Realtek Semiconductor Corp."}}, {kRun, {"RtHDVCpl"}}},
     {"%TWDIR%Realtek Audio\\", kRecords + "{TW-RT}\\|Realtek Semiconductor Corp."},
     {"HKLM\\Software\\Realtek\\InstallShield|ProgramFilesDir=%TWDIR%Realtek Audio\\"}},
    {"AGEIA - PhysX", 6, 1,
     {{kW, {"DIFX*.*"}}, {kS, {"AgCPanel*.*", "PhysX*.*"}}, {kP, {"DIFXSETUP*.*", "PHYSX*.*", "RESCANDEVNODE*.*"}},
      {"HKLM\\Software", {"AGEIA Technologies"}}},
     {"%TWDIR%PhysX Core\\", kS + "AGEIA\\", "%ProgramFiles%\\AGEIA Technologies\\"},
     {"HKLM\\Software\\AGEIA Technologies|PhysXCore Path=%TWDIR%PhysX Core\\"}},
    {"Microsoft - Mouse", 5, 8,
     {{kD, {"point32k*.*", "point64k*.*"}}, {kP, {"IP32*.*", "IP64*.*", "IPOINT*.*"}},
      {"HKCU\\Software", {"Microsoft\\IntelliPoint"}}, {kRun, {"IntelliPoint"}}, {"HKLM\\*\\Services", {"Point32"}},
      {"HKLM\\Software\\MSIPOINT Corporation", {"Microsoft\\IntelliPoint"}}},
     {"%ProgramFiles%\\Microsoft IntelliPoint\\"}},
};

// Items no target may take: another vendor's record, adapter and log-on program.
const Names kStrangers = {kRecords + "{TW-NO}\\|Other Ltd", kRecords + "{TW-LOW}\\|creative",
                          kAdapters + "9991|ProviderName=nVidia", kRun + "|TidewellKeep=keep.exe"};

std::string expand(const std::string& text) {
    char out[2048] = {};
    ::ExpandEnvironmentStringsA(text.c_str(), out, sizeof out);
    EXPECT_EQ(std::string(out).find('%'), std::string::npos) << "not set: " << text;
    return out;
}

// One item per control set for "*", with the environment filled in.
Names concrete(const std::string& item) {
    const std::size_t star = item.find('*');
    if (item.rfind("HK", 0) != 0 || star == std::string::npos) return {expand(item)};
    Names out;
    for (const char* set : {"ControlSet001", "ControlSet002", "ControlSet003", "ControlSet004", "CurrentControlSet"})
        out.push_back(expand(item.substr(0, star) + "System\\" + set + item.substr(star + 1)));
    return out;
}

// A name each pattern matches: every "*" as "tw", trailing blanks dropped
// (the file system drops them from a search too).
std::string matching(const std::string& pattern) {
    std::string name;
    for (char c : pattern) name += c == '*' ? std::string("tw") : std::string(1, c);
    return name.substr(0, name.find_last_not_of(' ') + 1);
}

struct Item {
    std::string text;
    auto operator<=>(const Item&) const = default;
    HKEY root() const { return text.rfind("HKLM", 0) == 0 ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER; }
    bool isKey() const { return text.rfind("HK", 0) == 0; }
    std::string key() const { return text.substr(5, text.find('|') - 5); }
    std::string name() const { return text.substr(text.find('|') + 1, text.find('=') - text.find('|') - 1); }
    std::string path() const { return text.substr(0, text.find('|')); }
    bool folder() const { return !isKey() && path().back() == '\\'; }
    bool value() const { return isKey() && text.find('|') != std::string::npos; }

    void plant() const {
        if (value()) return setString(root(), key(), name(), text.substr(text.find('=') + 1));
        if (isKey()) return createKey(root(), key() + "\\Sub");
        makeFolders(folder() ? path() : path().substr(0, path().find_last_of('\\')));
        if (text.find('|') != std::string::npos)
            writeFile(path() + "setup.ini", "[Startup]\r\nCompanyName=" + text.substr(text.find('|') + 1) + "\r\n");
        writeFile(folder() ? path() + "leftover.dat" : path(), "x");
    }
    bool present() const {
        return value() ? valueExists(root(), key(), name())
                       : isKey() ? keyExists(root(), key()) : folder() ? folderExists(path()) : fileExists(path());
    }
    // Where a removed key or folder lay stays.
    bool parentStays() const {
        const std::string p = isKey() ? key() : path().substr(0, path().size() - 1), up = p.substr(0, p.rfind('\\'));
        return value() || (isKey() ? keyExists(root(), up) : !folder() || folderExists(up));
    }
    void remove() const {
        value() ? (void)::RegDeleteKeyValueA(root(), key().c_str(), name().c_str())
        : isKey() ? removeKeyTree(root(), key()) : folder() ? removeTree(path()) : (void)::DeleteFileA(path().c_str());
    }
};

class TargetsOnWine : public WineTest {
protected:
    void SetUp() override {
        WineTest::SetUp();
        ::SetEnvironmentVariableA("TWDIR", dir.c_str());
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
    std::vector<std::set<Item>> gone;  // per row
    std::vector<Item> kept;
    for (const auto& text : kStrangers)
        for (const auto& c : concrete(text)) kept.push_back({c});
    for (const Row& row : kRows) {
        std::set<Item> items;
        auto add = [&](const std::string& text) {
            for (const auto& c : concrete(text)) items.insert({c});
        };
        for (const auto& [where, names] : row.lists)
            for (const std::string& name : names) {
                if (where.rfind("HK", 0) == 0) {
                    add(where + (where == kRun ? "|" + name + "=leftover.exe" : "\\" + name));
                    continue;
                }
                add(where + matching(name));
                kept.push_back({expand(where + "_" + matching(name).substr(1))});
            }
        for (const auto& text : row.more) add(text);
        for (const auto& text : row.setup) plant({expand(text)});
        for (const Item& item : items) plant(item);
        gone.push_back(items);
    }
    for (const Item& item : kept) plant(item);

    for (std::size_t r = 0; r < kRows.size(); ++r) {
        const Row& row = kRows[r];
        SCOPED_TRACE(row.label);
        const tw::TargetInfo* target = tw::FindTargetByLabel(row.label);
        ASSERT_NE(target, nullptr);

        // The preview first: it changes nothing and counts what the run will take.
        *target->filesSwitch = *target->registrySwitch = true;
        std::vector<tw::PreviewGroup> groups;
        tw::PreviewSelectedTargets({plat::ansiToWide(row.label)}, groups);
        ASSERT_EQ(groups.size(), 1u);
        tw::PreviewCounts want;
        for (const Item& item : gone[r]) {
            EXPECT_TRUE(item.present()) << "the preview deleted " << item.text;
            ++(item.isKey() ? want.registry : item.folder() ? want.folders : want.files);
        }
        EXPECT_EQ(tw::CountPreviewLines(groups[0].lines), want);

        tw::RunLog().clear();
        for (bool files : {true, false}) {  // files first, as a run takes them
            steps = 0;
            tw::Clean(*target, files, !files);
            EXPECT_EQ(steps, files ? row.fileSteps : row.registrySteps);
        }
        std::vector<std::wstring> run = tw::RunLog().lines(), named = groups[0].lines;
        for (std::wstring& line : named)
            if (line.rfind(L"Would delete ", 0) == 0) line.replace(0, 13, L"Deleted ");
        tw::SortLines(run);
        tw::SortLines(named);
        EXPECT_EQ(run.size(), gone[r].size());
        EXPECT_EQ(run, named) << "the preview named other items than the run deleted";

        for (std::size_t j = 0; j < gone.size(); ++j)
            for (const Item& item : gone[j]) {
                EXPECT_EQ(item.present(), j > r) << (j > r ? "taken early: " : "left: ") << item.text;
                EXPECT_TRUE(j != r || item.parentStays()) << "removed above " << item.text;
            }
        for (const Item& item : kept) EXPECT_TRUE(item.present()) << "near-miss taken: " << item.text;
    }
}

// The unpack folders on the system drive go only when their switches say so.
TEST_F(TargetsOnWine, UnpackFoldersStayWhileTheirSwitchesAreOff) {
    tw::RemoveNVIDIAFolder = tw::RemoveATiFolder = false;
    for (const char* folder : {"%HOMEDRIVE%\\NVIDIA\\", "%HOMEDRIVE%\\ATi\\"}) plant({expand(folder)});
    for (const char* t : {"NVIDIA - Display", "ATi - Display"}) tw::Clean(*tw::FindTargetByLabel(t), true, false);
    for (const Item& folder : planted) EXPECT_TRUE(folder.present()) << folder.text;
}

}  // namespace
