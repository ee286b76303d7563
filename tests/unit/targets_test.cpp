// The seven targets on the fake machine: weights and progress steps, what each
// one removes and what it must leave, install folders read from the registry
// that point somewhere they must not, and the naming of backup folders.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <functional>
#include <map>

#include "engine/DeleteUnit.h"
#include "engine/RegistrySelf.h"
#include "engine_fixture.h"
#include "targets/ATi.h"
#include "targets/Target.h"

namespace {

using enginetest::kCU;
using enginetest::kLM;
using Lines = std::vector<std::string>;

const std::string kWin = "C:\\WINDOWS\\";
const std::string kSys = "C:\\WINDOWS\\System32\\";
const std::string kDrv = "C:\\WINDOWS\\System32\\drivers\\";
const std::string kRun = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const std::string kDisplayClass = "\\Control\\Class\\{4D36E968-E325-11CE-BFC1-08002BE10318}";

void allSwitches(bool on) {
    for (const tw::TargetInfo& t : tw::TargetTable()) *t.filesSwitch = *t.registrySwitch = on;
}

class TargetTest : public enginetest::EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        allSwitches(true);
        tw::RemoveNVIDIAFolder = tw::RemoveATiFolder = false;
        tw::BackupPath.clear();
    }
    static const tw::TargetInfo& target(const char* label) {
        const tw::TargetInfo* t = tw::FindTargetByLabel(label);
        EXPECT_NE(t, nullptr) << label;
        return *t;
    }
    static bool logHas(const std::string& line) {
        Lines lines = logLines();
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }
};

TEST_F(TargetTest, WeightsFollowTheSwitches) {
    const std::map<std::string, std::array<int, 4>> expected = {
        // both, registry only, files only, neither
        {"NVIDIA - Display", {70, 13, 57, 0}}, {"NVIDIA - Chipset", {12, 7, 5, 0}},
        {"ATi - Display", {85, 35, 50, 0}},    {"Creative - Sound", {60, 3, 57, 0}},
        {"Realtek - Sound", {23, 4, 19, 0}},   {"AGEIA - PhysX", {7, 1, 6, 0}},
        {"Microsoft - Mouse", {9, 4, 5, 0}}};
    int all = 0;
    for (const auto& [label, w] : expected) {
        const auto& t = target(label.c_str());
        EXPECT_EQ(tw::GetWeight(t, true, true), w[0]) << label;
        EXPECT_EQ(tw::GetWeight(t, false, true), w[1]) << label;
        EXPECT_EQ(tw::GetWeight(t, true, false), w[2]) << label;
        EXPECT_EQ(tw::GetWeight(t, false, false), w[3]) << label;
        all += tw::GetWeight(t, true, true);
    }
    EXPECT_EQ(all, 266);
}

// Progress steps a phase really makes, on a machine with nothing to clean.
TEST_F(TargetTest, EveryPhaseMakesItsProgressSteps) {
    const std::map<std::string, std::pair<int, int>> expected = {
        {"NVIDIA - Display", {99, 21}}, {"NVIDIA - Chipset", {5, 31}}, {"ATi - Display", {50, 55}},
        {"Creative - Sound", {57, 10}}, {"Realtek - Sound", {18, 5}},  {"AGEIA - PhysX", {6, 1}},
        {"Microsoft - Mouse", {5, 8}}};
    for (const auto& [label, counts] : expected) {
        const auto& t = target(label.c_str());
        steps = 0;
        tw::Clean(t, true, false);
        EXPECT_EQ(steps, counts.first) << label << " files";
        steps = 0;
        tw::Clean(t, false, true);
        EXPECT_EQ(steps, counts.second) << label << " registry";
    }
    EXPECT_TRUE(logLines().empty());
}

// ---------------------------------------------------------- backup folder ----

TEST_F(TargetTest, CleanNamesTheBackupFolderByTimeStampAndPhase) {
    fake::setDate(L"12/5/2026");
    fake::setTime(L"6:01:23 AM");
    tw::Clean(target("NVIDIA - Display"), false, true);
    EXPECT_EQ(tw::BackupPath, "C:\\Tools\\Tidewell\\Backup\\12-5-2026-6-01-23 AM\\NVIDIA - Display - Registry\\");

    fake::setDate(L"23.09.2007");
    fake::setTime(L"11:07:55");
    tw::Clean(target("ATi - Display"), true, false);
    EXPECT_EQ(tw::BackupPath, "C:\\Tools\\Tidewell\\Backup\\23.09.2007-11-07-55\\ATi - Display - Files\\");

    tw::Clean(target("AGEIA - PhysX"), false, false);  // both off: nothing changes
    EXPECT_EQ(tw::BackupPath, "C:\\Tools\\Tidewell\\Backup\\23.09.2007-11-07-55\\ATi - Display - Files\\");
}

TEST_F(TargetTest, BackupOnKeepsEverythingDeletedInTheTargetsItemFolders) {
    tw::BackupEnabled = true;
    fake::setDate(L"1/2/2026");
    fake::setTime(L"3:04:05 PM");
    fake::addFile(kSys + "PhysX.dll", "physx");
    fake::addKey(kLM, "Software\\AGEIA Technologies\\Sub");
    tw::Clean(target("AGEIA - PhysX"), true, true);
    const std::string set = "C:\\Tools\\Tidewell\\Backup\\1-2-2026-3-04-05 PM\\";
    EXPECT_EQ(fake::content(set + "AGEIA - PhysX - Files\\C';WINDOWS;System32;\\PhysX.dll"), "physx");
    EXPECT_TRUE(fake::exists(set + "AGEIA - PhysX - Registry\\HKLM;Software;AGEIA Technologies.TW"));
    EXPECT_TRUE(logHas("Deleted registry (HKLM\\Software\\AGEIA Technologies)"));
    EXPECT_FALSE(fake::keyExists(kLM, "Software\\AGEIA Technologies"));
}

// --------------------------------------------------------- NVIDIA display ----

TEST_F(TargetTest, NvidiaDisplayRemovesItsLeftoversAndNothingElse) {
    for (const char* f : {"nvapi.dll", "nvcpl.cpl", "nwiz.exe", "keystone.exe", "nvwrsen.dll"})
        fake::addFile(kSys + f);
    fake::addFile(kWin + "NVGfxOgl.dll");
    fake::addFile(kDrv + "nvlddmkm.sys");
    fake::addFile(kWin + "prefetch\\NV4INSTALL.PF");
    fake::addFile(kWin + "Help\\nvcpl\\help.chm");
    fake::addFile("C:\\ProgramData\\NVIDIA\\cache.bin");
    fake::addFile("C:\\NVIDIA\\setup.exe");  // kept: RemoveNVIDIAFolder is off
    // Neighbours that look alike but match no pattern.
    for (const char* f : {"anvapi.dll", "nv.dll", "kernel32.dll"}) fake::addFile(kSys + f);
    fake::addFile(kDrv + "nvstor.sys");

    fake::setString(kCU, "Software\\NVIDIA Corporation\\Global", "x", "1");
    fake::setString(kCU, "Software\\NVIDIA Corporation\\Other", "x", "1");
    fake::addKey(kLM, "Software\\NVIDIA Corporation\\Installer");
    fake::addKey(kLM, "Software\\NVIDIA Corporation\\nForce");
    fake::setString(kLM, kRun, "NvSvc", "nvsvc.exe");
    fake::setString(kLM, kRun, "Other", "other.exe");
    fake::addKey(kLM, "System\\ControlSet002\\Services\\nvlddmkm\\Parameters");
    fake::addKey(kLM, "System\\CurrentControlSet\\Enum\\Root\\LEGACY_NVSVC\\0000");
    fake::setString(kLM, "System\\ControlSet001" + kDisplayClass + "\\0000", "ProviderName", "NVIDIA Corporation");
    fake::setString(kLM, "System\\ControlSet001" + kDisplayClass + "\\0001", "ProviderName", "nVidia");
    fake::setString(kLM, "System\\ControlSet001" + kDisplayClass + "\\0002", "ProviderName", "ATI Technologies Inc.");
    fake::addKey(kLM, "System\\ControlSet001" + kDisplayClass + "\\0003");

    tw::Clean(target("NVIDIA - Display"), true, true);

    EXPECT_EQ(fake::list(kSys), (Lines{"anvapi.dll", "drivers", "kernel32.dll", "nv.dll"}));
    EXPECT_FALSE(fake::exists(kWin + "NVGfxOgl.dll"));
    EXPECT_EQ(fake::list(kDrv), Lines{"nvstor.sys"});
    EXPECT_FALSE(fake::exists(kWin + "prefetch\\NV4INSTALL.PF"));
    EXPECT_FALSE(fake::exists(kWin + "Help\\nvcpl"));
    EXPECT_FALSE(fake::exists("C:\\ProgramData\\NVIDIA"));
    EXPECT_TRUE(fake::exists("C:\\NVIDIA\\setup.exe"));

    EXPECT_FALSE(fake::keyExists(kCU, "Software\\NVIDIA Corporation\\Global"));
    EXPECT_TRUE(fake::keyExists(kCU, "Software\\NVIDIA Corporation\\Other"));
    EXPECT_FALSE(fake::keyExists(kLM, "Software\\NVIDIA Corporation\\Installer"));
    EXPECT_TRUE(fake::keyExists(kLM, "Software\\NVIDIA Corporation\\nForce"));
    EXPECT_FALSE(fake::valueExists(kLM, kRun, "NvSvc"));
    EXPECT_TRUE(fake::valueExists(kLM, kRun, "Other"));
    EXPECT_FALSE(fake::keyExists(kLM, "System\\ControlSet002\\Services\\nvlddmkm"));
    EXPECT_FALSE(fake::keyExists(kLM, "System\\CurrentControlSet\\Enum\\Root\\LEGACY_NVSVC"));
    EXPECT_EQ(fake::subKeys(kLM, "System\\ControlSet001" + kDisplayClass), (Lines{"0001", "0002", "0003"}));
    EXPECT_TRUE(logHas("Deleted registry (HKLM\\System\\ControlSet001" + kDisplayClass + "\\0000)"));
}

TEST_F(TargetTest, NvidiaUnpackFolderFollowsItsSettingAndNeedsTheDrive) {
    fake::addFile("C:\\NVIDIA\\setup.exe");
    tw::RemoveNVIDIAFolder = true;
    fake::setEnv("HOMEDRIVE", std::nullopt);  // never a drive-less "\NVIDIA\"
    tw::Clean(target("NVIDIA - Display"), true, false);
    EXPECT_TRUE(fake::exists("C:\\NVIDIA\\setup.exe"));
    fake::setEnv("HOMEDRIVE", "C:");
    tw::Clean(target("NVIDIA - Display"), true, false);
    EXPECT_FALSE(fake::exists("C:\\NVIDIA"));
    EXPECT_TRUE(logHas("Deleted folder (C:\\NVIDIA\\)"));
}

TEST_F(TargetTest, WithoutSystemRootNoFileIsTouchedButTheStepsAreTaken) {
    fake::addFile(kSys + "nvapi.dll");
    fake::addFile("C:\\WINDOWS\\nvapi.dll");
    fake::setEnv("SYSTEMROOT", std::nullopt);
    tw::Clean(target("NVIDIA - Display"), true, false);
    EXPECT_EQ(steps, 99);
    EXPECT_TRUE(fake::exists(kSys + "nvapi.dll"));
    EXPECT_TRUE(logLines().empty());
}

// ------------------------------------------------------- NVIDIA chipset ----

TEST_F(TargetTest, ChipsetRemovesOnlyNforceAndItsServicesWhereverTheyAre) {
    fake::addFile(kDrv + "nvraid.sys");
    fake::addFile(kDrv + "nvlddmkm.sys");
    fake::addKey(kLM, "Software\\NVIDIA Corporation\\nForce");
    fake::addKey(kLM, "Software\\NVIDIA Corporation\\Global");
    fake::addKey(kLM, "System\\ControlSet002\\Services\\nvstor");
    tw::Clean(target("NVIDIA - Chipset"), true, true);
    EXPECT_EQ(fake::list(kDrv), Lines{"nvlddmkm.sys"});
    EXPECT_TRUE(fake::keyExists(kLM, "Software\\NVIDIA Corporation\\Global"));
    EXPECT_FALSE(fake::keyExists(kLM, "Software\\NVIDIA Corporation\\nForce"));
    EXPECT_FALSE(fake::keyExists(kLM, "System\\ControlSet002\\Services\\nvstor"));
    EXPECT_EQ(logLines(), (Lines{"Deleted file (" + kDrv + "nvraid.sys)",
                                 "Deleted registry (HKLM\\Software\\NVIDIA Corporation\\nForce)",
                                 "Deleted registry (HKLM\\System\\ControlSet002\\Services\\nvstor)"}));
}

// ----------------------------------------------------------- ATi display ----

TEST_F(TargetTest, AtiReadsItsInstallFolderBeforeItsRegistryPhase) {
    fake::addFile("C:\\ATI\\Support\\driver.inf");
    fake::setString(kLM, "Software\\ATi Technologies\\Install", "InstallDir", "C:\\ATI\\Support");
    fake::addKey(kLM, "Software\\ATI Technologies\\Install\\ccc-skins");
    fake::addKey(kLM, "Software\\ATI Technologies\\Install\\Other");
    fake::addKey(kLM, "Software\\ATI\\Sub");  // "ATi" matches ATI in any case
    fake::addFile("C:\\Users\\User\\AppData\\Local\\ATi\\ACE\\a.xml");
    fake::addFile("C:\\Users\\User\\AppData\\Roaming\\ATi\\ACE\\b.xml");
    fake::addFile("C:\\ATi\\setup.exe");  // RemoveATiFolder off
    tw::Clean(target("ATi - Display"), true, true);
    EXPECT_FALSE(fake::exists("C:\\ATI\\Support"));
    EXPECT_TRUE(fake::exists("C:\\ATI\\setup.exe"));
    EXPECT_FALSE(fake::exists("C:\\Users\\User\\AppData\\Local\\ATi\\ACE"));
    EXPECT_FALSE(fake::exists("C:\\Users\\User\\AppData\\Roaming\\ATi\\ACE"));
    EXPECT_TRUE(fake::exists("C:\\Users\\User\\AppData\\Local\\ATi"));
    EXPECT_TRUE(fake::keyExists(kLM, "Software\\ATi Technologies\\Install"));
    EXPECT_TRUE(fake::keyExists(kLM, "Software\\ATi Technologies\\Install\\Other"));
    EXPECT_FALSE(fake::keyExists(kLM, "Software\\ATi Technologies\\Install\\ccc-skins"));
    EXPECT_FALSE(fake::keyExists(kLM, "Software\\ATI"));
    EXPECT_TRUE(logHas("Deleted folder (C:\\ATI\\Support)"));
}

TEST_F(TargetTest, AtiInstallDirOfTheWrongTypeEndsTheTargetThere) {
    fake::addFile(kSys + "atiogl.dll");
    fake::addFile("C:\\Users\\User\\AppData\\Local\\ATi\\ACE\\a.xml");
    fake::setDword(kLM, "Software\\ATi Technologies\\Install", "InstallDir", 7);
    fake::addKey(kCU, "Software\\ATi");
    try {
        tw::Clean(target("ATi - Display"), true, true);
        FAIL() << "no error raised";
    } catch (const tw::AppError& e) {
        EXPECT_EQ(e.message(), L"Invalid data type for 'InstallDir'");
    }
    EXPECT_EQ(logLines(), Lines{"Deleted file (" + kSys + "atiogl.dll)"});  // lines so far stay
    EXPECT_TRUE(fake::exists("C:\\Users\\User\\AppData\\Local\\ATi\\ACE\\a.xml"));
    EXPECT_TRUE(fake::keyExists(kCU, "Software\\ATi"));
}

// Whatever the install-folder value says, nothing protected is ever removed:
// crafted spellings, double-byte text whose second byte is a backslash, links
// in the middle and at the end, short names, letter case beyond A-Z, and an
// environment that is unset or odd.
TEST_F(TargetTest, InstallFolderValuesNeverReachProtectedFolders) {
    const std::vector<std::string> protectedFolders = {
        "C:\\WINDOWS",      "C:\\WINDOWS\\System32", "C:\\Program Files", "C:\\Program Files (x86)",
        "C:\\ProgramData",  "C:\\Users",             "C:\\Users\\User",   "C:\\Tools\\Tidewell",
        "C:\\Users\\User\\AppData\\Roaming", "C:\\WINDOWS\\System32\\config\\systemprofile"};
    const std::string hyo = "\x95\x5C";  // "表" in code page 932: its second byte is "\"
    auto cp932 = [] { fake::setAnsiCodePage(932); };
    auto noEnvironment = [] {
        for (const char* name : {"SYSTEMROOT", "windir", "ProgramFiles", "ProgramData", "USERPROFILE", "APPDATA"})
            fake::setEnv(name, std::nullopt);
    };
    struct Case {
        std::string value;
        std::function<void()> setup = nullptr;
    };
    std::vector<Case> cases = {
        {""}, {"C:\\"}, {"C:"}, {"\\"}, {"Tools"}, {"..\\.."}, {"C:\\WINDOWS\\System32\\.."}, {"C:\\Program Files "},
        {"C:\\ProgramData\\."}, {"C:\\Users\\User."}, {"\\\\server\\share"}, {std::string(300, 'a')},
        {"C:\\WINDOWS\\" + hyo + "X\\..", cp932}, {"C:\\Program Files\\" + hyo + "X\\..", cp932},
        {"C:\\Tools\\Tidewell\\" + hyo + "X\\..", cp932}, {"C:\\Tools\\Tidewell\\" + hyo, cp932},
        {"C:\\Documents and Settings\\User", [] { fake::addLink("C:\\Documents and Settings", "C:\\Users"); }},
        {"C:\\ATI\\Support", [] { fake::addLink("C:\\ATI\\Support", "C:\\WINDOWS"); }},
        {"C:\\PROGRA~1", [] { fake::setShortName("C:\\Program Files", "PROGRA~1"); }},
        {"C:\\Tools\\TIDEWE~1\\.", [] { fake::setShortName("C:\\Tools\\Tidewell", "TIDEWE~1"); }},
        {"C:\\Tools\\S\xC4UBERUNG", [] { fake::setExecutablePath("C:\\Tools\\S\xE4uberung\\Tidewell.exe"); }},
        {"C:\\WINDOWS", noEnvironment}, {"C:\\Users\\User\\AppData\\Roaming", noEnvironment},
        {"C:\\Program Files", [] { fake::setEnv("ProgramFiles", "C:\\PROGRA~1\\..\\Elsewhere"); }},
        {"C:\\WINDOWS", [] { fake::setEnv("SYSTEMROOT", "C:\\WINDOW~1"); fake::setEnv("windir", "%SystemRoot%"); }},
        {"C:\\WINDOWS\\System32\\config\\systemprofile", noEnvironment},
        {"C:\\Tools\\Tidewell\\Backup\\set1"}, {"C:\\Tools\\Tidewell\\Desktop Icon"},
    };
    for (const auto& folder : protectedFolders) cases.push_back({folder});
    for (const auto& c : cases) {
        SCOPED_TRACE("InstallDir=" + c.value);
        fake::reset();
        fake::setEnv("ProgramFiles(x86)", "C:\\Program Files (x86)");
        for (const auto& folder : protectedFolders) fake::addFile(folder + "\\keep.me", "x");
        fake::addFile("C:\\Tools\\Other\\keep.me", "x");
        if (c.setup) c.setup();
        const std::string programFolder = tw::programFolder();
        for (const char* own : {"keep.me", "Backup\\set1\\keep.me", "Desktop Icon\\keep.me"})
            fake::addFile(programFolder + own, "x");
        tw::RunLog().clear();
        fake::setString(kLM, "Software\\ATi Technologies\\Install", "InstallDir", c.value);
        tw::ATi::CleanFiles();
        for (const auto& folder : protectedFolders) EXPECT_TRUE(fake::exists(folder + "\\keep.me")) << folder;
        EXPECT_TRUE(fake::exists("C:\\Tools\\Other\\keep.me"));
        for (const char* own : {"keep.me", "Backup\\set1\\keep.me", "Desktop Icon\\keep.me"})
            EXPECT_TRUE(fake::exists(programFolder + own)) << own;
        for (const auto& line : logLines()) EXPECT_EQ(line.rfind("Deleted folder", 0), std::string::npos) << line;
    }
}

// ------------------------------------------------------ Creative, Realtek ----

TEST_F(TargetTest, SoundTargetsRemoveTheirInstallShieldRecordsByCompany) {
    const std::string records = "C:\\Program Files\\InstallShield Installation Information\\";
    auto record = [&](const std::string& name, const std::string& company) {
        fake::addFile(records + name + "\\data.cab", "cab");
        if (!company.empty())
            fake::addFile(records + name + "\\setup.ini", "[Startup]\r\nCompanyName=" + company + "\r\n");
    };
    record("{A}", "Realtek Semiconductor Corp.");
    record("{B}", "Creative Technology Ltd");
    record("{C}", "");  // no setup file
    record("{D}", "realtek");  // letter case counts
    fake::setString(kLM, "Software\\Realtek\\InstallShield", "ProgramFilesDir", "C:\\Program Files\\Realtek\\Audio");
    fake::addFile("C:\\Program Files\\Realtek\\Audio\\HDA\\RtkNGUI.exe");
    fake::addFile("C:\\Program Files\\Creative\\ctmix.exe");
    fake::addFile(kSys + "Data\\anything.dat");

    tw::Clean(target("Realtek - Sound"), true, false);
    EXPECT_EQ(fake::list(records), (Lines{"{B}", "{C}", "{D}"}));
    EXPECT_FALSE(fake::exists("C:\\Program Files\\Realtek\\Audio"));
    EXPECT_TRUE(logHas("Deleted folder (" + records + "{A})"));

    tw::Clean(target("Creative - Sound"), true, false);
    EXPECT_EQ(fake::list(records), (Lines{"{C}", "{D}"}));
    EXPECT_FALSE(fake::exists("C:\\Program Files\\Creative"));
    EXPECT_FALSE(fake::exists(kSys + "Data"));
}

TEST_F(TargetTest, CreativeRemovesTheWholeAsioKeyAndItsLogonValues) {
    fake::addKey(kLM, "Software\\ASIO\\Other Vendor ASIO");
    fake::addKey(kLM, "System\\ControlSet003\\Control\\Creative Tech\\x");
    fake::setString(kLM, kRun, "CTHelper", "a");
    tw::Clean(target("Creative - Sound"), false, true);
    EXPECT_FALSE(fake::keyExists(kLM, "Software\\ASIO"));
    EXPECT_FALSE(fake::keyExists(kLM, "System\\ControlSet003\\Control\\Creative Tech"));
    EXPECT_TRUE(fake::keyExists(kLM, "System\\ControlSet003\\Control"));
    EXPECT_FALSE(fake::valueExists(kLM, kRun, "CTHelper"));
}

// ------------------------------------------------ AGEIA, Microsoft mouse ----

TEST_F(TargetTest, AgeiaRegistryOnlyForgetsTheCoreFolderForLaterRuns) {
    fake::setString(kLM, "Software\\AGEIA Technologies", "PhysXCore Path", "C:\\Program Files\\PhysX Core");
    fake::addFile("C:\\Program Files\\PhysX Core\\core.dll");
    fake::addFile("C:\\Program Files\\AGEIA Technologies\\x.dll");
    fake::addFile(kSys + "AGEIA\\y.dll");
    tw::Clean(target("AGEIA - PhysX"), false, true);
    EXPECT_FALSE(fake::keyExists(kLM, "Software\\AGEIA Technologies"));
    tw::Clean(target("AGEIA - PhysX"), true, false);
    EXPECT_TRUE(fake::exists("C:\\Program Files\\PhysX Core\\core.dll"));
    EXPECT_FALSE(fake::exists("C:\\Program Files\\AGEIA Technologies"));
    EXPECT_FALSE(fake::exists(kSys + "AGEIA"));
}

TEST_F(TargetTest, MouseKeepsTheMicrosoftKeyItself) {
    fake::addKey(kCU, "Software\\Microsoft\\IntelliPoint\\Settings");
    fake::addKey(kCU, "Software\\Microsoft\\Office");
    fake::addKey(kLM, "System\\ControlSet004\\Services\\Point32");
    fake::addFile("C:\\Program Files\\Microsoft IntelliPoint\\ipoint.exe");
    fake::addFile(kDrv + "point64k.sys");
    tw::Clean(target("Microsoft - Mouse"), true, true);
    EXPECT_FALSE(fake::keyExists(kCU, "Software\\Microsoft\\IntelliPoint"));
    EXPECT_TRUE(fake::keyExists(kCU, "Software\\Microsoft\\Office"));
    EXPECT_FALSE(fake::keyExists(kLM, "System\\ControlSet004\\Services\\Point32"));
    EXPECT_FALSE(fake::exists("C:\\Program Files\\Microsoft IntelliPoint"));
    EXPECT_FALSE(fake::exists(kDrv + "point64k.sys"));
}

}  // namespace
